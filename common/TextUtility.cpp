#include "common/TextUtility.h"

namespace TextUtility {

std::string ConvertText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // Bytes of multi-byte UTF-8 sequences are all >= 0x80 and pass unchanged.
    for (unsigned char c : text)
        if (c >= 0x20 && c != 0x7F) out.push_back(static_cast<char>(c));
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

}  // namespace TextUtility
