// Models read ahead on workers: while the analysis waits for one, the
// window's events still run.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/workbench/ReadTransaction.h"
#include "reports/ModelReadAhead.h"
#include "tests/reports/AnalysisWorkspace.h"

namespace {

using analysistest::AnalysisWorkspace;

// A read that lasts until the analysis reports a step (or, should it never,
// a minute).
class HeldRead : public testsupport::RecordingProgress {
public:
    void StartStep(const std::string& action) override {
        RecordingProgress::StartStep(action);
        {
            std::lock_guard lock(m_mutex);
            m_stepped = true;
        }
        m_changed.notify_all();
    }
    int Read() {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::minutes(1), [this] { return m_stepped; });
        return m_stepped ? 1 : 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stepped = false;
};

TEST(ModelReadAhead, WaitingForASlowModelReportsSteps) {
    AnalysisWorkspace w;
    const std::string id = w.Program("SLOW");
    w.Model("SLOW")->Finish();
    const auto store = w.Session().GetEntityStore();
    HeldRead progress;
    platform::workbench::ReadTransaction repository(store);
    mdlReports::ModelReadAhead<int> ahead(store, w.Folder(), 2,
                                          [&](platform::workbench::CodeModel&) { return progress.Read(); });
    ASSERT_TRUE(ahead.Queue(id));
    const auto taken = ahead.Take(progress);
    EXPECT_FALSE(taken.skipped);
    EXPECT_EQ(taken.result, 1);
    EXPECT_FALSE(progress.steps.empty());
}

}  // namespace
