#include "common/FileNameUtility.h"

namespace FileNameUtility {

bool IsValidName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        switch (c) {
        case '\\': case '/': case ':': case '*': case '?':
        case '"': case '<': case '>': case '|':
            return false;
        default:
            break;
        }
    }
    return true;
}

}  // namespace FileNameUtility
