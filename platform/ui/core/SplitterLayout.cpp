#include "platform/ui/core/SplitterLayout.h"

#include <charconv>
#include <cmath>
#include <set>

namespace platform::ui {

namespace {

constexpr std::string_view kVersion = "v1";
constexpr int kMaxPanes = 1000;
constexpr long kShareScale = 10000;

// Names and captions may hold any text; the field separators, '%' and
// control characters are written as %XX.
std::string Encode(std::string_view s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == '%' || c == '|' || c == ',' || c == 0x7F) {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Decode(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out.push_back(s[i]);
            continue;
        }
        if (i + 2 >= s.size()) return std::nullopt;
        const int hi = HexDigit(s[i + 1]);
        const int lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t p = s.find(sep, start);
        if (p == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, p - start));
        start = p + 1;
    }
}

std::optional<long> ToLong(std::string_view s) {
    long v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

void WritePane(const PaneLayout& pane, long parent, long& index, std::string& out) {
    const long self = index++;
    const long share = std::lround(pane.firstShare * kShareScale);
    out += '|';
    out += std::to_string(parent) + ',' + std::to_string(static_cast<int>(pane.orientation)) + ',' +
           std::to_string(share) + ',';
    out += pane.visible ? '1' : '0';
    out += pane.closable ? '1' : '0';
    out += pane.movable ? '1' : '0';
    out += pane.floatable ? '1' : '0';
    out += ',' + Encode(pane.name) + ',' + Encode(pane.caption);
    for (const auto& child : pane.children) WritePane(child, self, index, out);
}

long CountPanes(const PaneLayout& pane) {
    long n = 1;
    for (const auto& c : pane.children) n += CountPanes(c);
    return n;
}

}  // namespace

std::string WriteSplitterLayout(const SplitterLayout& layout) {
    std::string out(kVersion);
    out += '|' + std::to_string(CountPanes(layout.root));
    long index = 0;
    WritePane(layout.root, -1, index, out);
    out += '|' + layout.state;
    return out;
}

std::optional<SplitterLayout> ReadSplitterLayout(std::string_view text) {
    const auto parts = Split(text, '|');
    if (parts.size() < 3 || parts[0] != kVersion) return std::nullopt;
    const auto count = ToLong(parts[1]);
    if (!count || *count < 1 || *count > kMaxPanes || parts.size() != static_cast<size_t>(*count) + 3)
        return std::nullopt;

    struct Flat {
        long parent;
        PaneLayout pane;
        std::vector<long> children;
    };
    std::vector<Flat> flat;
    std::set<std::string> names;
    for (long i = 0; i < *count; ++i) {
        const auto fields = Split(parts[static_cast<size_t>(i) + 2], ',');
        if (fields.size() != 6) return std::nullopt;
        const auto parent = ToLong(fields[0]);
        const auto orient = ToLong(fields[1]);
        const auto share = ToLong(fields[2]);
        const auto name = Decode(fields[4]);
        const auto caption = Decode(fields[5]);
        if (!parent || !orient || !share || !name || !caption || fields[3].size() != 4) return std::nullopt;
        if (i == 0 ? *parent != -1 : (*parent < 0 || *parent >= i)) return std::nullopt;
        if (*orient < 0 || *orient > 2 || *share <= 0 || *share >= kShareScale) return std::nullopt;
        for (char f : fields[3])
            if (f != '0' && f != '1') return std::nullopt;
        if (i > 0 && (name->empty() || !names.insert(*name).second)) return std::nullopt;
        Flat f;
        f.parent = *parent;
        f.pane.name = *name;
        f.pane.caption = *caption;
        f.pane.orientation = static_cast<SplitOrientation>(*orient);
        f.pane.firstShare = static_cast<double>(*share) / kShareScale;
        f.pane.visible = fields[3][0] == '1';
        f.pane.closable = fields[3][1] == '1';
        f.pane.movable = fields[3][2] == '1';
        f.pane.floatable = fields[3][3] == '1';
        if (i > 0) flat[static_cast<size_t>(*parent)].children.push_back(i);
        flat.push_back(std::move(f));
    }
    for (const auto& f : flat) {
        const bool divided = f.pane.orientation != SplitOrientation::None;
        if (divided ? f.children.size() != 2 : !f.children.empty()) return std::nullopt;
    }
    // Children always follow their parent, so building from the back
    // completes every child before its parent takes it.
    for (long i = *count - 1; i >= 0; --i) {
        auto& f = flat[static_cast<size_t>(i)];
        for (long c : f.children) f.pane.children.push_back(std::move(flat[static_cast<size_t>(c)].pane));
    }
    SplitterLayout layout;
    layout.root = std::move(flat[0].pane);
    layout.state = std::string(parts.back());
    return layout;
}

}  // namespace platform::ui
