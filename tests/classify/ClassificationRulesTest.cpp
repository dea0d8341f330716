// The rule sets on single records: which facts win when several hold.

#include <gtest/gtest.h>

#include "classify/ClassificationRules.h"

namespace {

using mdlReports::clsRecord;

clsRecord Rec(bool a, bool d, bool c) {
    clsRecord r;
    r.m_AccessScreen = a;
    r.m_CallsData = d;
    r.m_Called = c;
    return r;
}

TEST(ClassificationRules, ScreenProgramsGetOneToFourAndLaterSetsSkipThem) {
    const struct { bool d, c; int code; } rows[] = {{false, false, 1}, {false, true, 2}, {true, false, 3}, {true, true, 4}};
    for (const auto& row : rows) {
        clsRecord r = Rec(true, row.d, row.c);
        r.m_Xctls = r.m_Xctled = true;
        r.m_CalledXctledByCForTRAN = r.m_CalledXctledByFRONTorSRVR = true;
        mdlReports::ApplyClientFacingRules(r);
        EXPECT_EQ(r.m_SOAType, row.code);
        bool asked = false;
        mdlReports::ApplyTransitionalRules(r, [&](const std::string&) { return asked = true; });
        mdlReports::ApplyFrontierRules(r);
        mdlReports::ApplyFrontierServerRules(r);
        EXPECT_EQ(r.m_SOAType, row.code);
        EXPECT_FALSE(asked);
    }
    clsRecord none = Rec(false, true, true);
    mdlReports::ApplyClientFacingRules(none);
    EXPECT_EQ(none.m_SOAType, 0);
}

TEST(ClassificationRules, TransitionalAsksOnlyWhenTheFlagsQualifyAndKeepsZeroOnNo) {
    int asked = 0;
    auto answer = [&](bool yes) {
        return [&asked, yes](const std::string& id) {
            ++asked;
            EXPECT_EQ(id, "PROGRAM#7");
            return yes;
        };
    };
    clsRecord r;
    r.m_ProgramId = "PROGRAM#7";
    r.m_Xctls = true;  // not transferred to
    mdlReports::ApplyTransitionalRules(r, answer(true));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(r.m_SOAType, 0);

    r.m_Xctled = true;
    mdlReports::ApplyTransitionalRules(r, answer(false));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.m_SOAType, 0);
    mdlReports::ApplyTransitionalRules(r, answer(true));
    EXPECT_EQ(r.m_SOAType, 10);

    r.m_SOAType = 0;
    r.m_Called = true;
    mdlReports::ApplyTransitionalRules(r, answer(true));
    EXPECT_EQ(r.m_SOAType, 11);
    EXPECT_EQ(asked, 3);
}

TEST(ClassificationRules, FrontierShapesAndDownstreamClientWins) {
    const struct { bool d, di, h; int frontier; } rows[] = {
        {true, false, false, 20}, {true, true, false, 20}, {false, true, false, 21}, {false, false, false, 22},
        {true, true, true, 23},   {false, false, true, 23},
    };
    for (const auto& row : rows) {
        clsRecord r;
        r.m_CallsData = row.d;
        r.m_CallsDataIndirectly = row.di;
        r.m_HasCFdownstream = row.h;
        mdlReports::ApplyFrontierRules(r);
        EXPECT_EQ(r.m_SOAType, 0) << "no client caller, no Frontier";
        r.m_CalledXctledByCForTRAN = true;
        mdlReports::ApplyFrontierRules(r);
        EXPECT_EQ(r.m_SOAType, row.frontier);
        mdlReports::ApplyFrontierServerRules(r);
        EXPECT_EQ(r.m_SOAType, row.frontier) << "pass 8 repeats pass 7 without a Frontier or Server caller";
        r.m_CalledXctledByFRONTorSRVR = true;
        mdlReports::ApplyFrontierServerRules(r);
        EXPECT_EQ(r.m_SOAType, row.frontier + 10) << "a Frontier or Server caller makes it Server";
        r.m_CalledXctledByCForTRAN = false;
        r.m_SOAType = 0;
        mdlReports::ApplyFrontierServerRules(r);
        EXPECT_EQ(r.m_SOAType, row.frontier + 10);
    }
}

TEST(ClassificationRules, NoQualifyingCallerEndsAsNoCategoryReplacingEarlierCode) {
    for (bool d : {false, true}) {
        clsRecord r;
        r.m_CallsData = d;
        r.m_CallsDataIndirectly = !d;
        r.m_SOAType = 22;  // what an earlier pass gave it
        mdlReports::ApplyFrontierServerRules(r);
        EXPECT_EQ(r.m_SOAType, 60);
    }
    clsRecord transitional;
    transitional.m_SOAType = 10;
    mdlReports::ApplyFrontierServerRules(transitional);
    EXPECT_EQ(transitional.m_SOAType, 10);
}

}  // namespace
