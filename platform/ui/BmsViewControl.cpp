#include "platform/ui/BmsViewControl.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

#include "platform/ui/QtText.h"

namespace platform::ui {

namespace sm = platform::screenmap;

namespace {

constexpr int kMargin = 6;

// A terminal's look: light text on a dark screen.
const QColor kScreen(16, 16, 16);
const QColor kText(64, 200, 220);
const QColor kEntryText(80, 255, 80);
const QColor kEntryBack(24, 64, 24);
// An output area the program fills at run time, in the text's colour.
const QColor kOutputBack(24, 64, 72);

// A named field the operator cannot type into (protected, or text the
// program may change): the program writes it, and its whole length is drawn.
bool IsOutputField(const sm::MapField& f) { return !f.name.empty() && !sm::TakesInput(f); }

}  // namespace

BmsViewControl::BmsViewControl(QWidget* parent) : QWidget(parent) {
    setObjectName("BMS");
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    Clear();
}

bool BmsViewControl::LoadFromFile(const std::filesystem::path& file) {
    SetListing(sm::ReadFieldListing(file));
    return m_message.isEmpty();
}

void BmsViewControl::SetListing(sm::FieldListing listing) {
    m_listing = std::move(listing);
    m_message = m_listing.Complete()
                    ? QString()
                    : QStringLiteral("The field listing could not be read in full (%1).").arg(Q(m_listing.stopReason));
    BuildGrid();
}

void BmsViewControl::Clear() { SetListing(sm::FieldListing{}); }

void BmsViewControl::BuildGrid() {
    const int width = m_listing.screenWidth;
    m_columns = width > 0 ? std::min<int>(width, kMaxColumns) : kDefaultColumns;
    int rows = m_listing.screenHeight > 0 ? m_listing.screenHeight : kDefaultRows;
    for (const sm::MapField& f : m_listing.fields) rows = std::max<int>(rows, f.row);
    m_rows = std::min(rows, kMaxRows);
    m_cells.assign(static_cast<size_t>(m_rows * m_columns), Cell{});

    for (size_t i = 0; i < m_listing.fields.size(); ++i) {
        const sm::MapField& f = m_listing.fields[i];
        if (f.row < 1 || f.row > m_rows) continue;
        QString text = Q(f.initialValue);
        const int length = std::max<int>(f.length, 0);
        if (text.size() > length) text.truncate(length);
        // A named area covers its whole length; text only its characters.
        const int span = f.name.empty() ? static_cast<int>(text.size()) : length;
        for (int k = 0; k < span; ++k) {
            const int col = f.col + k;
            if (col < 1) continue;
            if (col > m_columns) break;
            Cell& cell = At(f.row, col);
            cell.ch = k < text.size() ? text[k] : QLatin1Char(' ');
            // Control characters would upset the grid.
            if (cell.ch.unicode() < 0x20) cell.ch = QLatin1Char(' ');
            cell.field = static_cast<int>(i);
        }
    }
    updateGeometry();
    update();
}

QString BmsViewControl::RowText(int row) const {
    QString out;
    if (row < 1 || row > m_rows) return out;
    for (int col = 1; col <= m_columns; ++col) out += At(row, col).ch;
    return out;
}

const sm::MapField* BmsViewControl::FieldAt(int row, int col) const {
    if (row < 1 || row > m_rows || col < 1 || col > m_columns) return nullptr;
    const int i = At(row, col).field;
    return i < 0 ? nullptr : &m_listing.fields[static_cast<size_t>(i)];
}

QString BmsViewControl::ToolTipText(const sm::MapField& f) {
    QString kind;
    if (sm::TakesInput(f))
        kind = QStringLiteral("entry field");
    else if (IsOutputField(f))
        kind = QStringLiteral("output field");
    else
        kind = QStringLiteral("text");
    return QStringLiteral("%1\nRow %2, column %3, length %4\nAttributes %5 (%6)")
        .arg(f.name.empty() ? QStringLiteral("(unnamed)") : Q(f.name))
        .arg(f.row)
        .arg(f.col)
        .arg(f.length)
        .arg(f.attrib)
        .arg(kind);
}

QSize BmsViewControl::CellSize() const {
    const QFontMetrics fm(font());
    return QSize(std::max(fm.horizontalAdvance(QLatin1Char('M')), 1), std::max(fm.height(), 1));
}

QSize BmsViewControl::sizeHint() const {
    const QSize cell = CellSize();
    return QSize(m_columns * cell.width() + 2 * kMargin, m_rows * cell.height() + 2 * kMargin);
}

void BmsViewControl::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(rect(), kScreen);
    p.setFont(font());
    const QSize cell = CellSize();
    const QFontMetrics fm(font());
    const QRect dirty = e->rect();
    for (int row = 1; row <= m_rows; ++row) {
        const int y = kMargin + (row - 1) * cell.height();
        if (y > dirty.bottom() || y + cell.height() < dirty.top()) continue;
        for (int col = 1; col <= m_columns; ++col) {
            const Cell& c = At(row, col);
            if (c.field < 0) continue;
            const sm::MapField& f = m_listing.fields[static_cast<size_t>(c.field)];
            const QRect box(kMargin + (col - 1) * cell.width(), y, cell.width(), cell.height());
            QColor ink = kText;
            if (sm::TakesInput(f)) {
                p.fillRect(box, kEntryBack);
                ink = kEntryText;
                p.setPen(ink);
                p.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
            } else if (IsOutputField(f)) {
                // Kept off the cell's edges, so fields on adjacent lines
                // stay apart, and underlined with dots in the field's colour.
                p.fillRect(box.adjusted(0, 1, 0, -2), kOutputBack);
                p.setPen(QPen(kText, 1, Qt::DotLine));
                p.drawLine(box.left(), box.bottom() - 1, box.right(), box.bottom() - 1);
            }
            if (c.ch != QLatin1Char(' ')) {
                p.setPen(ink);
                p.drawText(box.left(), y + fm.ascent(), QString(c.ch));
            }
        }
    }
}

bool BmsViewControl::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QSize cell = CellSize();
        const QPoint at = help->pos() - QPoint(kMargin, kMargin);
        const sm::MapField* f = nullptr;
        if (at.x() >= 0 && at.y() >= 0) f = FieldAt(at.y() / cell.height() + 1, at.x() / cell.width() + 1);
        if (f)
            QToolTip::showText(help->globalPos(), ToolTipText(*f), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void BmsViewControl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) updateGeometry();
    QWidget::changeEvent(e);
}

}  // namespace platform::ui
