#include "reports/ValidationAnalysis.h"

#include <deque>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/AsciiCase.h"
#include "common/Progress.h"
#include "platform/db/Database.h"
#include "platform/workbench/CodeModel.h"
#include "platform/workbench/ReadTransaction.h"
#include "platform/workbench/WorkbenchSession.h"
#include "reports/ListPage.h"
#include "reports/ModelReadAhead.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportPaths.h"
#include "reports/ViewOnlyGuard.h"

namespace Globals {

namespace wb = platform::workbench;
using platform::db::Database;

namespace {

std::vector<std::string> Column0(platform::db::Statement& st, const std::string& program) {
    std::vector<std::string> out;
    st.Reset().Bind(1, program);
    while (st.Step()) out.push_back(st.Text(0));
    st.Reset();
    return out;
}

// The walk of CollectScreenCallers with its statements prepared once, for
// an analysis that searches from every program in turn.
class ScreenCallerSearch {
public:
    // Programs with a relationship towards the program that converse with a
    // map themselves; failing those, every program with a relationship
    // towards it. Both in the order the relationships were recorded.
    explicit ScreenCallerSearch(Database& db)
        : m_conversing(db.Prepare(
              "SELECT E.ID FROM Rels R INNER JOIN Ents E ON R.Id1 = E.ID "
              "WHERE R.EntName1 = 'PROGRAM' AND R.Id2 = ?1 "
              "AND EXISTS (SELECT 1 FROM Rels R2 WHERE R2.Id1 = E.ID AND R2.EntName2 = 'MAP') ORDER BY R.RelID")),
          m_related(db.Prepare(
              "SELECT E.ID FROM Rels R INNER JOIN Ents E ON R.Id1 = E.ID "
              "WHERE R.EntName1 = 'PROGRAM' AND R.Id2 = ?1 ORDER BY R.RelID")),
          m_converses(db.Prepare("SELECT 1 FROM Rels WHERE EntName2 = 'MAP' AND Id1 = ?1 LIMIT 1")) {}

    void Collect(const std::string& program, common::Collection<std::string>& collected, bool search) {
        struct Level {
            std::vector<std::string> ids;
            size_t next = 0;
            bool searchOn = false;  // whether the ids found here are searched further
        };
        std::vector<Level> stack;
        auto enter = [&](const std::string& id, bool searchHere) {
            collected.Add(id, id);
            if (!searchHere) return;
            // A program that converses with a screen contributes only itself.
            m_converses.Reset().Bind(1, id);
            const bool screen = m_converses.Step();
            m_converses.Reset();
            if (screen) return;
            Level level;
            level.ids = Column0(m_conversing, id);
            // Conversing neighbours end the search; other neighbours go on.
            level.searchOn = level.ids.empty();
            if (level.ids.empty()) level.ids = Column0(m_related, id);
            stack.push_back(std::move(level));
        };

        if (collected.Contains(program)) return;
        enter(program, search);
        while (!stack.empty()) {
            Level& top = stack.back();
            if (top.next == top.ids.size()) {
                stack.pop_back();
                continue;
            }
            const std::string id = top.ids[top.next++];
            const bool searchOn = top.searchOn;
            if (!collected.Contains(id)) enter(id, searchOn);  // may grow the stack: top is not used after this
        }
    }

private:
    platform::db::Statement m_conversing, m_related, m_converses;
};

}  // namespace

void CollectScreenCallers(Database& db, const std::string& program, common::Collection<std::string>& collected,
                          bool search) {
    ScreenCallerSearch(db).Collect(program, collected, search);
}

common::Collection<std::string> FlattenDeclarations(const wb::CodeModel& model, const std::string& declarationId) {
    common::Collection<std::string> out;
    std::unordered_set<std::string> seen{common::AsciiFold(declarationId)};
    std::vector<wb::CodeModelObjectList> stack;
    stack.push_back(model.GetConstruct(declarationId).GetChildren());
    while (!stack.empty()) {
        wb::CodeModelObjectList& children = stack.back();
        if (children.AtEnd()) {
            stack.pop_back();
            continue;
        }
        const wb::CodeModelConstruct child = children.Current();
        children.MoveNext();
        if (child.GetTypeText() != "DECL") continue;
        if (!seen.insert(common::AsciiFold(child.GetId())).second) continue;
        out.Add(child.GetId() + "\t" + child.GetName(), child.GetId());
        stack.push_back(child.GetChildren());  // children is not used after this
    }
    return out;
}

}  // namespace Globals

