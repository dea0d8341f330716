#pragma once
// Identifier texts of the web stores: tree keys and menu Tags carry numbers as text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace services {

// The number an identifier text names ("12", " 12 "), or nothing for a text
// that is not a whole number: such an identifier names no row.
std::optional<int64_t> ParseId(std::string_view text);

}  // namespace services
