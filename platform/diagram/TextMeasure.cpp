#include "platform/diagram/TextMeasure.h"

#include <QRectF>
#include <QString>
#include <QStringList>

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

}  // namespace platform::diagram
