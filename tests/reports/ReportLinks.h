#pragma once
// Whether the links and images of a report tree lead to files.

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/reports/ReportTestSupport.h"

namespace reporttest {

namespace fs = std::filesystem;

inline std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Every page below root, by its path relative to root.
inline std::vector<fs::path> Pages(const fs::path& root) {
    std::vector<fs::path> pages;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.path().extension() == ".html") pages.push_back(e.path());
    std::sort(pages.begin(), pages.end());
    return pages;
}

// The relative links and images of every page that lead to no file: the
// anchors, the images and the full images a preview switches to. Pages are
// read as text, since a screen page is HTML with open input tags.
inline std::vector<std::string> BrokenReferences(const fs::path& root) {
    static const std::regex reference(R"re((?:href|src)="([^"]*)"|swapImage\('[^']*','[^']*','([^']*)')re");
    std::vector<std::string> broken;
    for (const fs::path& page : Pages(root)) {
        const std::string text = reporttest::ReadText(page);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), reference); it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
            if (target.empty()) {
                broken.push_back(page.lexically_relative(root).string() + ": empty reference");
                continue;
            }
            if (target.find("://") != std::string::npos || target[0] == '#') continue;
            const fs::path file = (page.parent_path() / PercentDecoded(target)).lexically_normal();
            if (!fs::is_regular_file(file)) broken.push_back(page.lexically_relative(root).string() + " -> " + target);
        }
    }
    return broken;
}

}  // namespace reporttest
