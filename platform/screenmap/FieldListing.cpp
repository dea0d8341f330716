#include "platform/screenmap/FieldListing.h"

#include <charconv>
#include <exception>
#include <limits>

#include "common/AsciiCase.h"
#include "common/PopToken.h"
#include "platform/screenmap/WorkspaceFiles.h"

namespace platform::screenmap {

namespace {

constexpr int kFieldValues = 23;

// How each value of a field line is read: 0 text, else a whole number of
// that many bits. Values the map does not use are checked all the same.
constexpr int kFieldWidths[kFieldValues] = {0, 16, 32, 32, 16, 0,  16, 0,  16, 16, 16, 16,
                                            0, 32, 16, 0,  0,  16, 32, 32, 16, 16, 16};
// Positions (from 1) of the values the map uses.
constexpr int kName = 1, kAttrib = 3, kInitial = 8, kLength = 12, kColumn = 22, kRow = 23;

constexpr int kHeaderValues = 4;
constexpr int kHeaderWidths[kHeaderValues] = {16, 16, 0, 0};

struct Line {
    std::string_view text;
    int number;  // from 1
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({text.substr(start), number});
            break;
        }
        lines.push_back({text.substr(start, end - start), number++});
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    // Blank lines at the end are the file's end, not fields.
    while (!lines.empty() && lines.back().text.find_first_not_of(" \t") == std::string_view::npos) lines.pop_back();
    return lines;
}

// The first n tab-separated values; a value the line lacks is empty.
std::vector<std::string> Values(std::string_view line, int n) {
    std::string rest(line);
    std::vector<std::string> values;
    values.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) values.push_back(mdlReports::PopToken(rest, "\t"));
    return values;
}

// Converts the numeric values; an empty text when all are whole numbers of
// their width, else what is wrong.
std::string Convert(const std::vector<std::string>& values, const int* widths, std::vector<int32_t>& numbers) {
    numbers.assign(values.size(), 0);
    for (size_t i = 0; i < values.size(); ++i) {
        if (widths[i] == 0) continue;
        if (!ParseWholeNumber(values[i], widths[i], numbers[i])) {
            const std::string which = "value " + std::to_string(i + 1);
            return values[i].empty() ? which + " is missing"
                                     : which + " is not a " + std::to_string(widths[i]) + "-bit whole number";
        }
    }
    return {};
}

std::string At(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

}  // namespace

bool IsEntryField(std::string_view name, int64_t attrib) {
    return !name.empty() && (attrib & kAttribTextMask) != kAttribTextMask;
}

bool IsProtectedEntry(std::string_view name, int64_t attrib) {
    return IsEntryField(name, attrib) && (attrib & kAttribProtected) != 0;
}

bool TakesInput(const MapField& field) { return IsEntryField(field) && !IsProtectedEntry(field); }

bool ParseWholeNumber(std::string_view text, int bits, int32_t& out) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    // Digits only from here: from_chars would take a second minus.
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (negative) value = -value;
    const int64_t max = bits == 16 ? std::numeric_limits<int16_t>::max() : std::numeric_limits<int32_t>::max();
    const int64_t min = bits == 16 ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int32_t>::min();
    if (value < min || value > max) return false;
    out = static_cast<int32_t>(value);
    return true;
}

FieldListing ParseFieldListing(std::string_view text) {
    FieldListing listing;
    const std::vector<Line> lines = SplitLines(text);
    if (lines.empty()) return listing;

    std::vector<int32_t> numbers;
    const std::vector<std::string> header = Values(lines.front().text, kHeaderValues);
    if (std::string wrong = Convert(header, kHeaderWidths, numbers); !wrong.empty()) {
        listing.stopReason = At(lines.front().number, "header " + wrong);
        return listing;
    }
    listing.hasHeader = true;
    listing.screenWidth = static_cast<int16_t>(numbers[0]);
    listing.screenHeight = static_cast<int16_t>(numbers[1]);
    const int32_t width = listing.screenWidth;

    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> values = Values(lines[i].text, kFieldValues);
        if (std::string wrong = Convert(values, kFieldWidths, numbers); !wrong.empty()) {
            listing.stopReason = At(lines[i].number, wrong);
            return listing;
        }
        MapField f;
        const int32_t column = numbers[kColumn - 1];
        const int32_t row = numbers[kRow - 1];
        if (column == -1) {
            // The row value is an offset from the top left corner, counted
            // from 0 in screen lines of the header's width.
            if (width == 0) {
                listing.stopReason = At(lines[i].number, "an offset position needs a screen width");
                return listing;
            }
            const int32_t r = row / width + 1;
            const int32_t c = row % width + 1;
            if (r > std::numeric_limits<int16_t>::max() || c > std::numeric_limits<int16_t>::max() ||
                c < std::numeric_limits<int16_t>::min()) {
                listing.stopReason = At(lines[i].number, "the offset gives no screen position");
                return listing;
            }
            f.row = static_cast<int16_t>(r);
            f.col = static_cast<int16_t>(c);
        } else {
            f.row = static_cast<int16_t>(row);
            f.col = static_cast<int16_t>(column);
        }
        f.name = values[kName - 1];
        if (common::AsciiEqualNoCase(f.name, "_NONAME")) f.name.clear();
        f.ordinal = static_cast<int32_t>(listing.fields.size());
        f.length = static_cast<int16_t>(numbers[kLength - 1]);
        f.initialValue = values[kInitial - 1];
        f.attrib = numbers[kAttrib - 1];
        listing.fields.push_back(std::move(f));
    }
    return listing;
}

FieldListing ReadFieldListing(const std::filesystem::path& file) {
    std::string text;
    try {
        text = ReadTextFile(file);
    } catch (const std::exception& e) {
        FieldListing none;
        none.stopReason = e.what();
        return none;
    }
    return ParseFieldListing(text);
}

}  // namespace platform::screenmap
