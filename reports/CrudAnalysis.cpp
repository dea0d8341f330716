#include "reports/CrudAnalysis.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Progress.h"
#include "common/WriteBoundary.h"
#include "platform/db/Database.h"
#include "reports/CrudComparison.h"
#include "reports/ViewOnlyGuard.h"

namespace mdlReports {

namespace {

using platform::db::Database;

constexpr long kSteps = 13;
// The pair loop shows its caption (and lets the window answer Cancel) on
// at most about this many pairs; every pair when there are fewer.
constexpr size_t kPairCaptions = 200;

// Every program's CRUDs and every CRUD's programs, by dense index:
// programs in SerialID order, CRUDs in CRUDs.SerialID order.
struct CrudLinks {
    std::vector<int64_t> serial;              // program index -> Ents.SerialID
    std::vector<uint32_t> crudStart{0};       // program -> its range in cruds
    std::vector<uint32_t> cruds;              // ascending per program
    std::vector<uint32_t> performerStart;     // CRUD -> its range in performers
    std::vector<uint32_t> performers;         // ascending per CRUD

    size_t Programs() const { return serial.size(); }
    // The program's ProgCRUD rows.
    int64_t Points(uint32_t p) const { return crudStart[p + 1] - crudStart[p]; }
};

CrudLinks ReadLinks(Database& db) {
    CrudLinks links;
    std::vector<std::pair<int64_t, int64_t>> rows;
    auto stmt = db.Prepare("SELECT ProgSID, CRUDID FROM ProgCRUD ORDER BY ProgSID, CRUDID");
    while (stmt.Step()) rows.emplace_back(stmt.Int(0), stmt.Int(1));
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    std::vector<int64_t> crudIds;
    crudIds.reserve(rows.size());
    for (const auto& r : rows) crudIds.push_back(r.second);
    std::sort(crudIds.begin(), crudIds.end());
    crudIds.erase(std::unique(crudIds.begin(), crudIds.end()), crudIds.end());

    links.cruds.reserve(rows.size());
    std::vector<uint32_t> performed(crudIds.size(), 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || rows[i].first != rows[i - 1].first) {
            if (i > 0) links.crudStart.push_back(static_cast<uint32_t>(links.cruds.size()));
            links.serial.push_back(rows[i].first);
        }
        const auto c = static_cast<uint32_t>(
            std::lower_bound(crudIds.begin(), crudIds.end(), rows[i].second) - crudIds.begin());
        links.cruds.push_back(c);
        ++performed[c];
    }
    if (!rows.empty()) links.crudStart.push_back(static_cast<uint32_t>(links.cruds.size()));

    links.performerStart.assign(crudIds.size() + 1, 0);
    for (size_t c = 0; c < crudIds.size(); ++c) links.performerStart[c + 1] = links.performerStart[c] + performed[c];
    links.performers.resize(links.cruds.size());
    std::vector<uint32_t> fill(links.performerStart.begin(), links.performerStart.end() - 1);
    // Programs are visited in index order, so each CRUD's list comes out ascending.
    for (uint32_t p = 0; p < links.Programs(); ++p)
        for (uint32_t k = links.crudStart[p]; k < links.crudStart[p + 1]; ++k)
            links.performers[fill[links.cruds[k]]++] = p;
    return links;
}

// For one program at a time, the later programs that share CRUDs with it
// and how many: a counter per program, reset after each visit.
class PairCounter {
public:
    explicit PairCounter(const CrudLinks& links) : m_links(links), m_shared(links.Programs(), 0) {}

    // Counts the partners of p without ordering them; returns how many.
    size_t CountPartners(uint32_t p) {
        Tally(p);
        const size_t n = m_touched.size();
        for (uint32_t q : m_touched) m_shared[q] = 0;
        return n;
    }

