#pragma once
// The field listing of a screen map: a tab-separated text whose first line
// is a header (screen width first) and whose every further line describes
// one field in 23 values. The source viewer draws a map from it and the
// report's screen pages load it into the Fields table, so both read it here.
//
// A line that cannot be read in full (a value that is not a whole number or
// does not fit its width, a short line, a width of 0 with an offset
// position) ends the reading; the fields before it are kept.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::screenmap {

struct MapField {
    std::string name;          // empty for an unnamed field ("_NONAME")
    int32_t ordinal = 0;       // 0 for the first field line, then 1, 2, ...
    int16_t row = 0;           // screen line, from 1
    int16_t col = 0;           // column where the field starts, from 1
    int16_t length = 0;        // in characters
    std::string initialValue;  // UTF-8
    int32_t attrib = 0;
};

// Attribute bits: 1 protects a field from the operator (the program alone
// writes it); 1 and 2 together make a named field plain text like an
// unnamed one on a report's screen page.
constexpr int32_t kAttribProtected = 1;
constexpr int32_t kAttribTextMask = 3;

// The report's screen page shows a named field whose attribute does not
// carry both bits as a text box of its length (read-only when protected)
// and every other field as its initial text. Fields read back from the
// database are classed by their name and attribute alone.
bool IsEntryField(std::string_view name, int64_t attrib);
bool IsProtectedEntry(std::string_view name, int64_t attrib);
inline bool IsEntryField(const MapField& field) { return IsEntryField(field.name, field.attrib); }
inline bool IsProtectedEntry(const MapField& field) { return IsProtectedEntry(field.name, field.attrib); }
// Whether the operator types into the field: an entry field that is not
// protected. A protected one is an output area the program fills, whatever
// its initial text, and the map viewer draws it as one.
bool TakesInput(const MapField& field);

struct FieldListing {
    // False for an empty text; the report writes its pseudo fields only
    // for a listing with a header.
    bool hasHeader = false;
    // Columns per screen line and lines of the map, from the header.
    int16_t screenWidth = 0;
    int16_t screenHeight = 0;
    // In file order.
    std::vector<MapField> fields;
    // Empty when the listing was read to its end; otherwise why the reading
    // stopped, naming the line ("line 4: value 15 is not a whole number").
    std::string stopReason;

    bool Complete() const { return stopReason.empty(); }
};

// Reads a listing from its text (UTF-8). Lines end in CR LF, LF or CR;
// blank lines after the last field line are no fields and stop nothing.
FieldListing ParseFieldListing(std::string_view text);

// Reads the listing file (UTF-8 when its bytes are valid UTF-8, else
// Latin-1). A file that cannot be read gives no header and a stop reason.
FieldListing ReadFieldListing(const std::filesystem::path& file);

// A whole number as a listing value holds it: decimal digits with an
// optional sign, blanks around allowed; false when the text is not one or
// the number does not fit in bits (16 or 32).
bool ParseWholeNumber(std::string_view text, int bits, int32_t& out);

}  // namespace platform::screenmap
