#pragma once
// The conversion applied to a name before it is compared with or stored as a
// key (web service names, screen names of the field query).

#include <string>
#include <string_view>

namespace TextUtility {

// The name without control characters (tabs, line breaks, ...) and without
// blanks at either end, so that a name pasted with a stray line break or
// blank finds and stores the same key as the name typed cleanly. Quotes are
// kept: every value reaches the database as a bound parameter.
std::string ConvertText(std::string_view text);

}  // namespace TextUtility
