#pragma once
// The CRUD comparison file QuarvelCRUDComp.xml in the workspace folder: the
// root "Pairs" with one "Pair" element per similar program pair, attributes
// Program1, P1ID, Program2, P2ID, Level and Cap, no XML declaration. The
// analysis writes it element by element (a large workspace has millions of
// pairs); the overlap window and the report read it back as rows.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/WriteBoundary.h"
#include "platform/xml/ElementStream.h"
#include "platform/xml/XmlError.h"

namespace mdlReports {

inline constexpr char kCrudComparisonFileName[] = "QuarvelCRUDComp.xml";

// The comparison file of a workspace folder (a folder given with a trailing
// separator gets no second one).
std::filesystem::path CrudComparisonPath(const std::filesystem::path& workspaceFolder);

// Writes the file through an exclusively created temporary beside its final
// place (common::ReplacementFile) and moves it there on Finish, so a run
// that is cancelled or fails keeps the earlier file as it was, and a link
// planted beside the file is never followed. The file is written through
// the boundary given, the workspace folder as the window's claim holds it
// (common::WriteBoundary), never by the folder's path: a link at its name
// is replaced, not written through. Texts become characters XML can carry,
// so the file always loads again.
class CrudComparisonWriter {
public:
    // file lies below inside's folder.
    CrudComparisonWriter(const common::WriteBoundary& inside, std::filesystem::path file);
    // Without Finish the partial file is removed and the file stays as it was.
    ~CrudComparisonWriter();
    CrudComparisonWriter(const CrudComparisonWriter&) = delete;
    CrudComparisonWriter& operator=(const CrudComparisonWriter&) = delete;

    // A program's name and id as the file holds them, made once for all
    // the pairs the program is in.
    class Program {
    public:
        Program() = default;
        Program(std::string_view name, std::string_view id);

    private:
        friend class CrudComparisonWriter;
        std::string m_name, m_id;
    };

    // The Level is written as the shortest decimal text that reads back as
    // the same number ("0.25", "0.1111111111111111").
    void AddPair(const Program& one, const Program& two, double level, int64_t cap);
    size_t Pairs() const { return m_pairs; }
    // Completes the document and puts it in place of the file; raises
    // std::runtime_error naming the file when that fails.
    void Finish();

private:
    void Attribute(std::string_view name, std::string_view text);
    void Fail(const std::string& reason) const;
    void Flush();

    std::filesystem::path m_file;
    common::WriteBoundary m_inside;
    std::unique_ptr<common::WriteBoundary::Writer> m_out;
    std::string m_buffer;
    size_t m_pairs = 0;
};

// The rating in a Level text as the overlap window shows it: read as a
// single-precision number, times 100, rounded half to even, with "%"
// ("0.5" gives "50%", "0.125" "12%", "0.335" "34%"). A text that is no
// number, or a percentage beyond a 16-bit integer, gives "".
std::string SimilarityText(std::string_view level);

// One row of the overlap window: a pair as the file names it.
struct CrudComparisonRow {
    std::string program1;
    std::string p1Id;
    std::string program2;
    std::string p2Id;
    std::string similarity;   // SimilarityText of Level
    std::string cap;          // Cap as written
};

// The rows of a comparison file, in file order, one per pair of names
// (compared as the database compares names): a later element with the same
// two names is left out, and so is an element that is not a Pair. The file
// is read element by element, so it costs no memory beyond the rows however
// large it is. A missing or unreadable file, one that is not well-formed
// where it is read, and one that leads out of its folder (the workspace
// folder) through a link give no rows.
std::vector<CrudComparisonRow> ReadCRUDComparison(const std::filesystem::path& file);

// What a bounded read of a comparison file found.
struct CrudComparisonList {
    std::vector<CrudComparisonRow> rows;   // the pairs before any damage
    bool more = false;                     // the file goes on past the bound
    bool stopped = false;                  // the gauge's stop ended the read
    // Set when the file is not well-formed (or cannot be read) where it
    // was read: its reason, line and position (IsEmptyDocument when it
    // holds nothing but white space).
    platform::xml::ParseError damage;
};

// At most maxElements of the root's child elements are read, each counted
// whether it is a new pair, a repeated one or no pair at all, so the read
// ends within a bound however the file repeats itself. Whatever else the
// file holds counts too, each comment, processing instruction, text and
// node inside an element: the read takes in at most
// CrudComparisonNodes(maxElements) nodes, as many as a file of that many
// pairs as the writer lays them out, however the rest is filled. gauge
// (optional) shows the bytes and nodes read to another thread and lets it
// stop the read.
CrudComparisonList ReadCRUDComparison(const std::filesystem::path& file, std::size_t maxElements,
                                      platform::xml::ReadGauge* gauge = nullptr);

// The nodes a read of maxElements takes in: each pair and the line break
// after it, the root and the break after its start, and the element after
// the last, which tells whether there are more.
std::uint64_t CrudComparisonNodes(std::size_t maxElements);

}  // namespace mdlReports
