#include "reports/ValidationTree.h"

#include "platform/db/Database.h"

namespace mdlReports {

namespace {

// A level letter and the two parts, the first one prefixed by its length.
std::string NodeKey(char level, const std::string& first, const std::string& second) {
    return std::string(1, level) + std::to_string(first.size()) + ':' + first + second;
}

}  // namespace

std::string PortNodeText(std::string_view declName, std::string_view portName) {
    return std::string(declName) + " of port " + std::string(portName);
}

common::Tree ValidationTree(platform::db::Database& db, const std::string& programId) {
    common::Tree tree;
    auto ports = db.Prepare(
        "SELECT ProgID, PortVNID, DeclName, PortName, DeclVNID FROM SFVPorts WHERE ProgID = ? ORDER BY rowid");
    auto subdecls = db.Prepare("SELECT SubdeclVNID, SubdeclName FROM SFVSubdecls WHERE DeclVNID = ? ORDER BY rowid");
    auto conds = db.Prepare("SELECT CondVNID, CondCaption FROM SFVConds WHERE SubdeclVNID = ? ORDER BY rowid");
    ports.Bind(1, programId);
    while (ports.Step()) {
        const std::string declId = ports.Text(4);
        common::TreeNode port;
        port.key = NodeKey('P', ports.Text(0), ports.Text(1));
        port.text = PortNodeText(ports.Text(2), ports.Text(3));
        port.expanded = true;
        if (!tree.TryAdd(port)) continue;
        subdecls.Reset().Bind(1, declId);
        while (subdecls.Step()) {
            const std::string subId = subdecls.Text(0);
            common::TreeNode sub;
            sub.key = NodeKey('S', declId, subId);
            sub.parentKey = port.key;
            sub.text = subdecls.Text(1);
            sub.expanded = true;
            if (!tree.TryAdd(sub)) continue;
            conds.Reset().Bind(1, subId);
            while (conds.Step()) {
                common::TreeNode cond;
                cond.key = NodeKey('C', subId, conds.Text(0));
                cond.parentKey = sub.key;
                cond.text = conds.Text(1);
                tree.TryAdd(cond);
            }
        }
    }
    return tree;
}

}  // namespace mdlReports
