#include "platform/ui/core/FormatMessage.h"

namespace UIUtility {

std::string FormatMessage(std::string_view templ, const std::vector<std::string>& values) {
    std::string out;
    out.reserve(templ.size());
    size_t i = 0;
    while (i < templ.size()) {
        const char c = templ[i];
        if (c != '%' || i + 1 >= templ.size() || templ[i + 1] < '0' || templ[i + 1] > '9') {
            out.push_back(c);
            ++i;
            continue;
        }
        size_t j = i + 1;
        size_t n = 0;
        while (j < templ.size() && templ[j] >= '0' && templ[j] <= '9' && n <= values.size())
            n = n * 10 + static_cast<size_t>(templ[j++] - '0');
        if (n >= 1 && n <= values.size()) {
            out += values[n - 1];
        } else {
            out.append(templ.substr(i, j - i));
        }
        i = j;
    }
    return out;
}

}  // namespace UIUtility
