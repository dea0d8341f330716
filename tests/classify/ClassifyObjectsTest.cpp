// The classification as the workspace load runs it: one progress step that
// Cancel does not stop, all writes or none, and the Summary tree after it.

#include <gtest/gtest.h>

#include "classify/ClassifyObjects.h"
#include "platform/db/Database.h"
#include "tests/classify/ClassifyFixture.h"
#include "tests/support/TestSupport.h"

namespace classifytest {
namespace {

class ClassifyObjectsTest : public ClassifyFixture {
protected:
    void SetUp() override {
        Programs({"C", "F", "B"});
        Converse("C");
        Calls("C", "F");
        Access("F");
    }
};

TEST_F(ClassifyObjectsTest, OneStepThatCancelDoesNotStopThenTheTree) {
    testsupport::RecordingProgress progress;
    progress.cancelAfterSteps = 1;  // the user confirms Cancel as soon as the step shows
    common::Tree tree = classify::ClassifyObjects(*db, progress);
    ASSERT_GE(progress.calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(progress.calls.begin(), progress.calls.begin() + 4),
              (std::vector<std::string>{"StartProgress(Classify objects,1,T)", "StartStep()", "FinishStep(1)",
                                        "FinishProgress"}));
    // Then only steps without caption, which let a window's events through
    // while the tree is read.
    for (size_t i = 4; i < progress.calls.size(); ++i) EXPECT_EQ(progress.calls[i], "StartStep()");
    EXPECT_EQ(Code("C"), 1);
    EXPECT_EQ(Code("F"), 20);
    EXPECT_EQ(Code("B"), 90);
    ASSERT_NE(tree.Find(Id("F")), nullptr);
    EXPECT_EQ(tree.Find(Id("F"))->parentKey, "Frontier Data Access");
    EXPECT_EQ(tree.Find("Client Branch")->text, "2 Client Branch");
    EXPECT_EQ(tree.Find("Screens")->text, "1 Screens");
}

TEST_F(ClassifyObjectsTest, FailedWriteLeavesNoCodeBehindAndClosesTheProgress) {
    // Writing F fails after B (Batch) and C were already written.
    db->ExecuteScript(
        "CREATE TRIGGER failF BEFORE UPDATE OF SOAType ON Ents WHEN NEW.ID = 'PROGRAM#F' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
    testsupport::RecordingProgress progress;
    EXPECT_THROW(classify::ClassifyObjects(*db, progress), platform::db::DbError);
    EXPECT_EQ(progress.level, 0);
    EXPECT_FALSE(db->InTransaction());
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Ents WHERE SOAType <> 0").AsInt(), 0);
}

TEST_F(ClassifyObjectsTest, RunsInsideTheCallersTransaction) {
    platform::db::Transaction outer(*db);
    testsupport::RecordingProgress progress;
    classify::ClassifyObjects(*db, progress);
    outer.Commit();
    EXPECT_EQ(Code("F"), 20);
}

}  // namespace
}  // namespace classifytest
