#pragma once
// The rich-text view keeps a table's background in the table's format but
// paints only the backgrounds of its cells, so a page whose header table
// sets light text on a dark table shows white on white. Giving the table's
// background to each of its cells that has none of its own shows the page
// as it was written.

class QTextDocument;

namespace platform::ui {

// Applies to every table of the document, nested ones included.
void PaintTableBackgrounds(QTextDocument& document);

}  // namespace platform::ui
