#include "platform/diagram/OpaqueLines.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <bit>
#include <cmath>

namespace platform::diagram {

namespace {

// The bits of word index word that stand for positions first to last.
std::uint64_t WordMask(int word, int first, int last) {
    const int from = std::max(first - word * 64, 0), to = std::min(last - word * 64, 63);
    const std::uint64_t upTo = to == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (to + 1)) - 1;
    return upTo & ~((std::uint64_t{1} << from) - 1);
}

void SetBits(std::uint64_t* words, int first, int last) {
    for (int w = first / 64; w <= last / 64; ++w) words[w] |= WordMask(w, first, last);
}

bool OnPixelCentre(double v) { return v - std::floor(v) == 0.5; }

}  // namespace

OpaqueLines::OpaqueLines(QPainter& p) : m_painter(p) {
    QPaintDevice* device = p.device();
    if (!device || device->devType() != QInternal::Image) return;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return;
    m_image = image;
    m_width = image->width();
    m_height = image->height();
}

OpaqueLines::~OpaqueLines() { Flush(); }

bool OpaqueLines::Takes(const QPen& pen) {
    if (!m_image || pen.style() != Qt::SolidLine || pen.widthF() != 1.0 || pen.capStyle() != Qt::SquareCap ||
        pen.brush().style() != Qt::SolidPattern || pen.color().alpha() != 255)
        return false;
    if (!m_painter.testRenderHint(QPainter::Antialiasing) || m_painter.hasClipping() || m_painter.opacity() != 1.0 ||
        m_painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        m_painter.combinedTransform().type() != QTransform::TxNone)
        return false;
    const QRgb colour = pen.color().rgba();
    if (colour != m_colour) {
        Flush();
        m_colour = colour;
    }
    return true;
}

bool OpaqueLines::Add(const QLineF& line) {
    const QPointF a = line.p1(), b = line.p2();
    if (a == b || (a.x() != b.x() && a.y() != b.y())) return false;
    if (!OnPixelCentre(a.x()) || !OnPixelCentre(a.y()) || !OnPixelCentre(b.x()) || !OnPixelCentre(b.y()))
        return false;
    // The square ends reach half a pixel past the centres: the line covers
    // the pixels from one centre's to the other's.
    const double left = std::max(std::floor(std::min(a.x(), b.x())), 0.0);
    const double right = std::min(std::floor(std::max(a.x(), b.x())), m_width - 1.0);
    const double top = std::max(std::floor(std::min(a.y(), b.y())), 0.0);
    const double bottom = std::min(std::floor(std::max(a.y(), b.y())), m_height - 1.0);
    if (left > right || top > bottom) return true;   // off the image, as Qt would leave it
    if (m_rows.empty()) {
        m_rowWords = (m_width + 63) / 64;
        m_columnWords = (m_height + 63) / 64;
        m_rows.assign(static_cast<std::size_t>(m_rowWords) * static_cast<std::size_t>(m_height), 0);
        m_columns.assign(static_cast<std::size_t>(m_columnWords) * static_cast<std::size_t>(m_width), 0);
    }
    const QRect covered(QPoint(static_cast<int>(left), static_cast<int>(top)),
                        QPoint(static_cast<int>(right), static_cast<int>(bottom)));
    if (covered.top() == covered.bottom())
        SetBits(&m_rows[static_cast<std::size_t>(covered.top()) * static_cast<std::size_t>(m_rowWords)],
                covered.left(), covered.right());
    else
        SetBits(&m_columns[static_cast<std::size_t>(covered.left()) * static_cast<std::size_t>(m_columnWords)],
                covered.top(), covered.bottom());
    m_held |= covered;
    return true;
}

void OpaqueLines::Flush(const QRect& area) {
    const QRect part = area & m_held;
    if (part.isEmpty()) return;
    Write(part);
    if (part == m_held) m_held = QRect();
}

void OpaqueLines::Flush() {
    if (m_held.isEmpty()) return;
    Write(m_held);
    m_held = QRect();
}

void OpaqueLines::Write(const QRect& area) {
    uchar* const bits = m_image->bits();
    const qsizetype stride = m_image->bytesPerLine();
    auto pixels = [&](int y) { return reinterpret_cast<QRgb*>(bits + stride * y); };
    const int firstWord = area.left() / 64, lastWord = area.right() / 64;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::uint64_t* row = &m_rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_rowWords)];
        for (int w = firstWord; w <= lastWord; ++w) {
            const std::uint64_t mask = WordMask(w, area.left(), area.right());
            std::uint64_t set = row[w] & mask;
            if (!set) continue;
            row[w] &= ~mask;
            QRgb* line = pixels(y) + w * 64;
            while (set) {
                const int from = std::countr_zero(set);
                const int run = std::countr_one(set >> from);
                std::fill_n(line + from, run, m_colour);
                set &= run + from >= 64 ? 0 : ~std::uint64_t{0} << (from + run);
            }
        }
    }
    // Vertical lines in bands of 64 rows, so that the rows written stay in
    // the cache.
    for (int band = area.top() / 64; band <= area.bottom() / 64; ++band) {
        const std::uint64_t mask = WordMask(band, area.top(), area.bottom());
        for (int x = area.left(); x <= area.right(); ++x) {
            std::uint64_t& column =
                m_columns[static_cast<std::size_t>(x) * static_cast<std::size_t>(m_columnWords) + band];
            std::uint64_t set = column & mask;
            if (!set) continue;
            column &= ~mask;
            for (; set; set &= set - 1) pixels(band * 64 + std::countr_zero(set))[x] = m_colour;
        }
    }
}

}  // namespace platform::diagram
