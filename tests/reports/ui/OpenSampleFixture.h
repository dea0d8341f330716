#pragma once
// The OrderEntry sample opened once per test suite (copied into a fresh
// folder) for the report windows, which read the open workspace; every
// top-level window a test left open is closed before the next test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <memory>

#include "common/Globals.h"
#include "session/WorkspaceLoad.h"
#include "tests/support/TestSupport.h"

namespace reportsuitest {

class OpenSample : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Globals::g_AppPath = testsupport::AppDir();
        s_dir = std::make_unique<testsupport::TempDir>();
        const auto file = testsupport::CopyBuiltSample(s_dir->Path());
        testsupport::RecordingProgress progress;
        testsupport::ScriptedPrompt prompt;
        const auto view = session::OpenWorkspace(file, {}, progress, prompt);
        ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;
    }
    static void TearDownTestSuite() {
        session::CloseWorkspace();
        s_dir.reset();
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isWindow() && !w->parentWidget()) w->close();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    inline static std::unique_ptr<testsupport::TempDir> s_dir;
};

}  // namespace reportsuitest
