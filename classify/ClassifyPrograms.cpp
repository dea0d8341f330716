#include "classify/ClassifyPrograms.h"

#include <span>
#include <vector>

#include "classify/Adjacency.h"
#include "classify/ClassificationRules.h"
#include "classify/ClsRecord.h"
#include "classify/Reachability.h"
#include "classify/RelationshipGraph.h"
#include "common/SoaType.h"
#include "platform/db/Database.h"

namespace mdlReports {

namespace {

namespace ST = common::SoaType;
using classify::Adjacency;
using classify::NodeFlags;
using Dir = classify::Adjacency::Direction;

constexpr int kNullCode = -32768;  // a stored SOAType that is Null

// The code a search sees at a node, given the codes of the online programs so
// far: a program row shows its record's code (Batch when it has none), any
// other row what it stored. Nodes without an Ents row are never seen.
class CodeView {
public:
    CodeView(const classify::RelationshipGraph& g, const NodeFlags& online, const std::vector<clsRecord>& records,
             const std::vector<int>& recordOf)
        : m_g(g), m_online(online), m_records(records), m_recordOf(recordOf) {}

    bool Visible(int n) const { return m_g.nodes[n].hasEntsRow; }
    int Code(int n) const {
        const auto& node = m_g.nodes[n];
        if (node.entsIsProgram) return m_online[n] ? m_records[m_recordOf[n]].m_SOAType : ST::Batch;
        return node.storedCode.value_or(kNullCode);
    }
    bool IsClient(int n) const { return Visible(n) && ST::IsClientType(Code(n)); }
    // Neither a client type nor Batch (a Null code counts as neither).
    bool IsOther(int n) const {
        if (!Visible(n)) return false;
        int c = Code(n);
        return c != kNullCode && c != ST::Batch && !ST::IsClientType(c);
    }
    NodeFlags ClientNodes() const {
        NodeFlags f(m_g.NodeCount(), 0);
        for (size_t n = 0; n < f.size(); ++n) f[n] = IsClient(static_cast<int>(n));
        return f;
    }
    NodeFlags VisibleNodes() const {
        NodeFlags f(m_g.NodeCount(), 0);
        for (size_t n = 0; n < f.size(); ++n) f[n] = Visible(static_cast<int>(n));
        return f;
    }

private:
    const classify::RelationshipGraph& m_g;
    const NodeFlags& m_online;
    const std::vector<clsRecord>& m_records;
    const std::vector<int>& m_recordOf;
};

// Rows are written by their SerialID: the same rows as "Id = <id> AND
// EntName = 'PROGRAM'" (every spelling of the id), found by the primary key.
void WriteBatch(platform::db::Database& db, const classify::RelationshipGraph& g, const NodeFlags& online,
                ClassificationCounts& counts) {
    auto update = db.Prepare("UPDATE Ents SET SOAType = ? WHERE SerialID = ?");
    for (size_t n = 0; n < g.NodeCount(); ++n) {
        if (online[n] || g.nodes[n].programRows.empty()) continue;
        for (int64_t row : g.nodes[n].programRows) update.Run({ST::Batch, row});
        ++counts.batch;
    }
}

void WriteRecords(platform::db::Database& db, const classify::RelationshipGraph& g,
                  const std::vector<clsRecord>& records, const std::vector<int>& nodeOf) {
    auto update = db.Prepare(
        "UPDATE Ents SET AccessScreen = ? , Xctls = ? , Xctled = ? , CallsData = ? , CallsDataIndirect = ? , "
        "Called = ? , OnTop = ? , SOAType = ? WHERE SerialID = ?");
    for (size_t i = 0; i < records.size(); ++i) {
        const clsRecord& r = records[i];
        for (int64_t row : g.nodes[nodeOf[i]].programRows)
            update.Run({r.m_AccessScreen, r.m_Xctls, r.m_Xctled, r.m_CallsData, r.m_CallsDataIndirectly, r.m_Called,
                        r.m_OnTop, static_cast<int>(r.m_SOAType), row});
    }
}

// The callers that decide whether a program is Frontier or Server: those
// that call it when it is called, else those that transfer to it.
std::span<const int> ExaminedCallers(const clsRecord& r, int node, const Adjacency& onlineCallers,
                                     const Adjacency& transferrers) {
    if (r.m_Called) return onlineCallers[node];
    if (r.m_Xctled) return transferrers[node];
    return {};
}

}  // namespace

ClassificationCounts ClassifyPrograms(platform::db::Database& db) {
    ClassificationCounts counts;
    // Read and write under one transaction, so the rows written are the rows read.
    platform::db::Transaction tx(db);
    const classify::RelationshipGraph g = classify::RelationshipGraph::Load(db);
    const size_t n = g.NodeCount();

    // Online: conversing programs and whatever they reach over calls and
    // transfers between programs.
    const Adjacency programSucc(n, g.programCalls, g.programXctls, Dir::Forward);
    const NodeFlags online = classify::ReachableFrom(programSucc, g.converseSources);

    // One record per online program.
    std::vector<int> recordOf(n, -1), nodeOf;
    std::vector<clsRecord> records;
    for (size_t v = 0; v < n; ++v)
        if (online[v]) {
            recordOf[v] = static_cast<int>(records.size());
            nodeOf.push_back(static_cast<int>(v));
            records.emplace_back().m_ProgramId = g.nodes[v].id;
        }
    counts.online = records.size();
    auto rec = [&](int v) -> clsRecord& { return records[recordOf[v]]; };

    // Facts from each program's own rows.
    for (int v : g.converseSources) rec(v).m_AccessScreen = true;  // sources are online
    for (int v : g.accessSources)
        if (online[v]) rec(v).m_CallsData = true;
    // Callers count only when both ends are online; transferrers count always.
    std::vector<classify::Edge> onlineCalls;
    for (const auto& e : g.programCalls)
        if (online[e.first] && online[e.second]) {
            onlineCalls.push_back(e);
            rec(e.second).m_Called = true;
        }
    for (const auto& [a, b] : g.programXctls) {
        if (online[a]) rec(a).m_Xctls = true;
        if (online[b]) rec(b).m_Xctled = true;
    }
    const Adjacency onlineCallers(n, onlineCalls, Dir::Reversed);
    const Adjacency transferrers(n, g.programXctls, Dir::Reversed);

    CodeView codes(g, online, records, recordOf);
    const NodeFlags visible = codes.VisibleNodes();

    // Client facing.
    for (auto& r : records) ApplyClientFacingRules(r);

    // Transitional: a client program lies ahead along transfers and one lies
    // behind. Codes 10 and 11 given here need not be fed back: a program that
    // earns one already reaches, in both directions, a client program of the
    // pass before, and every search passes through it to that program.
    {
        const NodeFlags clients = codes.ClientNodes();
        const NodeFlags ahead = classify::SeesHit(Adjacency(n, g.allXctls, Dir::Reversed), visible, clients);
        const NodeFlags behind = classify::SeesHit(Adjacency(n, g.allXctls, Dir::Forward), visible, clients);
        for (size_t i = 0; i < records.size(); ++i) {
            const int v = nodeOf[i];
            ApplyTransitionalRules(records[i], [&](const std::string&) { return ahead[v] && behind[v]; });
        }
    }

    // On top: no caller or transferrer holds a code outside the client types
    // and Batch. Data reached through calls marks every online caller chain.
    {
        const Adjacency programPred(n, g.programCalls, g.programXctls, Dir::Reversed);
        for (size_t i = 0; i < records.size(); ++i)
            for (int u : programPred[nodeOf[i]])
                if (codes.IsOther(u)) {
                    records[i].m_OnTop = false;
                    break;
                }
        NodeFlags callsData(n, 0);
        for (size_t i = 0; i < records.size(); ++i) callsData[nodeOf[i]] = records[i].m_CallsData;
        const NodeFlags indirect =
            classify::SeesHit(Adjacency(n, g.callsFromPrograms, Dir::Reversed), online, callsData);
        for (size_t i = 0; i < records.size(); ++i)
            if (indirect[nodeOf[i]]) records[i].m_CallsDataIndirectly = true;
    }

    // Frontier, then Frontier or Server. The client codes are final now, and
    // every other online program reads as neither client nor Batch whatever
    // code it holds at the moment, so one view serves both passes.
    {
        const NodeFlags clients = codes.ClientNodes();
        const NodeFlags clientBelow = classify::SeesHit(Adjacency(n, g.allCalls, Dir::Reversed), visible, clients);
        for (size_t i = 0; i < records.size(); ++i) {
            clsRecord& r = records[i];
            const int v = nodeOf[i];
            for (int u : ExaminedCallers(r, v, onlineCallers, transferrers))
                if (codes.IsClient(u)) {
                    r.m_CalledXctledByCForTRAN = true;
                    break;
                }
            for (int u : ExaminedCallers(r, v, onlineCallers, transferrers))
                if (codes.IsOther(u)) {
                    r.m_CalledXctledByFRONTorSRVR = true;
                    break;
                }
            r.m_HasCFdownstream = clientBelow[v];
        }
        for (auto& r : records) ApplyFrontierRules(r);
        for (auto& r : records) ApplyFrontierServerRules(r);
    }

    WriteBatch(db, g, online, counts);
    WriteRecords(db, g, records, nodeOf);
    tx.Commit();
    return counts;
}

}  // namespace mdlReports
