#pragma once
// Turning free texts (service and program names, type texts such as
// "decimal 9(2)") into names that XML, WSDL and schema consumers accept.

#include <set>
#include <string>
#include <string_view>

namespace services {

// A valid XML name without colon (NCName) made from any UTF-8 text, in the
// characters every WSDL and schema reader accepts (platform/xml/XmlChars.h:
// no U+FFFD, U+FEFF, U+203F or character beyond U+FFFF): every run of
// characters that may not appear in a name becomes one '_', such a run at
// the end is dropped, and a text that would start with a digit, '-', '.' or
// other non-start character gets a leading '_'. "char 10" gives
// "char_10", "decimal 9(2)" gives "decimal_9_2", "1PROG" gives "_1PROG";
// the empty text gives "_".
std::string ToXmlName(std::string_view text);

// Whether the text is already such a name.
bool IsXmlName(std::string_view text);

// The text as well-formed UTF-8: every byte that does not start a
// well-formed sequence becomes U+FFFD, as a window shows it. For file names
// made from names a database may hold in any bytes.
std::string ToValidUtf8(std::string_view text);

// Hands out names that stay unique within one scope: the first claim of a
// name returns it unchanged, later claims get "_2", "_3", ... appended.
class UniqueNames {
public:
    std::string Claim(const std::string& name);
    bool Contains(const std::string& name) const { return m_used.count(name) != 0; }

private:
    std::set<std::string> m_used;
};

}  // namespace services
