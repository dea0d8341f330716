// The fast classifier against the literal record-by-record procedure on
// thousands of small random workspaces full of awkward shapes: cycles,
// self-loops, repeated rows, transfers to screens, Batch callers, ids and
// names in other letter cases, rows whose ends have no Ents row, and rows in
// shuffled order. Both must leave Ents exactly alike.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "classify/ClassifyPrograms.h"
#include "tests/classify/LiteralClassifier.h"
#include "tests/classify/WorkspaceDb.h"

namespace classifytest {
namespace {

using platform::db::Database;
using platform::db::Params;
using platform::db::Value;

struct EntRow {
    std::string id, entName, entNameFull;
    bool stub = false;
    int soaType = 0;
    int flags = 0;  // bit i: initial value of the i-th Yes/No fact column
};
struct RelRow {
    std::string id1, id2, entName1, entName2, relName;
};
struct Workspace {
    std::vector<EntRow> ents;
    std::vector<RelRow> rels;
};

class Generator {
public:
    explicit Generator(uint32_t seed) : m_rng(seed) {}

    Workspace Make() {
        Workspace w;
        const int programs = 1 + Pick(12), screens = Pick(4), stores = Pick(3);
        for (int i = 1; i <= programs; ++i) {
            const bool stub = Chance(10);
            m_programs.push_back((stub ? "STUBPROG#" : "PROGRAM#") + std::to_string(i));
            if (Chance(8)) continue;  // known only from Rels
            w.ents.push_back({m_programs.back(), "PROGRAM", "PROGRAM", stub, OneOf({0, 0, 0, 90, 22, 1}), Pick(128)});
        }
        for (int i = 1; i <= screens; ++i) {
            m_screens.push_back("MAP#" + std::to_string(i));
            w.ents.push_back({m_screens.back(), "MAP", "MAP", Chance(20), Chance(25) ? OneOf({1, 10, 33, 90}) : 0, 0});
        }
        for (int i = 1; i <= stores; ++i) {
            m_stores.push_back("TABLE#" + std::to_string(i));
            w.ents.push_back({m_stores.back(), "store", "TABLE", false, 0, 0});
        }
        std::shuffle(w.ents.begin(), w.ents.end(), m_rng);

        const int rows = Pick(3 * programs + 4);
        for (int i = 0; i < rows; ++i) {
            if (!w.rels.empty() && Chance(10)) {  // a repeat, perhaps spelled otherwise
                RelRow r = w.rels[Pick(static_cast<int>(w.rels.size()))];
                w.rels.push_back({Spell(r.id1), Spell(r.id2), Spell(r.entName1), r.entName2, Spell(r.relName)});
                continue;
            }
            w.rels.push_back(RandomRow());
        }
        std::shuffle(w.rels.begin(), w.rels.end(), m_rng);
        return w;
    }

private:
    RelRow RandomRow() {
        const int kind = Pick(100);
        const std::string p = Spell(AnyProgram());
        auto prog = [&] { return Spell(std::string("PROGRAM")); };
        if (kind < 15 && !m_screens.empty()) return {p, OneOf(m_screens), prog(), "MAP", Spell(std::string("converse"))};
        if (kind < 30 && !m_stores.empty()) return {p, OneOf(m_stores), prog(), "TABLE", Spell(std::string("access"))};
        if (kind < 58) return {p, Spell(AnyProgram()), prog(), "PROGRAM", Spell(std::string("Calls"))};
        if (kind < 82) return {p, Spell(AnyProgram()), prog(), "PROGRAM", Spell(std::string("Xctls"))};
        if (kind < 87 && !m_screens.empty()) return {p, OneOf(m_screens), prog(), "MAP", OneOf({"Xctls", "Calls"})};
        if (kind < 90 && !m_screens.empty()) return {OneOf(m_screens), p, "MAP", "PROGRAM", "Xctls"};
        if (kind < 94) return {p, Spell(AnyProgram()), prog(), "PROGRAMENTRY", OneOf({"Calls", "Xctls"})};
        return {p, Spell(AnyProgram()), prog(), "PROGRAM", OneOf({"Includes", "Uses", ""})};
    }

