#pragma once
// Small text routines of the Globals module shared by several windows.

#include <string>
#include <string_view>

namespace Globals {

// s with every single quote doubled, for a literal between single quotes.
// Values go to the database as bound parameters; this serves texts that are
// shown or stored as SQL text.
std::string SqlQuote(std::string_view s);

// name between double quotes, every double quote inside doubled: a table or
// index name written into SQL text, since names cannot be bound as values.
std::string SqlQuoteIdentifier(std::string_view name);

// Turns a hyphenated name into camel case: s is lower-cased in place (the
// caller's variable changes too), then each "-" is dropped and the character
// after it upper-cased ("ORDER-LINE-ITEM" -> "orderLineItem"). The result is
// the changed s. Letter case is changed for ASCII letters only.
std::string ToCamelCase(std::string& s);

}  // namespace Globals
