#include "reports/CrudComparison.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <unordered_set>

#include "common/AsciiCase.h"
#include "common/WriteBoundary.h"
#include "common/InsideFolder.h"
#include "platform/xml/XmlChars.h"

namespace mdlReports {

namespace fs = std::filesystem;

namespace {

constexpr size_t kFlushAt = 1 << 20;

void AppendEscaped(std::string& out, std::string_view raw) {
    // Line breaks and tabs kept as references, so that a reader gets them
    // back unchanged instead of as blanks (attribute values normalise white
    // space).
    platform::xml::AppendEscaped(out, platform::xml::detail::XmlChars(raw), true);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

fs::path CrudComparisonPath(const fs::path& workspaceFolder) { return workspaceFolder / kCrudComparisonFileName; }

CrudComparisonWriter::CrudComparisonWriter(const common::WriteBoundary& inside, fs::path file)
    : m_file(std::move(file)), m_inside(inside) {
    try {
        m_out = m_inside.Open(m_file);
    } catch (const std::exception& e) {
        Fail(e.what());
    }
    m_buffer.reserve(kFlushAt + 4096);
}

CrudComparisonWriter::~CrudComparisonWriter() = default;

CrudComparisonWriter::Program::Program(std::string_view name, std::string_view id) {
    AppendEscaped(m_name, name);
    AppendEscaped(m_id, id);
}

// text is escaped already.
void CrudComparisonWriter::Attribute(std::string_view name, std::string_view text) {
    m_buffer += ' ';
    m_buffer += name;
    m_buffer += "=\"";
    m_buffer += text;
    m_buffer += '"';
}

void CrudComparisonWriter::AddPair(const Program& one, const Program& two, double level, int64_t cap) {
    if (m_pairs == 0) m_buffer += "<Pairs>\n";
    char number[64];
    m_buffer += "<Pair";
    Attribute("Program1", one.m_name);
    Attribute("P1ID", one.m_id);
    Attribute("Program2", two.m_name);
    Attribute("P2ID", two.m_id);
    Attribute("Level", std::string_view(number, std::to_chars(number, number + sizeof number, level).ptr - number));
    Attribute("Cap", std::string_view(number, std::to_chars(number, number + sizeof number, cap).ptr - number));
    m_buffer += "/>\n";
    ++m_pairs;
    if (m_buffer.size() >= kFlushAt) Flush();
}

void CrudComparisonWriter::Flush() {
    try {
        m_out->Write(m_buffer);
    } catch (const std::exception& e) {
        Fail(e.what());
    }
    m_buffer.clear();
}

void CrudComparisonWriter::Finish() {
    m_buffer += m_pairs == 0 ? "<Pairs/>\n" : "</Pairs>\n";
    Flush();
    try {
        m_out->Commit();
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}

void CrudComparisonWriter::Fail(const std::string& reason) const {
    throw std::runtime_error("Cannot write " + m_file.string() + ": " + reason);
}

std::string SimilarityText(std::string_view level) {
    level = Trim(level);
    float single = 0;
    const auto [end, ec] = std::from_chars(level.data(), level.data() + level.size(), single);
    if (ec != std::errc() || end != level.data() + level.size()) return {};
    // The default rounding mode rounds halves to the even integer.
    const double percent = std::nearbyint(static_cast<double>(single) * 100.0);
    if (!(percent >= -32768.0 && percent <= 32767.0)) return {};
    return std::to_string(static_cast<int>(percent)) + "%";
}

std::uint64_t CrudComparisonNodes(std::size_t maxElements) {
    constexpr std::uint64_t kUnbounded = platform::xml::ElementStream::kUnbounded;
    if (maxElements >= (kUnbounded - 3) / 2) return kUnbounded;
    return 2 * static_cast<std::uint64_t>(maxElements) + 3;
}

CrudComparisonList ReadCRUDComparison(const fs::path& file, std::size_t maxElements,
                                      platform::xml::ReadGauge* gauge) {
    CrudComparisonList list;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || !common::InsideFolder(file.parent_path(), file)) return list;
    try {
        platform::xml::ElementStream elements(file, gauge, CrudComparisonNodes(maxElements));
        // The two names with a separator no attribute can hold, so that AB
        // with C and A with BC stay two pairs.
        std::unordered_set<std::string> keys;
        for (std::size_t read = 0; elements.Next(); ++read) {
            if (read == maxElements) {
                list.more = true;
                break;
            }
            if (elements.Name() != "Pair") continue;
            CrudComparisonRow row{elements.GetAttribute("Program1"), elements.GetAttribute("P1ID"),
                                  elements.GetAttribute("Program2"), elements.GetAttribute("P2ID"),
                                  SimilarityText(elements.GetAttribute("Level")), elements.GetAttribute("Cap")};
            std::string key = common::AsciiFold(row.program1);
            key += '\0';
            key += common::AsciiFold(row.program2);
            if (!keys.insert(std::move(key)).second) continue;
            list.rows.push_back(std::move(row));
        }
        list.more = list.more || elements.Cut();
    } catch (const platform::xml::XmlError& e) {
        list.stopped = gauge && gauge->stop.load();
        list.damage = e.Parse();
        if (!list.damage) {
            list.damage.errorCode = -1;
            list.damage.reason = "the file cannot be opened";
        }
    }
    return list;
}

std::vector<CrudComparisonRow> ReadCRUDComparison(const fs::path& file) {
    CrudComparisonList list = ReadCRUDComparison(file, std::numeric_limits<std::size_t>::max());
    if (list.damage) return {};
    return std::move(list.rows);
}

}  // namespace mdlReports
