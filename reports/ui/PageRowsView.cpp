#include "reports/ui/PageRowsView.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QHeaderView>

#include <algorithm>

#include "platform/ui/QtText.h"

namespace reports::ui {

namespace {

// Above and below a cell's text, as on the page.
constexpr int kPadding = 8;

class PageRowsModel : public QAbstractTableModel {
public:
    explicit PageRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

    void SetRows(mdlReports::PageRows rows) {
        beginResetModel();
        m_rows = std::move(rows);
        m_columns = static_cast<int>(m_rows.captions.size());
        for (const auto& row : m_rows.rows) m_columns = std::max(m_columns, static_cast<int>(row.size()));
        endResetModel();
    }
    const mdlReports::PageRows& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.rows.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_columns; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const auto& row = m_rows.rows[static_cast<size_t>(index.row())];
        const auto column = static_cast<size_t>(index.column());
        if (role == Qt::DisplayRole) return column < row.size() ? platform::ui::Q(row[column]) : QString();
        if (role == Qt::TextAlignmentRole) {
            using Align = mdlReports::PageRows::Align;
            const Align align = column < m_rows.align.size() ? m_rows.align[column] : Align::Left;
            const Qt::Alignment across = align == Align::Right    ? Qt::AlignRight
                                         : align == Align::Center ? Qt::AlignHCenter
                                                                  : Qt::AlignLeft;
            return QVariant::fromValue(across | Qt::AlignTop);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        const auto column = static_cast<size_t>(section);
        return column < m_rows.captions.size() ? platform::ui::Q(m_rows.captions[column]) : QString();
    }

private:
    mdlReports::PageRows m_rows;
    int m_columns = 0;
};

}  // namespace

PageRowsView::PageRowsView(QWidget* parent) : QTableView(parent) {
    setModel(new PageRowsModel(this));
    // The page's own type.
    QFont font;
    font.setFamilies({"Verdana", "Arial", "Helvetica", "sans-serif"});
    font.setPixelSize(12);
    setFont(font);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // One line with the page's cell padding.
    const int line = fontMetrics().lineSpacing();
    verticalHeader()->setMinimumSectionSize(line);
    verticalHeader()->setDefaultSectionSize(line + kPadding);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void PageRowsView::SetRows(mdlReports::PageRows rows) {
    auto* model = static_cast<PageRowsModel*>(this->model());
    rows.frame.clear();
    model->SetRows(std::move(rows));

    // A row is as tall as its cell of most lines; sizing each row from its
    // contents would lay every row out.
    QHeaderView* heights = verticalHeader();
    const int line = fontMetrics().lineSpacing();
    // With updates off a new height is only noted; each one would otherwise
    // find the rows' places anew.
    heights->setUpdatesEnabled(false);
    const auto& list = model->Rows().rows;
    for (size_t r = 0; r < list.size(); ++r) {
        size_t lines = 1;
        for (const std::string& cell : list[r])
            lines = std::max(lines, 1 + static_cast<size_t>(std::count(cell.begin(), cell.end(), '\n')));
        if (lines > 1) heights->resizeSection(static_cast<int>(r), kPadding + static_cast<int>(lines) * line);
    }
    heights->setUpdatesEnabled(true);
    // Widths from the first thousand rows and those in sight.
    resizeColumnsToContents();
}

}  // namespace reports::ui
