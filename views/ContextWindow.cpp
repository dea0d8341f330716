#include "views/ContextWindow.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "common/AsciiCase.h"

namespace views {

namespace {

using platform::diagram::Shape;

constexpr platform::diagram::Colour kStubLine = platform::diagram::Rgb(255, 0, 0);

enum class BoxKind { None, Screen, StubScreen, Program, Other };

BoxKind KindOf(const Shape& box) {
    const std::string& tag = box.tag;
    if (tag.empty()) return BoxKind::None;
    for (const char* none : {"DATASTORE", "DUMMYSTORE", "STUBPROG"})
        if (common::AsciiStartsWithNoCase(tag, none)) return BoxKind::None;
    if (common::AsciiStartsWithNoCase(tag, "MAP"))
        return box.lineColor == kStubLine ? BoxKind::StubScreen : BoxKind::Screen;
    if (common::AsciiStartsWithNoCase(tag, "PROGRAM")) return BoxKind::Program;
    return BoxKind::Other;
}

// The repository's answer; a program it does not know has no source view.
bool HasSourceLanguage(const Shape& box, const services::LanguageLookup& language) {
    if (!language) return false;
    std::optional<std::string> lang;
    try {
        lang = language(box.tag);
    } catch (...) {
        return false;
    }
    return lang && services::IsSourceLanguage(*lang);
}

std::optional<int> Zoom(std::string_view text) {
    int value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) return std::nullopt;
    return value;
}

}  // namespace

std::string FlowContextWindowKey(std::string_view id) { return std::string(id) + "-FlowContext"; }

std::string FlowContextCaption(std::string_view name) { return std::string(name) + " - Flow Context"; }

std::string WriteContextLayout(const ContextLayout& layout) {
    return layout.splitterLayout + "-" + std::to_string(layout.clientZoom) + "-" + std::to_string(layout.dataZoom);
}

std::optional<ContextLayout> ReadContextLayout(std::string_view entry) {
    const size_t second = entry.rfind('-');
    if (second == std::string_view::npos || second == 0) return std::nullopt;
    const size_t first = entry.rfind('-', second - 1);
    if (first == std::string_view::npos) return std::nullopt;
    const auto client = Zoom(entry.substr(first + 1, second - first - 1));
    const auto data = Zoom(entry.substr(second + 1));
    if (!client || !data) return std::nullopt;
    return ContextLayout{std::string(entry.substr(0, first)), *client, *data};
}

BoxMenuState PrepareBoxMenu(BoxMenuTrigger trigger, const Shape& box, const services::LanguageLookup& language) {
    const bool byMouse = trigger == BoxMenuTrigger::RightMouse;
    BoxMenuState m;
    m.refocus = m.expand = true;
    m.viewSource = !byMouse;
    switch (KindOf(box)) {
        case BoxKind::None:
        case BoxKind::StubScreen:
            return m;
        case BoxKind::Screen:
            m.viewSource = true;
            m.refocus = m.expand = false;
            break;
        case BoxKind::Program:
            // The keyboard menu offers the source whatever the language.
            if (byMouse && HasSourceLanguage(box, language)) m.viewSource = true;
            break;
        case BoxKind::Other:
            break;
    }
    m.popUp = true;
    m.viewSourceTag = m.refocusTag = services::JoinTag(box.key, box.tag);
    m.expandTag = box.key;
    return m;
}

bool BoxOpensSource(const Shape& box, const services::LanguageLookup& language) {
    switch (KindOf(box)) {
        case BoxKind::Screen:
            return true;
        case BoxKind::Program:
            return HasSourceLanguage(box, language);
        default:
            return false;
    }
}

}  // namespace views
