#pragma once
// Message templates with numbered place holders, as the resource strings use
// them ("Do you wish to cancel %1").

#include <string>
#include <string_view>
#include <vector>

namespace UIUtility {

// Every "%n" (n = 1, 2, ...) replaced by values[n-1], in one pass over the
// template: a "%2" that arrives inside a value stays as it is. A number
// beyond the values, "%0" and a lone "%" are kept unchanged.
std::string FormatMessage(std::string_view templ, const std::vector<std::string>& values);

}  // namespace UIUtility
