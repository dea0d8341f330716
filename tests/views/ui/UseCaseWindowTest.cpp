// The use-case wizard window and the process diagram window on the sample:
// the start and its question, the preview of a clicked screen, the node
// menu, the splitter below the buttons, and a process diagram that opens no
// link dialog and is gone once closed.

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTreeView>

#include "platform/ui/BmsViewControl.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/TreeItemModel.h"
#include "platform/ui/core/WindowSettingsStore.h"
#include "services/ServiceTables.h"
#include "tests/views/ui/SampleWindowsFixture.h"
#include "views/UseCaseTable.h"
#include "views/ui/frmDefRel.h"
#include "views/ui/frmProcessDiagram.h"
#include "views/ui/frmUseCase.h"

namespace {

using views::ui::frmProcessDiagram;
using views::ui::frmUseCase;
using viewsuitest::SampleWindows;

class UseCaseWindowTest : public SampleWindows {
protected:
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmUseCase*>(w) || qobject_cast<frmProcessDiagram*>(w)) w->close();
        SampleWindows::TearDown();
    }

    template <class W>
    static int Open() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<W*>(w) && w->isVisible()) ++n;
        return n;
    }

    // The sample's screen with the most successors; the table is dropped
    // again, so the next start builds it without asking.
    static std::string BusiestScreen() {
        auto& db = *Globals::g_Database;
        testsupport::ScriptedPrompt yes;
        Globals::BuildUseCaseScreenTable(db, "UseCaseTable", yes);
        const std::string id = db.Scalar(
                                     "SELECT E.ID FROM UseCaseTable T INNER JOIN Ents E ON E.SerialID = "
                                     "T.LScrID GROUP BY E.ID ORDER BY COUNT(DISTINCT T.RScrID) DESC, E.ID")
                                   .AsText();
        db.Execute("DROP TABLE UseCaseTable");
        return id;
    }

    QPoint Centre(frmUseCase& w, const std::string& key) {
        auto* model = static_cast<platform::ui::TreeItemModel*>(w.trWizard->model());
        return w.trWizard->visualRect(model->IndexOfKey(key)).center();
    }

    testsupport::ScriptedPrompt prompt;
    QWidget owner;
};

