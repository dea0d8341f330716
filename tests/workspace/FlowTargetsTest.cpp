#include <gtest/gtest.h>

#include "platform/workbench/EntityStore.h"
#include "tests/workspace/ImportTestSupport.h"
#include "workspace/FlowTargets.h"

using importtest::SmallRepo;
using workspace::FlowTargetCollector;
using workspace::FlowTargets;
using workspace::Node;
using workspace::OwningProgram;
using workspace::RepositoryReader;

namespace {

class Flow : public ::testing::Test {
protected:
    SmallRepo repo;
    std::optional<platform::workbench::EntityStore> store;
    std::unique_ptr<RepositoryReader> reader;
    std::unique_ptr<OwningProgram> owners;
    std::unique_ptr<FlowTargetCollector> flows;

    const FlowTargets& Collect(int64_t message) {
        if (!reader) {
            store = repo.Store();
            reader = std::make_unique<RepositoryReader>(*store);
            owners = std::make_unique<OwningProgram>(*reader);
            flows = std::make_unique<FlowTargetCollector>(*reader, *owners);
        }
        auto entity = store->Item(repo.Key(message));
        return flows->CollectFlowTargets(reader->NodeOf(entity));
    }
    std::vector<std::string> Keys(const std::vector<Node>& nodes) {
        std::vector<std::string> out;
        for (const auto& n : nodes) out.push_back(n.Key());
        return out;
    }
    std::vector<std::string> Keys(std::initializer_list<int64_t> numbers) {
        std::vector<std::string> out;
        for (auto n : numbers) out.push_back(repo.Key(n));
        return out;
    }
};

}  // namespace

TEST_F(Flow, OnlyScreenMessagesHaveTargets) {
    const auto map = repo.Add("MAP", "M");
    const auto d = repo.Add("DECISION", "D");
    const auto msg = repo.Add("SCRMSG", "S");
    repo.Rel("HasMessage", map, d);
    repo.Rel("HasMessage", map, msg);
    const auto& decision = Collect(d);
    EXPECT_TRUE(decision.screens.empty());
    EXPECT_TRUE(decision.programs.empty());
    EXPECT_TRUE(decision.transfers.empty());
    EXPECT_EQ(Keys(Collect(msg).screens), Keys({map}));
}

TEST_F(Flow, TransferTargetsComeOnlyThroughTheMessagesScreens) {
    // S has no screen but starts T itself: no transfer target. Screen M's
    // messages S1 and S2 start T directly and through decision D; an entry
    // without owner is its own target; a decision behind a decision is not
    // followed.
    const auto q = repo.Add("PROGRAM", "Q");
    const auto qe = repo.Add("PROGRAMENTRY", "QE");
    const auto orphan = repo.Add("PROGRAMENTRY", "ORPHAN");
    const auto far = repo.Add("PROGRAMENTRY", "FAR");
    const auto t = repo.Add("TRANSACTION", "T");
    const auto tFar = repo.Add("TRANSACTION", "TFAR");
    const auto m = repo.Add("MAP", "M");
    const auto s = repo.Add("SCRMSG", "S");
    const auto s1 = repo.Add("SCRMSG", "S1");
    const auto s2 = repo.Add("SCRMSG", "S2");
    const auto d = repo.Add("DECISION", "D");
    const auto d2 = repo.Add("DECISION", "D2");
    repo.Rel("Has", q, qe);
    repo.Rel("Runs", t, qe);
    repo.Rel("Runs", t, orphan);
    repo.Rel("Runs", tFar, far);
    repo.Rel("Starts", s, t);
    repo.Rel("HasMessage", m, s1);
    repo.Rel("HasMessage", m, s2);
    repo.Rel("Starts", s1, t);
    repo.Rel("LeadsTo", s2, d);
    repo.Rel("Starts", d, t);
    repo.Rel("LeadsTo", d, d2);
    repo.Rel("Starts", d2, tFar);

    EXPECT_TRUE(Collect(s).transfers.empty());
    // Every message of the screen counts, the one asked about included; repeats stay.
    EXPECT_EQ(Keys(Collect(s1).transfers), Keys({q, orphan, q, orphan}));
    EXPECT_EQ(Keys(Collect(s2).transfers), Keys({q, orphan, q, orphan}));
}

TEST_F(Flow, ProgramsDirectAndBehindADecisionWithRepeats) {
    const auto p = repo.Add("PROGRAM", "P");
    const auto r = repo.Add("PROGRAM", "R");
    const auto d = repo.Add("DECISION", "D");
    const auto m = repo.Add("MAP", "M");
    const auto msg = repo.Add("SCRMSG", "S");
    repo.Rel("Sends", p, msg);
    repo.Rel("UsesDecision", p, d);
    repo.Rel("UsesDecision", r, d);
    repo.Rel("LeadsTo", d, msg);
    repo.Rel("HasMessage", m, msg);
    const auto& flow = Collect(msg);
    EXPECT_EQ(Keys(flow.programs), Keys({p, p, r}));
    EXPECT_EQ(Keys(flow.screens), Keys({m}));
}
