#include "platform/diagram/TextMeasure.h"

#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/diagram/DiagramPainter.h"

namespace platform::diagram {

namespace {

QString ToQString(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

std::size_t TextMeasure::Hash::operator()(const KeyView& k) const noexcept {
    std::size_t h = std::hash<std::string_view>()(k.text);
    h ^= std::hash<double>()(k.width) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h ^ (static_cast<std::size_t>(k.kind) << 1);
}

TextMeasure& TextMeasure::ForThread() {
    thread_local TextMeasure measure;
    return measure;
}

TextMeasure::TextMeasure()
    : m_font{DiagramFont(false), DiagramFont(true)}, m_metrics{QFontMetricsF(m_font[0]), QFontMetricsF(m_font[1])} {}

template <class Compute>
TextMeasure::Measured TextMeasure::Find(const std::string& text, double width, Kind kind, Compute compute) {
    if (auto it = m_kept.find(KeyView{text, width, kind}); it != m_kept.end()) return it->second;
    // Worked out before the map changes: computing may measure too.
    const Measured measured = compute();
    if (m_kept.size() >= kMaxKept) m_kept.clear();
    m_kept.emplace(Key{text, width, kind}, measured);
    return measured;
}

QSizeF TextMeasure::Line(const std::string& text, bool bold) {
    if (text.empty()) return {0, 0};
    return Find(text, 0, bold ? Kind::BoldLine : Kind::Line, [&] {
               return Measured{Metrics(bold).boundingRect(QRectF(), Qt::AlignCenter, ToQString(text)).size()};
           }).size;
}

QSizeF TextMeasure::Label(const std::string& text, double width) {
    if (text.empty()) return {0, 0};
    return Find(text, width, Kind::Label, [&] {
               const int flags = LabelFlags(text, width);
               return Measured{Metrics(false).boundingRect(QRectF(0, 0, width, 1e6), flags, ToQString(text)).size()};
           }).size;
}

int TextMeasure::LabelFlags(const std::string& text, double width) {
    return Find(text, width, Kind::Flags, [&] {
               const QFontMetricsF& fm = Metrics(false);
               for (const QString& word : ToQString(text).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                   if (fm.horizontalAdvance(word) > width + 0.5)
                       return Measured{{}, Qt::AlignCenter | Qt::TextWrapAnywhere};
               return Measured{{}, Qt::AlignCenter | Qt::TextWordWrap};
           }).flags;
}

// Lines laid out as QPainter::drawText lays them out: each line on a whole
// pixel below the one before with the font's leading between them, left
// aligned (the drawing centres each one), broken only when the flags wrap.
const TextMeasure::Laid& TextMeasure::LaidOut(const std::string& text, double width, int flags, bool bold) {
    const bool wraps = (flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere)) != 0;
    const double lineWidth = wraps ? std::max(0.0, width) : double{0x01000000};
    const bool anywhere = (flags & Qt::TextWrapAnywhere) != 0;
    const Kind kind = anywhere ? (bold ? Kind::LaidBoldAnywhere : Kind::LaidAnywhere)
                               : (bold ? Kind::LaidBold : Kind::Laid);
    const double keyWidth = wraps ? lineWidth : 0;
    if (auto it = m_laid.find(KeyView{text, keyWidth, kind}); it != m_laid.end()) return it->second;

    QString line = ToQString(text);
    for (QChar& c : line) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
        else if (c == QLatin1Char('\n')) c = QChar::LineSeparator;
    }
    Laid laid;
    laid.layout = std::make_unique<QTextLayout>(line, Font(bold));
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    if (anywhere) option.setWrapMode(QTextOption::WrapAnywhere);
    laid.layout->setTextOption(option);
    laid.layout->setCacheEnabled(true);
    const double leading = Metrics(bold).leading();
    double height = -leading;
    laid.layout->beginLayout();
    for (QTextLine l = laid.layout->createLine(); l.isValid(); l = laid.layout->createLine()) {
        l.setLineWidth(lineWidth);
        height = std::ceil(height + leading);
        l.setPosition(QPointF(0, height));
        height += l.ascent() + l.descent();
        laid.bottom.push_back(height);
        laid.width.push_back(l.naturalTextWidth());
    }
    laid.layout->endLayout();
    if (m_laid.size() >= kMaxLaid) m_laid.clear();
    return m_laid.emplace(Key{text, keyWidth, kind}, std::move(laid)).first->second;
}

void TextMeasure::Draw(QPainter& p, const QRectF& r, int flags, const std::string& text, bool bold) {
    if (text.empty()) return;
    // A text of several length variants is the painter's to choose from.
    if (text.find("\xc2\x9c") != std::string::npos) {
        p.save();
        p.setFont(Font(bold));
        p.drawText(r, flags, ToQString(text));
        p.restore();
        return;
    }
    const Laid& laid = LaidOut(text, r.width(), flags, bold);
    // The painter stops at the first line that reaches the rectangle's
    // bottom, and clips what then stands out of it.
    std::size_t lines = 0;
    double height = 0, width = 0;
    while (lines < laid.bottom.size()) {
        height = laid.bottom[lines];
        width = std::max(width, laid.width[lines]);
        ++lines;
        if (height >= r.height()) break;
    }
    double yoff = 0;
    if (flags & Qt::AlignBottom) yoff = r.height() - height;
    else if (flags & Qt::AlignVCenter) yoff = (r.height() - height) / 2;
    double xoff = 0;
    if (flags & Qt::AlignRight) xoff = r.width() - width;
    else if (flags & Qt::AlignHCenter) xoff = (r.width() - width) / 2;
    const bool clip = !r.contains(QRectF(r.x() + xoff, r.y() + yoff, width, height));
    if (clip) {
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
    }
    for (std::size_t i = 0; i < lines; ++i) {
        const QTextLine line = laid.layout->lineAt(static_cast<int>(i));
        const double advance = line.horizontalAdvance();
        xoff = (flags & Qt::AlignHCenter) ? (r.width() - advance) / 2 : 0;
        line.draw(&p, QPointF(r.x() + xoff, r.y() + yoff));
    }
    if (clip) p.restore();
}

}  // namespace platform::diagram