namespace mdlReports {

namespace wb = platform::workbench;
using platform::db::Database;

namespace {

constexpr char kRecordFormat[] =
    "<LCRecordFormat><Name CAPTION = \"Name\"/><Validations CAPTION = \"Validations\" align=\"right\"/>"
    "</LCRecordFormat>";

// One condition reached from a screen input port.
struct ConditionHit {
    std::string portId, portName;
    std::string declId, declName;
    std::string subId, subName;
    std::string condId, condName;
};

bool IsScreenInput(const wb::CodeModelConstruct& port) {
    return common::AsciiEqualNoCase(port.GetProperty("PORTTYPE"), "SCREEN") &&
           common::AsciiEqualNoCase(port.GetProperty("DIRECT"), "IN");
}

// Every condition of one program's screen input ports, in walk order.
// Raises WorkbenchError or DbError when the model cannot be read.
std::vector<ConditionHit> WalkScreenInputs(wb::CodeModel& model) {
    std::vector<ConditionHit> hits;
    for (auto ports = model.GetObjects("", "PORT"); !ports.AtEnd(); ports.MoveNext()) {
        const wb::CodeModelConstruct& port = ports.Current();
        if (!IsScreenInput(port)) continue;
        for (auto uses = port.GetRelated("Use"); !uses.AtEnd(); uses.MoveNext()) {
            for (auto decls = uses.Current().GetRelated("Declaration"); !decls.AtEnd(); decls.MoveNext()) {
                const wb::CodeModelConstruct& decl = decls.Current();
                for (const auto& entry : Globals::FlattenDeclarations(model, decl.GetId())) {
                    const std::string& text = entry.item;
                    const wb::CodeModelConstruct sub = model.GetConstruct(text.substr(0, text.find('\t')));
                    for (auto instances = sub.GetRelated("Instances"); !instances.AtEnd(); instances.MoveNext()) {
                        std::optional<wb::CodeModelObjectList> conditions;
                        // An instance whose conditions cannot be read is
                        // passed over; its sub-declaration may still be
                        // reached through its other instances.
                        try {
                            conditions = instances.Current().GetRelated("Conditions");
                        } catch (const wb::WorkbenchError&) {
                            continue;
                        } catch (const platform::db::DbError&) {
                            continue;
                        }
                        for (; !conditions->AtEnd(); conditions->MoveNext()) {
                            const wb::CodeModelConstruct& cond = conditions->Current();
                            hits.push_back({port.GetId(), port.GetName(), decl.GetId(), decl.GetName(), sub.GetId(),
                                            sub.GetName(), cond.GetId(), cond.GetName()});
                        }
                    }
                }
            }
        }
    }
    return hits;
}

// A pair of texts as one key, folded as the tables' NOCASE keys compare.
std::string PairKey(const std::string& a, const std::string& b) {
    return std::to_string(a.size()) + ':' + common::AsciiFold(a) + common::AsciiFold(b);
}

// The rows of the three tables, each added once per key. The tables are
// emptied when the run starts, so the keys written are all the keys there.
class FindingRows {
public:
    explicit FindingRows(Database& db)
        : m_port(db.Prepare("INSERT OR IGNORE INTO Ports (ProgID, PortVNID, PortName, DeclVNID, DeclName) "
                            "VALUES (?, ?, ?, ?, ?)")),
          m_subdecl(db.Prepare("INSERT OR IGNORE INTO Subdecls (DeclVNID, SubdeclVNID, SubdeclName) VALUES (?, ?, ?)")),
          m_cond(db.Prepare("INSERT OR IGNORE INTO Conds (CondVNID, CondCaption, SubdeclVNID) VALUES (?, ?, ?)")) {}