TEST_F(UseCaseWindowTest, StartsAskBeforeRebuildingAndTheTreePreviewsTrimsAndExpandsAgain) {
    const std::string start = BusiestScreen();
    auto& db = *Globals::g_Database;
    QPointer<frmUseCase> w = views::ui::StartUseCaseWizard(start, &owner, prompt);
    ASSERT_TRUE(w);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_TRUE(db.TableExists("pcaProcesses") && db.TableExists("pcaElements"));
    const std::string rootKey = w->Tree().Nodes().front().key;
    EXPECT_EQ(w->Tree().Nodes().front().text,
              db.Scalar("SELECT BusName FROM Ents WHERE ID = ?1", {start}).AsText() + " (Root)");
    const int successors = static_cast<int>(w->Tree().Children(rootKey).size());
    EXPECT_GT(successors, 0);
    EXPECT_EQ(w->trWizard->model()->rowCount(w->trWizard->model()->index(0, 0)), successors);

    // A further start asks; an identifier without entity opens nothing.
    prompt.answers = {common::Answer::No};
    views::ui::StartUseCaseWizard(start, &owner, prompt);
    EXPECT_EQ(prompt.asked.size(), 1u);
    EXPECT_THROW(views::ui::StartUseCaseWizard("MAP#999999", &owner, prompt), std::runtime_error);
    Settle();
    EXPECT_EQ(Open<frmUseCase>(), 2);

    // A left click previews the map; a program leaves the preview.
    w->resize(700, 600);
    Settle();
    const std::string childKey = w->Tree().Children(rootKey).front()->key;
    EXPECT_FALSE(w->trWizard_MouseUp(1, Centre(*w, childKey), QPoint()));
    EXPECT_TRUE(w->BMS->isVisible());
    ASSERT_FALSE(w->BMS->Listing().fields.empty());
    const QString firstLine = w->BMS->RowText(1);
    w->ShowNodeScreen(db.Scalar("SELECT SerialID FROM Ents WHERE EntName = 'PROGRAM'").AsText());
    EXPECT_EQ(w->BMS->RowText(1), firstLine);

    // A right click on empty space: the items go off and no menu comes up.
    const QModelIndex top = w->trWizard->model()->index(0, 0);
    w->trWizard->collapse(top);
    const QPoint empty(5, w->trWizard->visualRect(top).bottom() + 4);
    ASSERT_FALSE(w->trWizard->indexAt(empty).isValid());
    EXPECT_FALSE(w->trWizard_MouseUp(2, empty, QPoint()));
    for (QAction* item : {w->mnuReexpand, w->mnuTrim, w->mnuPNViewScreen}) EXPECT_FALSE(item->isEnabled());
    EXPECT_FALSE(w->mnuPNContext->isVisible());
    w->trWizard->expand(top);

    // On a node the menu carries its key, and Trim removes the node.
    EXPECT_TRUE(w->trWizard_MouseUp(2, Centre(*w, childKey), w->mapToGlobal(QPoint(20, 20))));
    EXPECT_TRUE(w->mnuPNContext->isVisible());
    w->mnuPNContext->close();
    w->mnuTrim->trigger();
    EXPECT_FALSE(static_cast<platform::ui::TreeItemModel*>(w->trWizard->model())->IndexOfKey(childKey).isValid());

    // The splitter sits below the button strip; neither pane can be closed.
    w->resize(520, 480);
    EXPECT_EQ(w->splMain->y(), w->cmdSaveUseCase->height() + frmUseCase::kBelowButtons);
    for (const char* pane : {"Wizard", "BMS"}) EXPECT_FALSE(w->splMain->Panes(pane)->Closable()) << pane;
}

TEST_F(UseCaseWindowTest, AProcessDiagramOpensNoLinkDialogAndIsGoneOnceClosed) {
    auto& db = *Globals::g_Database;
    Globals::CreateProcessTables(db, false);
    auto screens = db.OpenRecordset("SELECT SerialID FROM Ents WHERE EntName = 'MAP' ORDER BY SerialID LIMIT 2");
    const int64_t first = screens.Int("SerialID");
    screens.MoveNext();
    const int64_t second = screens.Int("SerialID");
    db.Execute("INSERT INTO pcaProcesses (Name) VALUES ('Checkout')");
    const int64_t proc = db.LastInsertId();
    db.Execute("INSERT INTO pcaElements (Name, ParentID, ProcID, SerialID) VALUES ('A', -1, ?1, ?2)", {proc, first});
    db.Execute("INSERT INTO pcaElements (Name, ParentID, ProcID, SerialID) VALUES ('B', ?1, ?2, ?3)",
               {db.LastInsertId(), proc, second});
    const QString placement =
        QString::fromStdString(WindowSettings::SettingKey("QuarvelAnalyzer", "Settings\\ScreenFlow", "Placement"));
    QSettings().remove(placement);

    // No owner at all.
    QPointer<frmProcessDiagram> w = views::ui::ShowProcessDiagram(std::to_string(proc), nullptr);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->findChild<QMenu*>("mnuOptions"), nullptr);
    EXPECT_EQ(w->dgmSF->Model().ShapeCount(), 2u);
    ASSERT_EQ(w->dgmSF->Model().LinkCount(), 1u);
    emit w->dgmSF->LinkActivated(w->dgmSF->Model().Links().front().get());
    Settle();
    EXPECT_EQ(Open<views::ui::frmDefRel>(), 0);

    w->close();
    Settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_FALSE(QSettings().contains(placement));
    db.Execute("DELETE FROM pcaElements WHERE ProcID = ?1", {proc});
    db.Execute("DELETE FROM pcaProcesses WHERE ProcID = ?1", {proc});
}

}  // namespace
