#include "app/dialogs/ShellOptions.h"

#include <algorithm>

#include "common/Globals.h"

namespace Globals {

std::string g_SourceDirectory;
std::vector<std::string> g_CutList;
std::vector<std::string> g_LibList;
bool g_Validations = false;
bool g_Uses = false;
bool g_Commarea = false;
bool g_Downstream = true;
bool g_Compare = true;

void InitShellOptions() {
    g_CutList.clear();
    g_LibList.clear();
    g_Restrict = false;
    g_Downstream = true;
    g_Compare = true;
}

}  // namespace Globals

namespace dialogs {

std::string TrimName(const std::string& text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool CanAddName(const std::vector<std::string>& names, const std::string& text) {
    const std::string name = TrimName(text);
    return !name.empty() && std::find(names.begin(), names.end(), name) == names.end();
}

}  // namespace dialogs
