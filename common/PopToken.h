#pragma once
// Splitting a text at a delimiter, token by token.

#include <string>
#include <string_view>

namespace mdlReports {

// Returns the part of text before the first occurrence of delimiter (ASCII
// letter case ignored) and leaves in text what follows that occurrence.
// When the delimiter does not occur, or is empty, returns the whole text and
// leaves text empty. The default delimiter is a carriage return; pass
// std::string_view("\0", 1) for a NUL.
std::string PopToken(std::string& text, std::string_view delimiter = "\r");

}  // namespace mdlReports
