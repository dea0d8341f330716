#include "views/ScreenFlowPlot.h"

#include "platform/db/Database.h"
#include "platform/diagram/DiagramLayout.h"
#include "services/NodeMenu.h"
#include "views/EntityColour.h"
#include "views/ScreenFlowTable.h"

namespace views {

namespace {

namespace dg = platform::diagram;
using platform::db::Database;

constexpr char kRowsSql[] =
    "SELECT SR.sfRelID, E1.EntName, E1.BusName, E1.Stub, E2.EntName, E2.BusName, E2.Stub, SR.LScrID, SR.RScrID, "
    "SR.LProgID, SR.RProgID, SR.TwoWay, SR.Directed "
    "FROM sfScreenRels SR INNER JOIN Ents E1 ON SR.LScrID = E1.SerialID INNER JOIN Ents E2 ON SR.RScrID = E2.SerialID";
constexpr char kNoStubs[] = " WHERE E1.Stub = ?1 AND E2.Stub = ?1";
constexpr char kOrder[] = " ORDER BY SR.sfRelID";

// Boxes start this small; the layout sizes them to their text.
constexpr double kNodeSize = 3;

dg::Shape& Node(dg::DiagramModel& model, int64_t serialId, const std::string& busName, const std::string& entName,
                bool stub) {
    const std::string key = std::to_string(serialId);
    if (dg::Shape* box = model.FindShape(key)) return *box;
    dg::Shape& box = model.AddShape(busName, 0, 0, kNodeSize, kNodeSize, key);
    // A program node is coloured as a program of no category: white.
    box.fillColor = Globals::EntityColour(entName, 0);
    box.textColor = entName == "MAP" ? dg::Rgb(0, 255, 0) : dg::Rgb(0, 0, 0);
    if (stub) {
        box.lineColor = dg::Rgb(255, 0, 0);
        box.lineStyle = dg::kLineDashed;
    }
    return box;
}

}  // namespace

std::vector<ScreenFlowRow> ReadScreenFlow(Database& db, bool stubScreens) {
    std::string sql = kRowsSql;
    if (!stubScreens) sql += kNoStubs;
    sql += kOrder;
    auto st = db.Prepare(sql);
    if (!stubScreens) st.Bind(1, false);
    std::vector<ScreenFlowRow> rows;
    while (st.Step()) {
        ScreenFlowRow r;
        r.relId = st.Int(0);
        r.lEntName = st.Text(1);
        r.lBusName = st.Text(2);
        r.lStub = st.Int(3) != 0;
        r.rEntName = st.Text(4);
        r.rBusName = st.Text(5);
        r.rStub = st.Int(6) != 0;
        r.lScrId = st.Int(7);
        r.rScrId = st.Int(8);
        r.lProgId = st.Int(9);
        r.rProgId = st.Int(10);
        r.twoWay = st.Int(11) != 0;
        r.directed = st.Int(12) != 0;
        rows.push_back(std::move(r));
    }
    return rows;
}

LinkEnds ScreenFlowLinkEnds(bool twoWay, bool directed) {
    if (!twoWay) return {"", false, "", true};
    return {kReturnsLabel, !directed, kReturnsLabel, true};
}

void AddScreenFlowRow(dg::DiagramModel& model, const ScreenFlowRow& row) {
    dg::Shape& from = Node(model, row.lScrId, row.lBusName, row.lEntName, row.lStub);
    dg::Shape& to = Node(model, row.rScrId, row.rBusName, row.rEntName, row.rStub);
    const std::string key = std::to_string(row.relId);
    if (model.FindLink(key)) return;
    const LinkEnds ends = ScreenFlowLinkEnds(row.twoWay, row.directed);
    model.AddLink(from, to, "", key, ends.fromLabel, ends.fromArrow, ends.toLabel, ends.toArrow);
}

void BuildScreenFlow(dg::DiagramModel& model, Database& db, bool stubScreens) {
    Globals::GenerateScreenFlowTable(db);
    const std::vector<ScreenFlowRow> rows = ReadScreenFlow(db, stubScreens);
    model.Clear();
    for (const ScreenFlowRow& row : rows) AddScreenFlowRow(model, row);
    dg::AutoLayout(model);
}

std::optional<std::string> ScreenFlowSourceRequest(Database& db, const dg::Shape& box) {
    if (box.lineColor == dg::Rgb(255, 0, 0)) return std::nullopt;
    auto row = db.OpenRecordset("SELECT BusName, ID FROM Ents WHERE SerialID = ?1", {box.key});
    if (row.IsEOF()) return std::nullopt;
    return services::JoinTag(row.Text("BusName"), row.Text("ID"));
}

std::optional<LinkParties> ReadLinkParties(Database& db, const std::string& linkKey) {
    auto row = db.OpenRecordset(
        "SELECT sfRelID, LProgID, RProgID, LScrID, RScrID FROM sfScreenRels WHERE sfRelID = ?1", {linkKey});
    if (row.IsEOF()) return std::nullopt;
    return LinkParties{row.Int("sfRelID"), row.Int("LProgID"), row.Int("RProgID"), row.Int("LScrID"),
                       row.Int("RScrID")};
}

}  // namespace views