    void Add(const std::string& program, const ConditionHit& hit) {
        if (m_ports.insert(PairKey(program, hit.portId)).second)
            m_port.Run({program, hit.portId, hit.portName, hit.declId, hit.declName});
        if (m_subdecls.insert(PairKey(hit.declId, hit.subId)).second)
            m_subdecl.Run({hit.declId, hit.subId, hit.subName});
        if (m_conds.insert(PairKey(hit.condId, hit.subId)).second) m_cond.Run({hit.condId, hit.condName, hit.subId});
    }

private:
    platform::db::Statement m_port, m_subdecl, m_cond;
    std::unordered_set<std::string> m_ports, m_subdecls, m_conds;
};

void WritePage(const AnalysisRun& run) {
    ReportBuilder& builder = run.builder;
    builder.StartPage(kRecordFormat, "Validation Rules Report", run.paths.g_TemplateLevel1);
    auto programs = run.db.Prepare(
        "SELECT P.ProgID, MIN(E.Name) AS Name FROM (SELECT DISTINCT ProgID FROM Ports) P "
        "INNER JOIN Ents E ON E.ID = P.ProgID GROUP BY P.ProgID "
        "ORDER BY Name COLLATE NOCASE, P.ProgID COLLATE NOCASE");
    auto remedies = run.db.Prepare(
        "SELECT count(*) AS Remedies FROM (Ports SFVP INNER JOIN Subdecls SFVS ON SFVP.DeclVNID = SFVS.DeclVNID) "
        "INNER JOIN Conds SFVC ON SFVS.SubdeclVNID = SFVC.SubdeclVNID WHERE SFVP.ProgID = ?");
    // Tens of thousands of rows, sorted first: the window's events run meanwhile.
    const platform::db::ProgressPump pump(run.db, run.progress);
    while (programs.Step()) {
        remedies.Reset().Bind(1, programs.Text(0));
        remedies.Step();
        builder.StartRow();
        builder.AddCell("Name", programs.Text(1));
        builder.AddCell("Validations", remedies.Text(0));
        builder.EndRow();
        // Thousands of rows: the window repaints between them.
        run.progress.StartStep("");
    }
    builder.FinishPage();
    WriteListPage(builder, run.db, run.prompt, run.progress, run.output, run.paths.g_ValidationReportPath);
}

}  // namespace

AnalysisResult GetValidationRulesReport(const AnalysisRun& run) {
    RefuseUnlessWritable(run.db, run.output, "Validation Rules");
    AnalysisResult result;
    Database& db = run.db;
    platform::db::Transaction tx(db);
    db.Execute("DELETE FROM Ports");
    db.Execute("DELETE FROM Subdecls");
    db.Execute("DELETE FROM Conds");

    std::vector<std::string> programs;
    {
        auto st = db.Prepare(
            "SELECT ID FROM Ents WHERE EntName = 'PROGRAM' AND Stub = 0 AND SOAType IN (20, 21, 22, 30, 31, 32) "
            "ORDER BY SerialID");
        while (st.Step()) programs.push_back(st.Text(0));
    }
    std::optional<common::ProgressScope> level;
    if (programs.empty())
        level.emplace(run.progress, "", 1, true);
    else
        level.emplace(run.progress, "Find validations", static_cast<long>(programs.size()) + 1, true);

    const wb::EntityStore store = run.session.GetEntityStore();
    FindingRows rows(db);
    Globals::ScreenCallerSearch callers(db);
    // Ids and names of the programs whose model was skipped, for the log.
    auto nameOf = db.Prepare("SELECT Name FROM Ents WHERE ID = ? LIMIT 1");
    // A screen program reached from many server programs is walked once:
    // what its model holds does not depend on who reached it. Keyed by the
    // folded id; an entry is filled when the program that first reached it
    // takes its walk back.
    std::unordered_map<std::string, std::vector<ConditionHit>> walked;

    // The programs whose screen programs are collected and whose new walks
    // are queued, ahead of the one whose rows are written.
    struct Searched {
        std::vector<std::string> collected;
        std::vector<std::string> walks;  // the collected ids first reached here, in order
    };
    std::deque<Searched> ahead;
    size_t searched = 0;

    bool completed = false;
    {
        wb::ReadTransaction repository(store);
        ModelReadAhead<std::vector<ConditionHit>> models(store, run.session.GetWorkspaceFolder(), run.threads,
                                                         WalkScreenInputs);
        // A program that reaches many new screen programs may queue more
        // walks than the room; one whose screens are walked already queues
        // none, so the programs searched ahead are bounded as well.
        auto searchAhead = [&] {
            while (searched < programs.size() && models.HasRoom() && ahead.size() < models.Capacity()) {
                common::Collection<std::string> collected;
                callers.Collect(programs[searched++], collected, true);
                Searched next;
                for (const auto& entry : collected) {
                    next.collected.push_back(entry.item);
                    if (walked.try_emplace(common::AsciiFold(entry.item)).second) {
                        next.walks.push_back(entry.item);
                        models.Queue(entry.item);
                    }
                }
                ahead.push_back(std::move(next));
            }
        };
        completed = StepThroughPrograms(run, tx, programs, [&](const std::string& program) {
            searchAhead();
            Searched mine = std::move(ahead.front());
            ahead.pop_front();
            for (const std::string& id : mine.walks) {
                auto read = models.Take(run.progress);
                if (read.skipped) {
                    nameOf.Reset().Bind(1, id);
                    const std::string name = nameOf.Step() ? nameOf.Text(0) : id;
                    result.skipped.push_back(SkippedProgramLine(name, id, *read.skipped));
                }
                walked[common::AsciiFold(id)] = std::move(read.result);
            }
            for (const std::string& id : mine.collected)
                for (const ConditionHit& hit : walked.at(common::AsciiFold(id))) rows.Add(program, hit);
        });
    }
    if (!completed) {
        result.text = "0";
        return result;
    }

    run.progress.StartStep("Saving Validation Rules");
    WritePage(run);
    result.anyCodeModel = AnyProgramHasCodeModel(db, store);
    result.text = "-1";
    run.progress.FinishStep(1);
    return result;
}

}  // namespace mdlReports
