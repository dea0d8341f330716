#include "views/StoredProcess.h"

#include <map>
#include <unordered_set>
#include <utility>

#include "platform/db/Database.h"
#include "services/StoreIds.h"

namespace views {

namespace {

// The elements under each parent element, in order.
using Children = std::map<int64_t, std::vector<const ProcessElement*>>;

Children ByParent(const std::vector<ProcessElement>& elements) {
    Children out;
    for (const ProcessElement& e : elements) out[e.parentId].push_back(&e);
    return out;
}

const std::vector<const ProcessElement*>& Under(const Children& children, int64_t parentId) {
    static const std::vector<const ProcessElement*> none;
    const auto it = children.find(parentId);
    return it == children.end() ? none : it->second;
}

constexpr int64_t kTop = -1;

}  // namespace

std::vector<ProcessElement> ReadProcessElements(platform::db::Database& db, const std::string& procId) {
    std::vector<ProcessElement> out;
    const auto id = services::ParseId(procId);
    if (!id) return out;
    // SerialID is the key of Ents: at most one screen per element.
    auto rs = db.OpenRecordset(
        "SELECT P.ElementID, P.ParentID, P.SerialID, P.Name, P.Criteria, E.SerialID AS Screen, E.BusName "
        "FROM pcaElements P LEFT JOIN Ents E ON E.SerialID = P.SerialID WHERE P.ProcID = ?1 ORDER BY P.ElementID",
        {*id});
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ProcessElement e;
        e.elementId = rs.Int("ElementID");
        e.parentId = rs.Field("ParentID").IsNull() ? 0 : rs.Int("ParentID");
        e.serialId = rs.Int("SerialID");
        e.name = rs.Text("Name");
        e.criteria = rs.Text("Criteria");
        if (!rs.Field("Screen").IsNull()) e.busName = rs.Text("BusName");
        out.push_back(std::move(e));
    }
    return out;
}

std::string ProcessLinkKey(const std::string& fromKey, const std::string& toKey) { return fromKey + "-" + toKey; }

}  // namespace views

namespace Globals {

using views::ProcessElement;

void RefreshProcessTree(platform::db::Database& db, const std::string& procId, common::Tree& tree) {
    tree.Clear();
    const std::vector<ProcessElement> elements = views::ReadProcessElements(db, procId);
    const views::Children children = views::ByParent(elements);

    // Depth first, siblings in order, so the tree lists the nodes as a walk
    // element by element would add them.
    struct Visit {
        const ProcessElement* element;
        std::string parentKey;
    };
    std::vector<Visit> stack;
    auto push = [&](int64_t parentId, const std::string& parentKey) {
        const auto& under = views::Under(children, parentId);
        for (auto it = under.rbegin(); it != under.rend(); ++it) stack.push_back({*it, parentKey});
    };
    push(views::kTop, {});
    // Each element's key and screen, to find the screens above a node.
    std::map<std::string, int64_t> screenOf;
    std::unordered_set<int64_t> seen;
    while (!stack.empty()) {
        const Visit v = std::move(stack.back());
        stack.pop_back();
        const ProcessElement& e = *v.element;
        if (!seen.insert(e.elementId).second) continue;  // an element listed as its own ancestor
        const std::string id = std::to_string(e.elementId);
        common::TreeNode node{GetNodePath("n" + id, tree, v.parentKey), v.parentKey, e.name + " (" + e.criteria + ")",
                              views::kImageScreen, "e" + id};
        node.foreColour = views::kProcessNode;
        node.expanded = true;
        for (const common::TreeNode* up = tree.Find(v.parentKey); up; up = tree.Find(up->parentKey)) {
            if (screenOf[up->key] == e.serialId) {
                node.foreColour = views::kProcessLoop;
                node.image = views::kImageLoop;
                break;
            }
        }
        screenOf[node.key] = e.serialId;
        const std::string key = node.key;
        tree.Add(std::move(node));
        push(e.elementId, key);
    }
}

void DrawProcessElements(platform::diagram::DiagramModel& model, platform::db::Database& db,
                         const std::string& procId) {
    using platform::diagram::Rgb;
    using platform::diagram::Shape;
    const std::vector<ProcessElement> elements = views::ReadProcessElements(db, procId);
    const views::Children children = views::ByParent(elements);

    struct Visit {
        const ProcessElement* element;
        Shape* parentBox;
    };
    std::vector<Visit> stack;
    auto push = [&](int64_t parentId, Shape* parentBox) {
        const auto& under = views::Under(children, parentId);
        for (auto it = under.rbegin(); it != under.rend(); ++it) stack.push_back({*it, parentBox});
    };
    push(views::kTop, nullptr);
    std::unordered_set<int64_t> seen;
    while (!stack.empty()) {
        const Visit v = stack.back();
        stack.pop_back();
        const ProcessElement& e = *v.element;
        if (!seen.insert(e.elementId).second) continue;  // an element listed as its own ancestor
        if (!e.busName) continue;                        // no screen: nothing of this branch is drawn
        const std::string key = std::to_string(e.serialId);
        Shape* box = model.FindShape(key);
        if (!box) {
            box = &model.AddShape(*e.busName, 0, 0, 3, 3, key);
            box->fillColor = Rgb(0, 0, 0);
            box->textColor = Rgb(0, 255, 0);
            box->tag = key;
        }
        if (v.parentBox) {
            const std::string linkKey = views::ProcessLinkKey(v.parentBox->key, key);
            if (!model.FindLink(linkKey))
                model.AddLink(*v.parentBox, *box, {}, linkKey, views::kProcessLinkLabel, false, {}, true);
        }
        if (!v.parentBox || v.parentBox != box) push(e.elementId, box);
    }
}

}  // namespace Globals
