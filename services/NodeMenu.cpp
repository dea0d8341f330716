#include "services/NodeMenu.h"

#include "common/Collection.h"
#include "platform/workbench/WorkbenchSession.h"

namespace services {

namespace {

struct ItemInfo {
    NodeMenuItem item;
    const char* objectName;
    const char* caption;   // empty: separator
    bool visible;          // at creation
    bool enabled;
};

constexpr std::array<ItemInfo, kNodeMenuItemCount> kInfo = {{
    {NodeMenuItem::FlowContext, "mnuNCFlowContext", "View &Flow Context", true, true},
    {NodeMenuItem::Sep1, "mnuNCSep1", "", true, true},
    {NodeMenuItem::NewWebService, "mnuNCNewWebService", "&New Web Service...", true, true},
    {NodeMenuItem::SaveWebService, "mnuNCSaveWebService", "&Save Web Service...", true, true},
    {NodeMenuItem::Sep3, "mnuNCSep3", "", true, true},
    {NodeMenuItem::ScrnWebSvc, "mnuNCScrnWebSvc", "Start Web Operation &Here", false, true},
    {NodeMenuItem::SetWebSvc, "mnuNCSetWebSvc", "Set as &Web Operation", true, true},
    {NodeMenuItem::DefineMessages, "mnuNCDefineMessages", "Define &Messages", true, true},
    {NodeMenuItem::ProcDiagram, "mnuNCProcDiagram", "Show D&iagram", true, true},
    {NodeMenuItem::Refocus, "mnuNCRefocus", "&Refocus", false, true},
    {NodeMenuItem::ViewSource, "mnuNCViewSource", "View &Source", true, false},
    {NodeMenuItem::SFV, "mnuNCSFV", "View &Validations Details", true, false},
    {NodeMenuItem::CRUDSig, "mnuNCCRUDSig", "&CRUD Signature", true, false},
    {NodeMenuItem::DeleteNode, "mnuNCDeleteNode", "D&elete Node", false, true},
    {NodeMenuItem::Sep2, "mnuNCSep2", "", true, true},
    {NodeMenuItem::Key, "mnuNCKey", "Alter &Key", false, true},
    {NodeMenuItem::Description, "mnuNCDescription", "&Description", true, false},
}};

// The items the reset hides and disables, in the order it does so.
constexpr std::array<NodeMenuItem, 14> kResetHidden = {
    NodeMenuItem::FlowContext, NodeMenuItem::Sep1,       NodeMenuItem::NewWebService, NodeMenuItem::SaveWebService,
    NodeMenuItem::Sep3,        NodeMenuItem::SetWebSvc,  NodeMenuItem::DefineMessages, NodeMenuItem::ProcDiagram,
    NodeMenuItem::Refocus,     NodeMenuItem::ViewSource, NodeMenuItem::SFV,            NodeMenuItem::CRUDSig,
    NodeMenuItem::Key,         NodeMenuItem::Description,
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && common::FoldKey(text.substr(0, prefix.size())) == common::FoldKey(prefix);
}

bool SameNoCase(std::string_view a, std::string_view b) { return common::FoldKey(a) == common::FoldKey(b); }

}  // namespace

NodeMenu::NodeMenu() {
    for (const auto& info : kInfo) {
        auto& s = (*this)[info.item];
        s.visible = info.visible;
        s.enabled = info.enabled;
    }
}

const std::array<NodeMenuItem, kNodeMenuItemCount>& NodeMenu::Items() {
    static const std::array<NodeMenuItem, kNodeMenuItemCount> items = [] {
        std::array<NodeMenuItem, kNodeMenuItemCount> a{};
        for (size_t i = 0; i < kInfo.size(); ++i) a[i] = kInfo[i].item;
        return a;
    }();
    return items;
}

const char* NodeMenu::ObjectName(NodeMenuItem item) { return kInfo[static_cast<size_t>(item)].objectName; }
const char* NodeMenu::Caption(NodeMenuItem item) { return kInfo[static_cast<size_t>(item)].caption; }
bool NodeMenu::IsSeparator(NodeMenuItem item) { return *kInfo[static_cast<size_t>(item)].caption == '\0'; }

std::optional<NodeMenuItem> NodeMenu::FromObjectName(std::string_view name) {
    for (const auto& info : kInfo)
        if (SameNoCase(info.objectName, name)) return info.item;
    return std::nullopt;
}

void NodeMenu::Reset() {
    for (NodeMenuItem item : {NodeMenuItem::DeleteNode, NodeMenuItem::Sep2}) {
        (*this)[item].visible = true;
        (*this)[item].enabled = true;
    }
    for (NodeMenuItem item : kResetHidden) {
        (*this)[item].visible = false;
        (*this)[item].enabled = false;
    }
}

void NodeMenu::Offer(NodeMenuItem item, std::string tag) {
    Offer(item);
    (*this)[item].tag = std::move(tag);
}

void NodeMenu::Offer(NodeMenuItem item) {
    (*this)[item].visible = true;
    (*this)[item].enabled = true;
}

void NodeMenu::Hide(NodeMenuItem item) { (*this)[item].visible = false; }

std::vector<NodeMenuItem> NodeMenu::ShownItems() const {
    std::vector<NodeMenuItem> out;
    for (NodeMenuItem item : Items())
        if ((*this)[item].visible) out.push_back(item);
    return out;
}

std::string JoinTag(std::string_view first, std::string_view second) {
    std::string tag(first);
    tag.push_back('\0');
    tag.append(second);
    return tag;
}

std::optional<std::pair<std::string, std::string>> SplitTag(std::string_view tag) {
    const size_t nul = tag.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    return std::make_pair(std::string(tag.substr(0, nul)), std::string(tag.substr(nul + 1)));
}

bool IsContextMenuKey(int keyCode, int shiftMask) { return keyCode == kKeyF10 && shiftMask == kShiftMask; }

bool IsSourceLanguage(std::string_view language) {
    for (std::string_view l : {"NATURAL", "COBOL", "PLI", "RPG"})
        if (SameNoCase(language, l)) return true;
    return false;
}

LanguageLookup RepositoryLanguages(const platform::workbench::WorkbenchSession* session) {
    return [session](const std::string& key) -> std::optional<std::string> {
        if (!session || !session->IsRepositoryOpen()) return std::nullopt;
        try {
            return session->GetEntityStore().Item(key).GetAttribute("Language");
        } catch (...) {
            return std::nullopt;
        }
    };
}

bool ShowSummaryNodeMenu(NodeMenu& menu, const SummaryNodeRef* node, int button, const LanguageLookup& language) {
    menu.Reset();
    // Group and branch nodes carry no "#" in their key and get no menu.
    if (!node || node->key.find('#') == std::string::npos) return false;

    const std::string tag = JoinTag(node->text, node->key);
    bool otherEntity = false;
    if (StartsWithNoCase(node->key, "MAP") && !SameNoCase(node->tag, "STUBMAP")) {
        menu.Offer(NodeMenuItem::ViewSource, tag);
    } else if (!StartsWithNoCase(node->key, "PROGRAM")) {
        otherEntity = true;
    } else {
        // A program the repository does not know (or a repository that
        // cannot be reached) is offered its description only.
        std::optional<std::string> lang;
        if (language) {
            try {
                lang = language(node->key);
            } catch (...) {
                lang.reset();
            }
        }
        if (!lang) {
            otherEntity = true;
        } else {
            menu.Offer(NodeMenuItem::FlowContext, tag);
            menu.Offer(NodeMenuItem::Sep1);
            menu.Offer(NodeMenuItem::SetWebSvc, tag);
            menu.Offer(NodeMenuItem::CRUDSig, tag);
            if (IsSourceLanguage(*lang)) menu.Offer(NodeMenuItem::ViewSource, tag);
        }
    }
    menu.Offer(NodeMenuItem::Description, tag);
    menu.Hide(NodeMenuItem::DeleteNode);
    if (otherEntity) menu.Hide(NodeMenuItem::Sep2);
    return (button & kRightButton) == kRightButton;
}

}  // namespace services
