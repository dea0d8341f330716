#include "services/MessageStructure.h"

#include <set>

#include "common/Collection.h"
#include "platform/workbench/EntityStore.h"
#include "services/MessageDocument.h"

namespace services {

namespace wb = platform::workbench;

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = s[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

bool IsDeclaration(const wb::CodeModelConstruct& c) {
    return c.GetTypeText().size() == 4 && StartsWithNoCase(c.GetTypeText(), "DECL");
}

// A damaged model file can make a declaration its own ancestor; each one
// is listed once, so the walk ends.
void AddChildren(const wb::CodeModelConstruct& parent, std::vector<StructureNode>& nodes,
                 std::set<std::string>& listed) {
    for (auto children = parent.GetChildren(); !children.AtEnd(); children.MoveNext()) {
        const wb::CodeModelConstruct& child = children.Current();
        if (!IsDeclaration(child)) continue;
        if (!listed.insert(child.GetId()).second) continue;
        nodes.push_back({child.GetId(), child.GetName(), TypeText(child), parent.GetId(), false});
        AddChildren(child, nodes, listed);
    }
}

}  // namespace

wb::CodeModel OpenProgramCodeModel(wb::WorkbenchSession& session, const std::string& programId) {
    wb::EntityStore store = session.GetEntityStore();
    const wb::RepositoryEntity program = store.Item(programId);
    // The analyst knows the program by its name: the keys on the way to its
    // model would tell them nothing.
    const std::string name = program.GetName();
    std::pair<std::string, std::string> located;
    try {
        const std::string sid = program.GetAttribute("Sid");
        if (sid.empty()) throw wb::WorkbenchError("no Sid");
        wb::ModelLoader loader;
        loader.SetSession(&session);
        located = loader.LookupSid(store.Item(sid).GetId());
    } catch (const wb::WorkbenchError&) {
        throw wb::WorkbenchError(name + " has no code model.");
    }
    try {
        return wb::CodeModelFactory().CreateCodeModel(store, located.first, located.second);
    } catch (const wb::WorkbenchError& e) {
        throw wb::WorkbenchError("The code model of " + name + " cannot be read. " + e.what());
    }
}

std::vector<wb::CodeModelDataList> VisibleDataLists(const wb::CodeModel& model) {
    std::vector<wb::CodeModelDataList> lists;
    std::set<std::string> captions;   // the Lists pane finds a list by its caption
    for (auto& list : model.GetDataLists()) {
        if (StartsWithNoCase(list.GetName(), "VNL_0")) continue;
        if (!captions.insert(common::FoldKey(list.GetCaption())).second) continue;
        lists.push_back(list);
    }
    return lists;
}

std::string StructureNode::Text() const { return top ? name : name + " " + typeText; }

std::string StructureNode::Tag() const {
    if (top) return {};
    std::string tag = name;
    tag += '\0';
    tag += typeText;
    return tag;
}

std::optional<std::vector<StructureNode>> CollectStructure(const wb::CodeModel& model, std::string_view elementId) {
    std::optional<wb::CodeModelConstruct> element = model.FindConstruct(elementId);
    if (!element) return std::nullopt;
    std::vector<StructureNode> nodes;
    if (!IsDeclaration(*element)) return nodes;
    nodes.push_back({element->GetId(), element->GetName(), {}, {}, true});
    std::set<std::string> listed{element->GetId()};
    AddChildren(*element, nodes, listed);
    return nodes;
}

std::vector<DefinitionNode> DefinitionNodes(const std::vector<StructureNode>& nodes) {
    std::vector<DefinitionNode> out;
    out.reserve(nodes.size());
    for (const StructureNode& n : nodes) out.push_back({n.vnid, n.top ? std::string() : n.name});
    return out;
}

}  // namespace services