    // Calls visit(q, shared) for every partner q > p in ascending order.
    template <class Visit>
    void ForEachPartner(uint32_t p, Visit&& visit) {
        Tally(p);
        const size_t later = m_links.Programs() - p - 1;
        // A sweep over the later programs is cheaper than sorting when
        // most of them are partners.
        if (m_touched.size() * 8 >= later) {
            for (uint32_t q = p + 1; q < m_links.Programs(); ++q) {
                if (!m_shared[q]) continue;
                visit(q, m_shared[q]);
                m_shared[q] = 0;
            }
        } else {
            std::sort(m_touched.begin(), m_touched.end());
            for (uint32_t q : m_touched) {
                visit(q, m_shared[q]);
                m_shared[q] = 0;
            }
        }
    }

private:
    void Tally(uint32_t p) {
        m_touched.clear();
        for (uint32_t k = m_links.crudStart[p]; k < m_links.crudStart[p + 1]; ++k) {
            const uint32_t c = m_links.cruds[k];
            const uint32_t* first = m_links.performers.data() + m_links.performerStart[c];
            const uint32_t* last = m_links.performers.data() + m_links.performerStart[c + 1];
            for (const uint32_t* q = std::upper_bound(first, last, p); q != last; ++q)
                if (m_shared[*q]++ == 0) m_touched.push_back(*q);
        }
    }

    const CrudLinks& m_links;
    std::vector<uint32_t> m_shared;
    std::vector<uint32_t> m_touched;
};

// ProgCRUDProg rows written a hundred to a statement: a statement per row
// costs about as much again as storing the row.
class PairRows {
public:
    explicit PairRows(Database& db) : m_db(db), m_full(db.Prepare(InsertText(kBatch))) {}

    void Add(int64_t prog1, int64_t prog2, int64_t raw, int64_t cap) {
        m_pending[m_count++] = {prog1, prog2, raw, cap};
        if (m_count == kBatch) Write(m_full);
    }
    void Flush() {
        if (m_count == 0) return;
        auto rest = m_db.Prepare(InsertText(m_count));
        Write(rest);
    }

private:
    static constexpr size_t kBatch = 100;

    static std::string InsertText(size_t rows) {
        std::string sql = "INSERT INTO ProgCRUDProg (Prog1, Prog2, RawSameness, SamenessCap) VALUES (?, ?, ?, ?)";
        for (size_t i = 1; i < rows; ++i) sql += ", (?, ?, ?, ?)";
        return sql;
    }
    void Write(platform::db::Statement& insert) {
        for (size_t i = 0; i < m_count; ++i)
            for (int c = 0; c < 4; ++c) insert.Bind(static_cast<int>(i * 4 + c + 1), m_pending[i][c]);
        insert.Step();
        insert.Reset();
        m_count = 0;
    }

    Database& m_db;
    platform::db::Statement m_full;
    std::array<std::array<int64_t, 4>, kBatch> m_pending{};
    size_t m_count = 0;
};

// Name and Id of the linked programs, by program index.
void ReadNames(Database& db, const CrudLinks& links, std::vector<CrudComparisonWriter::Program>& named) {
    named.assign(links.Programs(), {});
    auto stmt = db.Prepare(
        "SELECT SerialID, Id, Name FROM Ents WHERE SerialID IN (SELECT ProgSID FROM ProgCRUD) ORDER BY SerialID");
    while (stmt.Step()) {
        const auto at = std::lower_bound(links.serial.begin(), links.serial.end(), stmt.Int(0));
        if (at == links.serial.end() || *at != stmt.Int(0)) continue;
        const size_t p = static_cast<size_t>(at - links.serial.begin());
        named[p] = CrudComparisonWriter::Program(stmt.Text(2), stmt.Text(1));
    }
}

}  // namespace

