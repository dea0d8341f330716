#pragma once
// Small text helpers of the import. Case is folded the way the workspace
// database compares text (COLLATE NOCASE folds ASCII letters only), so an
// in-memory lookup agrees with the same lookup done in SQL.

#include <string>
#include <string_view>

namespace workspace {

std::string FoldCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

// The first n characters (not bytes) of a UTF-8 text; never cuts a character.
std::string LeftChars(std::string_view s, size_t n);

}  // namespace workspace