    std::string AnyProgram() { return OneOf(m_programs); }
    // The same text in another letter case now and then.
    std::string Spell(std::string s) {
        if (!Chance(15)) return s;
        for (char& c : s)
            if (Chance(50)) c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
        return s;
    }
    int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(m_rng() % static_cast<uint32_t>(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }
    template <class T>
    T OneOf(const std::vector<T>& v) { return v[Pick(static_cast<int>(v.size()))]; }
    int OneOf(std::initializer_list<int> v) { return *(v.begin() + Pick(static_cast<int>(v.size()))); }
    std::string OneOf(std::initializer_list<const char*> v) { return *(v.begin() + Pick(static_cast<int>(v.size()))); }

    std::mt19937 m_rng;
    std::vector<std::string> m_programs, m_screens, m_stores;
};

std::unique_ptr<Database> Load(const Workspace& w) {
    auto db = NewWorkspaceDb();
    for (const auto& e : w.ents) {
        Params p;
        for (const std::string* text : {&e.id, &e.entName, &e.entNameFull, &e.id, &e.id}) p.emplace_back(*text);
        p.emplace_back(e.stub);
        p.emplace_back(e.soaType);
        for (int bit = 0; bit < 7; ++bit) p.emplace_back((e.flags >> bit) & 1 ? platform::db::kTrue : platform::db::kFalse);
        db->Execute(
            "INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub, SOAType, AccessScreen, Xctls, Xctled, "
            "CallsData, CallsDataIndirect, Called, OnTop) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            p);
    }
    for (const auto& r : w.rels) AddRel(*db, r.id1, r.id2, r.entName1, r.entName2, r.relName);
    return db;
}

std::string Describe(const Workspace& w) {
    std::ostringstream out;
    for (const auto& e : w.ents)
        out << "  Ents " << e.id << " " << e.entName << " SOAType=" << e.soaType << (e.stub ? " stub" : "") << "\n";
    for (const auto& r : w.rels)
        out << "  Rels " << r.id1 << " -" << r.relName << "-> " << r.id2 << " (" << r.entName1 << ", " << r.entName2
            << ")\n";
    return out.str();
}

std::string EntsTable(Database& db) {
    auto rs = db.OpenRecordset(
        "SELECT ID, SOAType, AccessScreen, Xctls, Xctled, CallsData, CallsDataIndirect, Called, OnTop FROM Ents "
        "ORDER BY SerialID");
    std::ostringstream out;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        for (size_t i = 0; i < rs.FieldNames().size(); ++i) out << rs.Field(i).AsText() << " ";
        out << "\n";
    }
    return out.str();
}

void CheckSeeds(uint32_t first, uint32_t count) {
    static const std::set<int64_t> kGiven{1, 2, 3, 4, 10, 11, 20, 21, 22, 23, 30, 31, 32, 33, 60, 90};
    for (uint32_t seed = first; seed < first + count; ++seed) {
        const Workspace w = Generator(seed).Make();
        auto slow = Load(w);
        auto fast = Load(w);
        literal::ClassifyPrograms(*slow);
        mdlReports::ClassifyPrograms(*fast);
        const std::string expected = EntsTable(*slow), actual = EntsTable(*fast);
        ASSERT_EQ(actual, expected) << "seed " << seed << "\n" << Describe(w);
        auto codes = fast->OpenRecordset("SELECT SOAType FROM Ents WHERE EntName = 'PROGRAM'");
        for (; !codes.IsEOF(); codes.MoveNext())
            ASSERT_TRUE(kGiven.count(codes.Int("SOAType"))) << "seed " << seed << " code " << codes.Int("SOAType");
    }
}

// 5,000 workspaces in all, in shards so they can run side by side.
TEST(ClassifyProperty, AgreesWithLiteralProcedureShard1) { CheckSeeds(1, 1000); }
TEST(ClassifyProperty, AgreesWithLiteralProcedureShard2) { CheckSeeds(1001, 1000); }
TEST(ClassifyProperty, AgreesWithLiteralProcedureShard3) { CheckSeeds(2001, 1000); }
TEST(ClassifyProperty, AgreesWithLiteralProcedureShard4) { CheckSeeds(3001, 1000); }
TEST(ClassifyProperty, AgreesWithLiteralProcedureShard5) { CheckSeeds(4001, 1000); }

}  // namespace
}  // namespace classifytest
