#pragma once
// The OrderEntry sample opened once per test suite (copied into a fresh
// folder), for the windows that read the open workspace; every window a
// test opened is gone before the next test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceLoad.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"
#include "views/ui/frmContext.h"
#include "views/ui/frmSource.h"

namespace viewsuitest {

class SampleWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        s_dir = std::make_unique<testsupport::TempDir>();
        testsupport::CopyBuiltSample(s_dir->Path());
        OpenSample();
    }
    static void TearDownTestSuite() {
        session::CloseWorkspace();
        s_dir.reset();
    }
    // Opens the copied sample again, as File > Open Workspace does.
    static void OpenSample() {
        testsupport::RecordingProgress progress;
        testsupport::ScriptedPrompt prompt;
        const auto view = session::OpenWorkspace(*s_dir / "OrderEntry.hxp", {}, progress, prompt);
        ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;
    }

    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<views::ui::frmSource*>(w) || qobject_cast<views::ui::frmContext*>(w)) w->close();
        Settle();
        Globals::g_ActiveContextKey.clear();
    }

    static void Settle() {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    // Processes events until done() holds: a fresh splitter sets its sizes
    // and hides panes on timers after it shows, later on a busy machine.
    template <class Pred>
    static bool SettleUntil(Pred done) {
        return testsupport::RunEventsUntil(done);
    }

    // Ents.ID of the entity of that name and kind.
    static std::string Id(const char* name, const char* entName = "PROGRAM") {
        return Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = ?1 AND EntName = ?2", {name, entName})
            .AsText();
    }
    static std::string Request(const char* name, const std::string& id) { return std::string(name) + '\0' + id; }
    static std::filesystem::path Folder() { return *s_dir / "OrderEntry"; }

    template <class W>
    static int Count() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* x = qobject_cast<W*>(w); x && !x->IsClosed()) ++n;
        return n;
    }

    inline static std::unique_ptr<testsupport::TempDir> s_dir;
};

}  // namespace viewsuitest
