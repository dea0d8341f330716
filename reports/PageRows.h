#pragma once
// A list page read apart for a window that shows its list on its own: the
// page without the list (its header, title and links), and the list's
// column captions and rows as text. Laid out as rich text, a list of tens
// of thousands of rows holds the window for seconds; as rows of a view
// that lays out only those in sight, it holds it for none. The file itself
// is only read.

#include <filesystem>
#include <string>
#include <vector>

namespace common {
class IPrompt;
}

namespace mdlReports {

struct PageRows {
    enum class Align { Left, Right, Center };
    // The page as SavePage writes it, less the list's table; the whole page
    // when it has no list.
    std::string frame;
    // The list's header cells, and for each column the alignment of its
    // cells (the engine gives every cell its column's attributes).
    std::vector<std::string> captions;
    std::vector<Align> align;
    // One entry per row, one text per cell: the cell's text as a browser
    // shows it, white space run together, a "\n" for each line break.
    std::vector<std::vector<std::string>> rows;
};

// Reads the saved page file; its list is the table with id "result". A
// file that cannot be read raises ReportError; a page that does not parse
// is reported through prompt (message 502) and raises IllFormedPage.
PageRows ReadPageRows(const std::filesystem::path& file, common::IPrompt& prompt);

}  // namespace mdlReports
