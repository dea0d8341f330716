#pragma once
// The rows of a list page in a table view, which lays out and paints only
// the rows in sight: a page of tens of thousands of rows shows at once,
// where the rich-text browser laid the whole table out first. The columns
// carry the page's captions and alignment, each row is as tall as its
// cell of most lines, and the rows are striped as the page's are.

#include <QTableView>

#include "reports/PageRows.h"

namespace reports::ui {

class PageRowsView : public QTableView {
    Q_OBJECT
public:
    explicit PageRowsView(QWidget* parent);
    // Shows the list of rows (the frame is left to the browser).
    void SetRows(mdlReports::PageRows rows);
};

}  // namespace reports::ui
