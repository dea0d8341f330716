#pragma once
// Text in the diagram font, measured and laid out once per thread. Making
// the font and its metrics and shaping a caption cost far more than drawing
// a box, and a report run measures and draws the same captions (a
// program's name, "Links") again and again: in the layout, in the bounds,
// in every picture and its preview. Each thread keeps its own fonts, sizes
// and laid-out lines (the painter runs on several threads at once, and
// Qt's fonts are not to be shared between threads); each is kept under
// everything it depends on (text, width, face, how it breaks) and they are
// forgotten all at once when a thread holds too many.

#include <QFont>
#include <QFontMetricsF>
#include <QSizeF>
#include <QTextLayout>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;
class QRectF;

namespace platform::diagram {

class TextMeasure {
public:
    // The calling thread's.
    static TextMeasure& ForThread();

    // The diagram font (DiagramFont) and its metrics.
    const QFont& Font(bool bold) const { return m_font[bold ? 1 : 0]; }
    const QFontMetricsF& Metrics(bool bold) const { return m_metrics[bold ? 1 : 0]; }

    // The bounding size of text drawn centred on one line; 0 by 0 for none.
    QSizeF Line(const std::string& text, bool bold);
    // The bounding size of a label in the regular face broken to width
    // with its LabelFlags, not rounded.
    QSizeF Label(const std::string& text, double width);
    // How a label breaks at width (see DiagramPainter's LabelSize): between
    // words, or anywhere when one word is wider than the width.
    int LabelFlags(const std::string& text, double width);

    // Draws text in rectangle r as QPainter::drawText(r, flags, text) does
    // in the diagram font (a centred caption, or a label broken to the
    // rectangle's width by its LabelFlags), from lines laid out once per
    // thread: every picture of a run paints the same captions again, its
    // preview all of them a second time.
    void Draw(QPainter& p, const QRectF& r, int flags, const std::string& text, bool bold);

    // Sizes kept per thread before they are all forgotten.
    static constexpr std::size_t kMaxKept = 8192;
    // Laid-out texts kept per thread: each holds its shaped glyphs.
    static constexpr std::size_t kMaxLaid = 4096;

private:
    TextMeasure();

    // What a kept value is; the laid-out kinds also say the face and how
    // the lines break.
    enum class Kind : unsigned char { Line, BoldLine, Label, Flags, Laid, LaidBold, LaidAnywhere, LaidBoldAnywhere };
    struct KeyView {
        std::string_view text;
        double width;
        Kind kind;
    };
    struct Key {
        std::string text;
        double width;
        Kind kind;
        operator KeyView() const { return {text, width, kind}; }
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(const KeyView& k) const noexcept;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(const KeyView& a, const KeyView& b) const noexcept {
            return a.kind == b.kind && a.width == b.width && a.text == b.text;
        }
    };
    struct Measured {
        QSizeF size;
        int flags = 0;
    };

    // A text's lines as QPainter lays them out for drawing: where each
    // ends (down from the first's top) and how wide it is.
    struct Laid {
        std::unique_ptr<QTextLayout> layout;
        std::vector<double> bottom, width;
    };
    const Laid& LaidOut(const std::string& text, double width, int flags, bool bold);

    template <class Compute>
    Measured Find(const std::string& text, double width, Kind kind, Compute compute);

    QFont m_font[2];
    QFontMetricsF m_metrics[2];
    std::unordered_map<Key, Measured, Hash, Equal> m_kept;
    // Under the text, the wrapping width (0 for none) and a Laid kind.
    std::unordered_map<Key, Laid, Hash, Equal> m_laid;
};

}  // namespace platform::diagram
