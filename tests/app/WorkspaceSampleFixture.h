#pragma once
// A main window with every command connected, the OrderEntry sample copied
// into a fresh folder, the Open Workspace dialog replaced by a chosen file
// and the window's questions answered by a script.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <optional>

#include "app/InstallCommands.h"
#include "app/WorkspaceCommands.h"
#include "app/WorkspaceTrees.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceLoad.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

// Failures print texts as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace apptest {

class WorkspaceSampleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        ForgetLayout();
        CopySample(dir.Path(), "OrderEntry");
        sample = dir / "OrderEntry.hxp";
        main = NewMainWindow();
        app::InstallCommands(*main);
        main->SetPrompt(&prompt);
        app::SetWorkspaceFileChooser([this](QWidget*) {
            ++dialogs;
            return chosen;
        });
        app::SetProgramEnd([this](platform::ui::IMainWindow&) { ++programEnds; });
    }

    void TearDown() override {
        app::SetWorkspaceFileChooser({});
        app::SetProgramEnd({});
        main->mnuProgContext->hide();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != main.get() && w->isWindow() && w->parentWidget() == main.get()) w->hide();
        session::CloseWorkspace();
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The built sample as <folder>/<name>.hxp with its folder <folder>/<name>.
    static void CopySample(const std::filesystem::path& folder, const std::string& name) {
        testsupport::CopyBuiltSample(folder, name);
    }

    // File > Open Workspace with this file chosen in the dialog.
    void Open(const std::filesystem::path& file) {
        chosen = file;
        main->mnuFileOpenWorkspace->trigger();
    }

    int64_t Count(const char* sql) { return Globals::g_Database->Scalar(sql).AsInt(); }

    QStringList Texts(QTreeWidgetItem* parent) const {
        QStringList out;
        if (!parent) {
            for (int i = 0; i < main->trSummary->topLevelItemCount(); ++i)
                out << main->trSummary->topLevelItem(i)->text(0);
        } else {
            for (int i = 0; i < parent->childCount(); ++i) out << parent->child(i)->text(0);
        }
        return out;
    }
    QTreeWidgetItem* Summary(const std::string& key) { return app::FindNode(*main->trSummary, key, true); }
    // The Summary node of the entity with this name.
    QTreeWidgetItem* Entity(const char* name) {
        const std::string id =
            Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = ?1", {name}).AsText();
        return id.empty() ? nullptr : Summary(id);
    }

    testsupport::TempDir dir;
    std::filesystem::path sample;
    std::unique_ptr<frmMain> main;
    testsupport::ScriptedPrompt prompt;
    std::optional<std::filesystem::path> chosen;
    int dialogs = 0;
    int programEnds = 0;
};

}  // namespace apptest
