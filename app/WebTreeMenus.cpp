#include "app/WebTreeMenus.h"

#include "common/AsciiCase.h"
#include "common/Collection.h"
#include "services/StoreIds.h"

namespace app {

using services::JoinTag;
using services::NodeMenuItem;

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return common::AsciiStartsWithNoCase(text, prefix);
}

bool RightButton(int button) { return (button & services::kRightButton) == services::kRightButton; }

// The entity of an operation node: by SerialID, else by ID.
platform::db::Recordset FindEntity(platform::db::Database& db, const std::string& tag) {
    if (const auto serial = services::ParseId(tag)) {
        auto row = db.OpenRecordset("SELECT ID, SerialID FROM Ents WHERE SerialID = ?1", {*serial});
        if (!row.IsEOF()) return row;
    }
    return db.OpenRecordset("SELECT ID, SerialID FROM Ents WHERE ID = ?1", {tag});
}

}  // namespace

WebMenuPreparation ShowWebOperationNodeMenu(services::NodeMenu& menu, platform::db::Database& db,
                                            const WebTreeNode* node, int button) {
    WebMenuPreparation out;
    menu.Reset();
    menu[NodeMenuItem::DeleteNode].tag.clear();
    if (!node || node->key.empty()) return out;

    const std::string& tag = node->tag;
    const bool process = StartsWithNoCase(tag, "p");
    if (process || StartsWithNoCase(tag, "e")) {
        const std::string id = tag.substr(1);
        if (common::FoldKey(node->rootKey) == common::FoldKey(kProcessFlowRootKey)) {
            out.deleteTag = JoinTag("UC2", id);
            menu[NodeMenuItem::DeleteNode].tag = *out.deleteTag;
        }
        menu.Offer(NodeMenuItem::ProcDiagram, JoinTag(node->text, id));
        if (!process) {
            menu.Offer(NodeMenuItem::DefineMessages, JoinTag("1", tag));
            menu.Offer(NodeMenuItem::Key, id);
        }
    } else {
        std::string lookup = tag;
        if (lookup.empty()) {
            lookup = "-1";
            out.newNodeTag = lookup;
        }
        const auto entity = FindEntity(db, lookup);
        if (entity.IsEOF()) return out;
        const std::string id = entity.Text("ID");
        const std::string serial = entity.Text("SerialID");
        out.deleteTag = JoinTag("UC1", serial);
        menu[NodeMenuItem::DeleteNode].tag = *out.deleteTag;
        menu.Offer(NodeMenuItem::DefineMessages, JoinTag("2", serial));
        const std::string viewTag = JoinTag(node->text, id);
        for (NodeMenuItem item : {NodeMenuItem::ViewSource, NodeMenuItem::CRUDSig, NodeMenuItem::Description,
                                  NodeMenuItem::FlowContext})
            menu.Offer(item, viewTag);
        menu.Offer(NodeMenuItem::Sep1);
    }
    out.popup = RightButton(button);
    return out;
}

WebMenuPreparation ShowWebServiceNodeMenu(services::NodeMenu& menu, bool workspaceOpen, const WebTreeNode* node,
                                          int button) {
    WebMenuPreparation out;
    menu.Reset();
    menu[NodeMenuItem::DeleteNode].tag.clear();
    if (!workspaceOpen) return out;

    menu.Offer(NodeMenuItem::NewWebService);
    if (!node || node->key.empty()) {
        menu.Hide(NodeMenuItem::Sep3);
        menu.Hide(NodeMenuItem::Sep2);
        menu.Hide(NodeMenuItem::DeleteNode);
        menu[NodeMenuItem::DeleteNode].enabled = false;
    } else {
        const bool service = StartsWithNoCase(node->key, "Key");
        if (service) menu.Offer(NodeMenuItem::SaveWebService, JoinTag(node->text, node->tag));
        menu.Offer(NodeMenuItem::Sep3);
        out.deleteTag = JoinTag(service ? "WS" : "WU", node->tag);
        menu.Offer(NodeMenuItem::DeleteNode, *out.deleteTag);
        menu.Hide(NodeMenuItem::Sep2);
    }
    out.popup = RightButton(button);
    return out;
}

}  // namespace app