CrudAnalysisResult GetCRUDReport(Database& db, const common::WriteBoundary& workspace, common::IProgress& progress,
                                 bool restrict) {
    RefuseUnlessWritable(db, workspace, "CRUD Overlap");
    const std::filesystem::path file = CrudComparisonPath(workspace.Folder());
    CrudAnalysisResult result;
    common::ProgressScope level(progress, "Categorizing CRUD operations", kSteps, true);
    progress.StartStep("");
    // One transaction for the whole rebuild: an error leaves the tables as
    // they were; a cancel keeps what was written so far.
    platform::db::Transaction tx(db);
    auto stop = [&] {
        tx.Commit();
        result.cancelled = true;
        return result;
    };

    // The statements up to the pair loop read and write every access of the
    // workspace: the window's events run meanwhile.
    std::optional<platform::db::ProgressPump> pump(std::in_place, db, progress);
    // A relationship without a full name has no kind of access: no CRUD.
    db.Execute("DELETE FROM CRUDs");
    db.Execute(
        "INSERT INTO CRUDs (PortID, CRUDType) SELECT DISTINCT Id2, Asc(substr(RelNameFull, 1, 1)) FROM Rels "
        "WHERE RelName = ?1 AND Asc(substr(RelNameFull, 1, 1)) IS NOT NULL ORDER BY Id2, 2",
        {"access"});
    progress.FinishStep(1);
    if (progress.Cancelled()) return stop();

    progress.StartStep("Tracing CRUD operations");
    db.Execute("DELETE FROM ProgCRUD");
    std::string trace =
        "INSERT INTO ProgCRUD (ProgSID, CRUDID, Immediate, Degree) SELECT DISTINCT E.SerialID, C.SerialID, E.Id, 0 "
        "FROM (Rels AS R INNER JOIN Ents AS E ON R.Id1 = E.Id) INNER JOIN CRUDs AS C ON R.Id2 = C.PortID "
        "WHERE (Asc(substr(R.RelNameFull, 1, 1)) = C.CRUDType) AND (R.RelName = ?1)";
    if (restrict) trace += " AND (E.ScreenDist = 1 AND E.DownstreamAccess <> 0 AND E.UpstreamAccess = 0)";
    db.Execute(trace, {"access"});
    progress.FinishStep(1);
    if (progress.Cancelled()) return stop();

    // The list of every CRUD each pair shares (one row per pair and shared
    // CRUD, tens of millions when most programs use a few common stores)
    // is not needed: the pairs are counted in memory. The table is emptied
    // so that no earlier run's rows are left in it.
    db.Execute("DELETE FROM tmpProgCRUDProgPrep");
    db.Execute("DELETE FROM ProgCRUDProg");
    const CrudLinks links = ReadLinks(db);
    PairCounter counter(links);
    size_t pairs = 0;
    for (uint32_t p = 0; p < links.Programs(); ++p) pairs += counter.CountPartners(p);
    result.sharingPairs = pairs;

    if (pairs == 0) {
        tx.Commit();
        const int error = workspace.RemoveFile(file);
        if (error != 0 && error != ENOENT) {
            std::string why = workspace.Refusal();
            if (why.empty()) why = std::strerror(error);
            throw std::runtime_error("Cannot remove the earlier " + file.string() + ": " + why);
        }
        return result;
    }

    std::vector<CrudComparisonWriter::Program> named;
    ReadNames(db, links, named);
    CrudComparisonWriter comparison(workspace, file);
    PairRows rows(db);
    pump.reset();

    // The pair loop: a caption counting down the pairs left, one progress
    // step per tenth of the pairs (halves rounded to even: none for five
    // pairs or fewer).
    const auto tenth = static_cast<size_t>(std::nearbyint(static_cast<double>(pairs) / 10.0));
    const size_t captionEvery = std::max<size_t>(1, pairs / kPairCaptions);
    size_t done = 0, sinceStep = 0, left = pairs;
    bool cancelled = false;
    for (uint32_t p = 0; p < links.Programs() && !cancelled; ++p) {
        counter.ForEachPartner(p, [&](uint32_t q, uint32_t shared) {
            if (cancelled) return;
            const bool caption = done % captionEvery == 0;
            if (caption) progress.StartStep("Pair-level info " + std::to_string(left));
            const int64_t cap = links.Points(p) + links.Points(q);
            rows.Add(links.serial[p], links.serial[q], shared, cap);
            const double level = static_cast<double>(shared) / static_cast<double>(cap);
            if (level > kSimilarityThreshold) comparison.AddPair(named[p], named[q], level, cap);
            ++done;
            if (++sinceStep == tenth) {
                progress.FinishStep(1);
                sinceStep = 0;
            }
            --left;
            if (caption && progress.Cancelled()) cancelled = true;
        });
    }
    rows.Flush();
    if (cancelled) return stop();

    progress.StartStep("Finding similar pairs");
    tx.Commit();
    comparison.Finish();
    result.fileWritten = true;
    result.similarPairs = comparison.Pairs();
    progress.FinishStep(1);
    result.cancelled = progress.Cancelled();
    return result;
}

}  // namespace mdlReports
