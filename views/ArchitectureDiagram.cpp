#include "views/ArchitectureDiagram.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "common/AsciiCase.h"

namespace views {

using platform::diagram::Colour;
using platform::diagram::DiagramModel;
using platform::diagram::Shape;

std::optional<Colour> ArchitectureColour(const std::string& image) {
    if (image == "Store" || image == "Map") return std::nullopt;
    if (image == "Screen") return kArchScreen;
    if (image == "Middle") return kArchMiddle;
    if (image == "Logic") return kArchLogic;
    return kArchFile;
}

Shape* AddTreeToDiagram(DiagramModel& model, const common::Tree& tree, const std::string& key) {
    const common::TreeNode* top = tree.Find(key);
    if (!top || !ArchitectureColour(top->image)) return nullptr;

    // Each node's children, found in one pass.
    std::unordered_map<std::string, std::vector<const common::TreeNode*>> children;
    for (const common::TreeNode& n : tree.Nodes())
        if (!n.parentKey.empty()) children[common::AsciiFold(n.parentKey)].push_back(&n);

    struct Visit {
        const common::TreeNode* node;
        Shape* parentBox;
    };
    std::vector<Visit> stack{{top, nullptr}};
    Shape* topBox = nullptr;
    while (!stack.empty()) {
        const Visit v = stack.back();
        stack.pop_back();
        const auto colour = ArchitectureColour(v.node->image);
        if (!colour) continue;  // a store or map, and all below it
        const auto descriptor = Globals::ParseObjectDescriptor(v.node->tag);
        Shape& box =
            model.AddShape(descriptor ? descriptor->Item("ObjectName") : std::string(), 0, 0, 50, 100, v.node->key);
        box.fillColor = *colour;
        if (v.parentBox)
            model.AddLink(*v.parentBox, box, descriptor ? descriptor->Item("RelName") : std::string(), {}, {}, false,
                          {}, false);
        else
            topBox = &box;
        const auto& under = children[common::AsciiFold(v.node->key)];
        for (auto it = under.rbegin(); it != under.rend(); ++it) stack.push_back({*it, &box});
    }
    return topBox;
}

void MoveMiddleAndFilesBelow(DiagramModel& model, double startTop) {
    auto movable = [](const Shape& s) { return s.fillColor == kArchMiddle || s.fillColor == kArchFile; };
    double lowestStart = startTop;
    double greatestEnd = 0;
    bool any = false;
    for (const auto& s : model.Shapes()) {
        if (movable(*s)) {
            lowestStart = std::min(lowestStart, s->top);
            any = true;
        } else {
            greatestEnd = std::max(greatestEnd, s->top + s->height);
        }
    }
    if (!any) return;
    for (const auto& s : model.Shapes())
        if (movable(*s)) s->top += greatestEnd - lowestStart;
}

}  // namespace views

namespace Globals {

std::optional<common::Collection<std::string>> ParseObjectDescriptor(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    lines.resize(std::max<size_t>(lines.size(), 4));
    common::Collection<std::string> out;
    const char* keys[] = {"ObjectId", "ObjectName", "ObjectType", "RelName"};
    for (size_t i = 0; i < 4; ++i) out.Add(lines[i], keys[i]);
    return out;
}

}  // namespace Globals
