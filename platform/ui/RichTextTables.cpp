#include "platform/ui/RichTextTables.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace platform::ui {

namespace {

void PaintFrame(QTextFrame& frame) {
    for (QTextFrame* child : frame.childFrames()) {
        auto* table = qobject_cast<QTextTable*>(child);
        if (table && table->format().hasProperty(QTextFormat::BackgroundBrush)) {
            const QBrush background = table->format().background();
            for (int row = 0; row < table->rows(); ++row) {
                for (int col = 0; col < table->columns(); ++col) {
                    QTextTableCell cell = table->cellAt(row, col);
                    // A spanned cell is met once per row and column it covers.
                    if (cell.row() != row || cell.column() != col) continue;
                    QTextTableCellFormat format = cell.format().toTableCellFormat();
                    if (format.hasProperty(QTextFormat::BackgroundBrush)) continue;
                    format.setBackground(background);
                    cell.setFormat(format);
                }
            }
        }
        PaintFrame(*child);
    }
}

}  // namespace

void PaintTableBackgrounds(QTextDocument& document) {
    if (QTextFrame* root = document.rootFrame()) PaintFrame(*root);
}

}  // namespace platform::ui
