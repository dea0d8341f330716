// The Define Messages window over fixture code models: ORDPROG (hidden and
// shown data lists, groups, an 88-level, a port, a list row whose construct
// is gone), CUSTPROG, and NOMODEL whose model cannot be built, in a
// workspace database made from the template.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/ui/TSplitter.h"
#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/EntityStore.h"
#include "services/NodeMenu.h"
#include "services/ProgramList.h"
#include "services/ServiceTables.h"
#include "services/ui/DefineMessagesOpen.h"
#include "services/ui/frmMessages.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace wb = platform::workbench;
using platform::db::Database;
using services::ui::frmMessages;
using wb::DeclarationProperties;

// The share of the Lists pane in the width of Lists and Structures.
double ListsShare(const frmMessages* w) {
    const QRect lists = w->Splitter->Panes("Lists")->GetRect();
    const QRect structures = w->Splitter->Panes("Structures")->GetRect();
    return static_cast<double>(lists.width()) / std::max(1, lists.width() + structures.width());
}

const QString kSettingsGroup = "QuarvelAnalyzer/Settings/DefineMessages";
const QString kLayoutKey = kSettingsGroup + "/splDefineMessages";
const QString kPlacementKey = kSettingsGroup + "/Placement";

DeclarationProperties Group() { return {false, "", 0, 0, 0}; }
DeclarationProperties Char(int length) { return {true, "1", length, 0, 0}; }

struct OrdIds {
    std::string alphaRec, custRec, zetaRec, gone, port, respArea;
};

QStringList ListTexts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QStringList TopTexts(const QTreeWidget* tree) {
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) out << tree->topLevelItem(i)->text(0);
    return out;
}

// Every node of a tree, depth first, indented by two blanks per level.
void Walk(const QTreeWidgetItem* item, int depth, QStringList& out) {
    out << QString(depth * 2, ' ') + item->text(0);
    for (int i = 0; i < item->childCount(); ++i) Walk(item->child(i), depth + 1, out);
}
QStringList TreeTexts(const QTreeWidget* tree) {
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) Walk(tree->topLevelItem(i), 0, out);
    return out;
}

QStringList ComboTexts(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

QTreeWidgetItem* ElementNamed(QTreeWidget* list, const QString& name) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == name) return list->topLevelItem(i);
    return nullptr;
}

class DefineMessagesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        QSettings().remove(kSettingsGroup);
        fs::copy_file(testsupport::AppDir() / "QuarvelAnalyzer.mdb", dir / "QuarvelAnalyzer.mdb");
        db = Database::Open(dir / "QuarvelAnalyzer.mdb");
        Globals::CreateUseCaseTables(*db, false);
        AddEntity(1, "PROGRAM#1", "ORDPROG");
        AddEntity(3, "PROGRAM#3", "CUSTPROG");
        AddEntity(5, "PROGRAM#5", "NOMODEL");
        ord = WriteOrdProg();
        WriteCustProg();

        names = {{"PROGRAM#1", "ORDPROG"}, {"PROGRAM#3", "CUSTPROG"}, {"PROGRAM#5", "NOMODEL"}};
        sources.db = db.get();
        sources.programName = [this](const std::string& id) {
            const auto it = names.find(id);
            if (it == names.end()) throw wb::WorkbenchError("The repository has no entity '" + id + "'.");
            return it->second;
        };
        sources.openModel = [this](const std::string& id) {
            const auto it = models.find(id);
            if (it == models.end()) throw wb::WorkbenchError("No model file for " + id + ".");
            return wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), it->second.first.string(),
                                                          it->second.second);
        };
    }
    void TearDown() override {
        for (auto& w : windows) delete w.data();
        QSettings().remove(kSettingsGroup);
    }

    void AddEntity(int serial, const char* id, const char* name) {
        db->Execute("INSERT INTO Ents (SerialID, ID, EntName, Name, BusName) VALUES (?, ?, 'PROGRAM', ?, ?)",
                    {serial, id, name, std::string(name) + " operation"});
    }

    OrdIds WriteOrdProg() {
        const fs::path file = dir / "ORDPROG.mdb";
        OrdIds ids;
        {
            wb::CodeModelBuilder b(file, "COBOL#2", "V");
            auto decl = [&](const char* name, const std::string& parent, const DeclarationProperties& p) {
                std::string id = b.AddConstruct("DECL", name, parent);
                b.SetDeclaration(id, p);
                return id;
            };
            ids.zetaRec = decl("ZETA-REC", "", Char(3));
            ids.custRec = decl("CUST-REC", "", Group());
            decl("CUST-NO", ids.custRec, Char(10));
            const std::string name = decl("CUST-NAME", ids.custRec, Group());
            decl("FIRST-NAME", name, Char(15));
            decl("LAST-NAME", name, Char(20));
            const std::string status = decl("STATUS-CODE", ids.custRec, Char(1));
            b.AddConstruct("COND", "STATUS-ACTIVE", status);   // 88 level: not a declaration
            decl("BALANCE", ids.custRec, {true, "3", 5, 9, 2});
            ids.alphaRec = decl("ALPHA-REC", "", Group());
            decl("ALPHA-ID", ids.alphaRec, Char(4));
            ids.gone = decl("GONE-REC", "", Char(2));
            ids.port = b.AddConstruct("PORT", "MID-PORT");
            ids.respArea = decl("RESP-AREA", "", Group());
            decl("RESP-CODE", ids.respArea, {true, "5", 2, 4, 0});
            const std::string flag = decl("SYS-FLAG", "", Char(1));

            const int64_t all = b.AddDataList("VNL_0ALL", "All Declarations");
            b.AddListElement(all, ids.custRec);
            const int64_t ws = b.AddDataList("WS", "Working-Storage");
            for (const std::string& id : {ids.zetaRec, ids.custRec, ids.alphaRec, ids.gone, ids.port})
                b.AddListElement(ws, id);
            const int64_t lower = b.AddDataList("vnl_0abc", "Hidden Too");
            b.AddListElement(lower, flag);
            const int64_t extra = b.AddDataList("VNL_1", "Extra");
            b.AddListElement(extra, flag);
            const int64_t ls = b.AddDataList("LS", "Linkage");
            b.AddListElement(ls, ids.respArea);
            b.Finish();
        }
        // The repository was re-verified after the list was made.
        Database::Open(file)->Execute("DELETE FROM Constructs WHERE VNID = ?", {ids.gone});
        models["PROGRAM#1"] = {file, "COBOL#2"};
        return ids;
    }

    void WriteCustProg() {
        const fs::path file = dir / "CUSTPROG.mdb";
        wb::CodeModelBuilder b(file, "COBOL#4", "C");
        const std::string data = b.AddConstruct("DECL", "CUST-DATA");
        b.SetDeclaration(data, Group());
        const std::string id = b.AddConstruct("DECL", "CD-ID", data);
        b.SetDeclaration(id, Char(8));
        const int64_t ws = b.AddDataList("WS", "Working-Storage");
        b.AddListElement(ws, data);
        b.Finish();
        models["PROGRAM#3"] = {file, "COBOL#4"};
    }

    frmMessages* Open(const std::string& serial, const std::vector<std::string>& tags,
                      const std::string& nature = "2") {
        frmMessages* w = services::ui::DefineMessages(services::JoinTag(nature, serial), tags, nullptr, &prompt,
                                                      sources);
        windows.emplace_back(w);
        return w;
    }
    // The window on the screen with the splitter's sizes in place: they go
    // in on rounds of timers after the first paint, which load delays.
    frmMessages* OpenShown(const std::string& serial, const std::vector<std::string>& tags) {
        frmMessages* w = Open(serial, tags);
        if (w && !testsupport::RunEventsUntil([w] { return w->isVisible() && w->windowHandle() &&
                                                           w->windowHandle()->isExposed() &&
                                                           w->Splitter->SizesSettled(); }))
            ADD_FAILURE() << "the window's panes did not settle";
        return w;
    }
    // Closes the window and waits until it is gone (it deletes itself later).
    static void CloseAndWait(QPointer<frmMessages> w) {
        ASSERT_TRUE(w);
        w->close();
        EXPECT_TRUE(testsupport::RunEventsUntil([&w] { return w.isNull(); })) << "the window was not deleted";
    }

    std::string Stored(int64_t sid) {
        return db->Scalar("SELECT XMLText FROM ucMessages WHERE ElementSID = ?", {sid}).AsText();
    }
    int64_t StoredRows(int64_t sid) {
        return db->Scalar("SELECT COUNT(*) FROM ucMessages WHERE ElementSID = ?", {sid}).AsInt();
    }
    int64_t MessageRows(const char* progId) {
        return db->Scalar("SELECT COUNT(*) FROM Messages WHERE sProgID = ?", {progId}).AsInt();
    }

    testsupport::TempDir dir;
    std::unique_ptr<Database> db;
    OrdIds ord;
    std::map<std::string, std::string> names;
    std::map<std::string, std::pair<fs::path, std::string>> models;
    services::ui::MessageEditorSources sources;
    testsupport::ScriptedPrompt prompt;
    std::vector<QPointer<frmMessages>> windows;
};

}  // namespace

TEST_F(DefineMessagesWindow, ProgramListTakesEachOperationWhoseEntityIsInEnts) {
    AddEntity(9, "PROGRAM#9", "custprog");   // a second entity of CUSTPROG's name
    const services::ProgramList list =
        services::BuildProgramList(*db, {"3", "x1", "77", " 1 ", "9", "", "5"});
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& e : list) items.emplace_back(*e.key, e.item);
    EXPECT_EQ(items, (std::vector<std::pair<std::string, std::string>>{
                         {"CUSTPROG", "PROGRAM#3|3"}, {"ORDPROG", "PROGRAM#1|1"}, {"NOMODEL", "PROGRAM#5|5"}}));
    EXPECT_EQ(list.Item("ordprog"), "PROGRAM#1|1");
    EXPECT_TRUE(services::BuildProgramList(*db, {}).Empty());
}

TEST_F(DefineMessagesWindow, OpensModalForTheOperationWithItsProgramPreselected) {
    frmMessages* w = Open("1", {"3", "1", "5"});
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(w->objectName(), "frmMessages");
    EXPECT_EQ(w->windowTitle(), "Define Messages");
    // The combo follows the operations' order; the operation's own program is chosen.
    EXPECT_EQ(ComboTexts(w->cmbProgs), (QStringList{"CUSTPROG", "ORDPROG", "NOMODEL"}));
    EXPECT_EQ(w->cmbProgs->currentText(), "ORDPROG");
    EXPECT_EQ(w->ProgramId(), "PROGRAM#1");
    EXPECT_EQ(w->ProgramName(), "ORDPROG");
    EXPECT_EQ(w->ElementId(), "1");
    EXPECT_EQ(w->ProgNature(), "2");
    // The program list of the command is the one the window read.
    EXPECT_EQ(Globals::g_ProgramList.Count(), 3u);

    // Opened for a process element: the nature goes with it.
    QPointer<frmMessages> first = w;
    first->close();
    frmMessages* element = Open("3", {"1", "3"}, "1");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->ProgNature(), "1");
    EXPECT_EQ(element->cmbProgs->currentText(), "CUSTPROG");
}

TEST_F(DefineMessagesWindow, OpensOnTheFirstProgramWhenItsOwnIsNotListed) {
    frmMessages* w = Open("1", {"3"});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ComboTexts(w->cmbProgs), QStringList{"CUSTPROG"});
    EXPECT_EQ(w->ProgramName(), "CUSTPROG");
    // The document goes under the listed program's element.
    EXPECT_EQ(w->ElementId(), "3");
}

TEST_F(DefineMessagesWindow, NothingOpensForAnUnknownOperationOrAMalformedTag) {
    EXPECT_EQ(Open("42", {"1"}), nullptr);
    EXPECT_EQ(Open("one", {"1"}), nullptr);
    EXPECT_EQ(services::ui::DefineMessages("2-1", {"1"}, nullptr, &prompt, sources), nullptr);
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(DefineMessagesWindow, Message512WhenNoProgramCanBeLoaded) {
    const std::string m512 = ResModule::LoadResString(512);
    ASSERT_EQ(m512, "No programs found for data structure extraction.\nThe workspace may have been reverified.\n"
                    "Please refresh the project!");
    // No web operation at all.
    EXPECT_EQ(Open("1", {}), nullptr);
    // The program to load first has no model.
    EXPECT_EQ(Open("5", {"5", "1"}), nullptr);
    // A program of the list that the repository no longer knows.
    names.erase("PROGRAM#3");
    EXPECT_EQ(Open("1", {"1", "3"}), nullptr);
    EXPECT_EQ(prompt.asked, (std::vector<std::string>{m512, m512, m512}));
    EXPECT_EQ(prompt.titles.front(), "Quarvel Analyzer");
    // A failed load leaves no placement or layout behind.
    EXPECT_FALSE(QSettings().contains(kLayoutKey));
}

TEST_F(DefineMessagesWindow, PanesShowTheListsElementsAndDeclarationTree) {
    frmMessages* w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    // Lists whose name starts with VNL_0 (any case) are left out.
    EXPECT_EQ(ListTexts(w->lstLists), (QStringList{"Working-Storage", "Extra", "Linkage"}));
    EXPECT_EQ(w->lstLists->currentRow(), 0);
    // Elements sorted by name; the row whose construct is gone is left out.
    EXPECT_EQ(TopTexts(w->lstElements), (QStringList{"ALPHA-REC", "CUST-REC", "MID-PORT", "ZETA-REC"}));
    EXPECT_EQ(w->lstElements->headerItem()->text(0), "Name");
    EXPECT_EQ(w->lstElements->currentItem()->text(0), "ALPHA-REC");
    EXPECT_EQ(TreeTexts(w->trStructures), (QStringList{"ALPHA-REC", "  ALPHA-ID char 4"}));
    EXPECT_TRUE(w->trStructures->topLevelItem(0)->isExpanded());
    EXPECT_EQ(w->trStructures->currentItem(), w->trStructures->topLevelItem(0));

    w->lstElements->setCurrentItem(ElementNamed(w->lstElements, "CUST-REC"));
    EXPECT_EQ(TreeTexts(w->trStructures),
              (QStringList{"CUST-REC", "  CUST-NO char 10", "  CUST-NAME unknown", "    FIRST-NAME char 15",
                           "    LAST-NAME char 20", "  STATUS-CODE char 1", "  BALANCE decimal 9(2)"}));
    const QTreeWidgetItem* top = w->trStructures->topLevelItem(0);
    EXPECT_EQ(top->data(0, Qt::UserRole).toString().toStdString(), ord.custRec);
    EXPECT_FALSE(top->data(0, Qt::UserRole + 1).isValid());   // the top node has no Tag
    EXPECT_EQ(top->child(0)->data(0, Qt::UserRole + 1).toString(), QString("CUST-NO") + QChar(0) + "char 10");
    EXPECT_EQ(w->StructureNodes().size(), 7u);

    // The Down key follows the selection with the tree.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w->lstElements, &down);
    EXPECT_EQ(w->lstElements->currentItem()->text(0), "MID-PORT");
    // A port is no declaration: no tree, nothing to set.
    EXPECT_EQ(w->trStructures->topLevelItemCount(), 0);
    EXPECT_FALSE(w->mnuActionsInput->isEnabled());
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(w->lstElements, &up);
    EXPECT_EQ(TopTexts(w->trStructures), QStringList{"CUST-REC"});

    // Another list.
    w->lstLists->setCurrentRow(2);
    EXPECT_EQ(TopTexts(w->lstElements), QStringList{"RESP-AREA"});
    EXPECT_EQ(TreeTexts(w->trStructures), (QStringList{"RESP-AREA", "  RESP-CODE integer 4"}));
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(DefineMessagesWindow, AnElementTheModelNoLongerKnowsLeavesTheTreeAsItWas) {
    frmMessages* w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->FillStructures(ord.gone));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0],
              "The lists have been changed.\r\nPlease close the window and choose Define Messages again.");
    EXPECT_EQ(TopTexts(w->trStructures), QStringList{"ALPHA-REC"});
    EXPECT_FALSE(w->FillElements("No Such List"));
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(w->lstElements->topLevelItemCount(), 4);
}

TEST_F(DefineMessagesWindow, ActionsAreEnabledByTheTreeAndThePreview) {
    frmMessages* w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    auto states = [w] {
        return std::vector<bool>{w->mnuActionsInput->isEnabled(),    w->mnuActionsOutput->isEnabled(),
                                 w->mnuActionsClearAll->isEnabled(), w->Buttons("In")->isEnabled(),
                                 w->Buttons("Out")->isEnabled(),     w->Buttons("clearall")->isEnabled(),
                                 w->mnuActions->menuAction()->isEnabled()};
    };
    // A tree but nothing stored yet.
    EXPECT_EQ(states(), (std::vector<bool>{true, true, false, true, true, false, true}));
    EXPECT_EQ(w->rtbPreview->toPlainText(), "");

    w->tbActions_ButtonClick("in");
    EXPECT_EQ(w->rtbPreview->toPlainText(),
              "<message name=\"ORDPROG.In\">\n    <part name=\"alphaId\" element=\"char 4\"/>\n</message>");
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true, true, true}));
    EXPECT_EQ(MessageRows("PROGRAM#1"), 2);   // the top node and ALPHA-ID

    // The port's empty tree leaves only Clear All.
    w->lstElements->setCurrentItem(ElementNamed(w->lstElements, "MID-PORT"));
    EXPECT_EQ(states(), (std::vector<bool>{false, false, true, false, false, true, true}));
    w->tbActions_ButtonClick("In");   // a disabled button does nothing
    EXPECT_EQ(MessageRows("PROGRAM#1"), 2);

    w->tbActions_ButtonClick("ClearAll");
    EXPECT_EQ(w->rtbPreview->toPlainText(), "");
    EXPECT_EQ(MessageRows("PROGRAM#1"), 0);
    // Nothing left to do: the Actions menu goes off too.
    EXPECT_EQ(states(), (std::vector<bool>(7, false)));
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(DefineMessagesWindow, RightClickInTheTreePopsUpTheActions) {
    frmMessages* w = OpenShown("1", {"1"});
    ASSERT_NE(w, nullptr);
    QWidget* viewport = w->trStructures->viewport();
    const QPointF at(10, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
    EXPECT_TRUE(w->mnuActions->isVisible());
    w->mnuActions->hide();
}

TEST_F(DefineMessagesWindow, SetAsTwiceAddsNothingAndBothDirectionsAreKept) {
    frmMessages* w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    w->mnuActionsInput->trigger();
    const QString preview = w->rtbPreview->toPlainText();
    w->mnuActionsInput->trigger();
    EXPECT_EQ(w->rtbPreview->toPlainText(), preview);
    EXPECT_EQ(MessageRows("PROGRAM#1"), 2);
    w->mnuActionsOutput->trigger();
    EXPECT_EQ(MessageRows("PROGRAM#1"), 4);
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Messages WHERE bInput = 0").AsInt(), 2);
    EXPECT_TRUE(w->rtbPreview->toPlainText().endsWith(
        "<message name=\"ORDPROG.Out\">\n    <part name=\"alphaId\" element=\"char 4\"/>\n</message>"));
}

TEST_F(DefineMessagesWindow, SwitchingStoresTheOldDocumentFirstThenShowsTheNewOnesStored) {
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (3, ?, 2)",
                {"<definitions><message name=\"CUSTPROG.Out\"><part name=\"cdId\" element=\"char 8\"/></message>"
                 "</definitions>"});
    frmMessages* w = Open("1", {"1", "3"});
    ASSERT_NE(w, nullptr);
    w->mnuActionsInput->trigger();
    EXPECT_EQ(StoredRows(1), 0) << "nothing is stored before a switch or closing";
    // The same program again does nothing, not even a store.
    w->cmbProgs_Click();
    EXPECT_EQ(StoredRows(1), 0);

    w->cmbProgs->setCurrentIndex(1);
    EXPECT_EQ(Stored(1), "<definitions><message name=\"ORDPROG.In\"><part name=\"alphaId\" element=\"char 4\"/>"
                         "</message></definitions>");
    EXPECT_EQ(w->ProgramId(), "PROGRAM#3");
    EXPECT_EQ(w->ElementId(), "3");
    EXPECT_EQ(ListTexts(w->lstLists), QStringList{"Working-Storage"});
    EXPECT_EQ(TreeTexts(w->trStructures), (QStringList{"CUST-DATA", "  CD-ID char 8"}));
    EXPECT_EQ(w->rtbPreview->toPlainText(),
              "<message name=\"CUSTPROG.Out\">\n    <part name=\"cdId\" element=\"char 8\"/>\n</message>");
    EXPECT_TRUE(w->mnuActionsClearAll->isEnabled());
    EXPECT_TRUE(w->Session().Definitions().Inputs().Empty());

    // Leaving a program without changes stores nothing; coming back shows
    // what was stored and reloads its definitions.
    db->Execute("UPDATE ucMessages SET Nature = 1 WHERE ElementSID = 3");
    w->cmbProgs->setCurrentIndex(0);
    EXPECT_EQ(db->Scalar("SELECT Nature FROM ucMessages WHERE ElementSID = 3").AsInt(), 1);
    EXPECT_EQ(w->rtbPreview->toPlainText(),
              "<message name=\"ORDPROG.In\">\n    <part name=\"alphaId\" element=\"char 4\"/>\n</message>");
    EXPECT_EQ(w->Session().Definitions().Inputs().Count(), 2u);
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(DefineMessagesWindow, AProgramWithoutModelShowsItsErrorAndEmptyPanes) {
    frmMessages* w = Open("1", {"1", "5"});
    ASSERT_NE(w, nullptr);
    w->mnuActionsInput->trigger();
    w->cmbProgs->setCurrentIndex(1);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("NOMODEL"), std::string::npos) << prompt.asked[0];
    EXPECT_NE(prompt.asked[0].find("No model file for PROGRAM#5."), std::string::npos) << prompt.asked[0];
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->lstLists->count(), 0);
    EXPECT_EQ(w->lstElements->topLevelItemCount(), 0);
    EXPECT_EQ(w->trStructures->topLevelItemCount(), 0);
    EXPECT_EQ(w->rtbPreview->toPlainText(), "");
    EXPECT_FALSE(w->mnuActionsInput->isEnabled());
    EXPECT_FALSE(w->mnuActionsClearAll->isEnabled());
    // ORDPROG's document was stored before the switch was tried.
    EXPECT_EQ(StoredRows(1), 1);

    w->cmbProgs->setCurrentIndex(0);
    EXPECT_EQ(ListTexts(w->lstLists), (QStringList{"Working-Storage", "Extra", "Linkage"}));
    EXPECT_EQ(prompt.asked.size(), 1u);
}

TEST_F(DefineMessagesWindow, ADocumentThatCannotBeStoredKeepsTheProgram) {
    frmMessages* w = Open("1", {"1", "3"});
    ASSERT_NE(w, nullptr);
    w->mnuActionsInput->trigger();
    db->Execute("DROP TABLE ucMessages");
    w->cmbProgs->setCurrentIndex(1);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("The messages of ORDPROG could not be stored."), std::string::npos);
    EXPECT_EQ(w->cmbProgs->currentText(), "ORDPROG");
    EXPECT_EQ(w->ProgramName(), "ORDPROG");
    EXPECT_EQ(TopTexts(w->trStructures), QStringList{"ALPHA-REC"});
    EXPECT_TRUE(w->Session().Changed());

    // Closing tells the analyst too, and still closes.
    QPointer<frmMessages> open = w;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_TRUE(testsupport::RunEventsUntil([&] { return open.isNull(); })) << "the window stayed";
}

TEST_F(DefineMessagesWindow, ClosingStoresTheDocumentAndAnEmptyOneAsBareRoot) {
    frmMessages* w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    w->lstLists->setCurrentRow(2);   // Linkage
    w->mnuActionsOutput->trigger();
    QPointer<frmMessages> open = w;
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(testsupport::RunEventsUntil([&] { return open.isNull(); })) << "the window stayed";
    EXPECT_EQ(Stored(1), "<definitions><message name=\"ORDPROG.Out\"><part name=\"respCode\" element=\"integer 4\"/>"
                         "</message></definitions>");
    EXPECT_EQ(db->Scalar("SELECT Nature FROM ucMessages WHERE ElementSID = 1").AsInt(), 2);

    // Clear All, then closing: the bare root is stored.
    w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    EXPECT_NE(w->rtbPreview->toPlainText(), "");
    w->mnuActionsClearAll->trigger();
    EXPECT_EQ(MessageRows("PROGRAM#1"), 0);
    CloseAndWait(w);
    EXPECT_EQ(Stored(1), "<definitions/>");
    EXPECT_EQ(StoredRows(1), 1);

    // The owner closing closes the editor first, which stores its document.
    {
        QMainWindow owner;
        w = services::ui::DefineMessages(services::JoinTag("2", "1"), {"1"}, &owner, &prompt, sources);
        ASSERT_NE(w, nullptr);
        w->mnuActionsInput->trigger();
        QPointer<frmMessages> child = w;
        owner.close();
        EXPECT_TRUE(testsupport::RunEventsUntil([&] { return child.isNull(); })) << "the editor stayed";
        EXPECT_NE(Stored(1).find("ORDPROG.In"), std::string::npos);
    }

    // Opening and closing without a change stores nothing.
    db->Execute("DELETE FROM ucMessages");
    w = Open("1", {"1"});
    ASSERT_NE(w, nullptr);
    CloseAndWait(w);
    EXPECT_EQ(StoredRows(1), 0);
}

TEST_F(DefineMessagesWindow, DefaultLayoutHasFourCaptionedPanesAllChecked) {
    frmMessages* w = OpenShown("1", {"1"});
    ASSERT_NE(w, nullptr);
    const std::vector<std::pair<const char*, QString>> panes = {
        {"Lists", "Lists"}, {"Elements", "Elements"}, {"Structures", "Structures"}, {"Preview", "Preview Messages"}};
    for (const auto& [name, caption] : panes) {
        platform::ui::TSplitterPane* pane = w->Splitter->Panes(name);
        ASSERT_NE(pane, nullptr) << name;
        EXPECT_EQ(pane->Caption(), caption);
        EXPECT_TRUE(pane->Visible()) << name;
        EXPECT_EQ(pane->Dock()->windowTitle(), caption);
    }
    EXPECT_EQ(w->Splitter->Panes("Lists")->Dock()->widget(), w->lstLists);
    EXPECT_EQ(w->Splitter->Panes("Preview")->Dock()->widget(), w->rtbPreview);
    for (QAction* item : {w->mnuViewLists, w->mnuViewElements, w->mnuViewStructures, w->mnuViewPreview})
        EXPECT_TRUE(item->isChecked()) << item->objectName().toStdString();

    auto rect = [w](const char* name) { return w->Splitter->Panes(name)->GetRect(); };
    auto share = [](int a, int b) { return static_cast<double>(a) / (a + b); };
    EXPECT_LT(rect("Lists").right(), rect("Structures").left());
    EXPECT_LT(rect("Lists").bottom(), rect("Elements").top());
    EXPECT_LT(rect("Structures").bottom(), rect("Preview").top());
    EXPECT_NEAR(share(rect("Lists").width(), rect("Structures").width()), 0.25, 0.04);
    EXPECT_NEAR(share(rect("Lists").height(), rect("Elements").height()), 1.0 / 3, 0.04);
    EXPECT_NEAR(share(rect("Structures").height(), rect("Preview").height()), 7.0 / 12, 0.04);
}

TEST_F(DefineMessagesWindow, ViewItemsAndTheDocksCloseControlFollowEachOther) {
    frmMessages* w = OpenShown("1", {"1"});
    ASSERT_NE(w, nullptr);
    // The pane's own close control unchecks its item.
    w->Splitter->Panes("Elements")->Dock()->close();
    EXPECT_FALSE(w->mnuViewElements->isChecked());
    EXPECT_FALSE(w->lstElements->isVisible());
    // The item shows it again.
    w->mnuViewElements_Click();
    EXPECT_TRUE(w->mnuViewElements->isChecked());
    EXPECT_TRUE(w->Splitter->Panes("Elements")->Visible());
    EXPECT_TRUE(w->lstElements->isVisible());
    // And hides it.
    w->mnuViewPreview_Click();
    EXPECT_FALSE(w->mnuViewPreview->isChecked());
    EXPECT_FALSE(w->Splitter->Panes("Preview")->Visible());
    EXPECT_FALSE(w->rtbPreview->isVisible());
}

TEST_F(DefineMessagesWindow, LayoutAndPlacementAreRestoredAtTheNextOpening) {
    {
        frmMessages* w = OpenShown("1", {"1"});
        ASSERT_NE(w, nullptr);
        // Within the test screen (800 x 600): a larger one would be shrunk to it.
        w->setGeometry(40, 50, 700, 480);
        ASSERT_TRUE(testsupport::RunEventsUntil([w] { return w->Splitter->size().width() == 700; }));
        w->mnuViewPreview_Click();
        w->Splitter->resizeDocks({w->Splitter->Panes("Lists")->Dock(), w->Splitter->Panes("Structures")->Dock()},
                                 {400, 420}, Qt::Horizontal);
        ASSERT_TRUE(testsupport::RunEventsUntil([w] { return std::abs(ListsShare(w) - 400.0 / 820) < 0.03; }))
            << ListsShare(w);
        CloseAndWait(w);
    }
    ASSERT_TRUE(QSettings().value(kLayoutKey).toString().startsWith("splDefineMessages"));
    ASSERT_TRUE(QSettings().contains(kPlacementKey));

    frmMessages* w = OpenShown("1", {"1"});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->size(), QSize(700, 480));
    EXPECT_FALSE(w->Splitter->Panes("Preview")->Visible());
    EXPECT_FALSE(w->mnuViewPreview->isChecked());
    EXPECT_TRUE(w->mnuViewLists->isChecked());
    EXPECT_NEAR(ListsShare(w), 0.49, 0.06);
    EXPECT_EQ(w->Splitter->Panes("Structures")->Dock()->widget(), w->trStructures);
    w->mnuViewPreview_Click();
    EXPECT_TRUE(w->rtbPreview->isVisible());
}

TEST_F(DefineMessagesWindow, ASavedLayoutIsTakenByItsPrefixInAnyCaseAndADamagedOneIsNot) {
    QString layout;
    {
        frmMessages* w = OpenShown("1", {"1"});
        ASSERT_NE(w, nullptr);
        w->mnuViewLists_Click();
        CloseAndWait(w);
        layout = QSettings().value(kLayoutKey).toString().mid(17);
    }
    QSettings().setValue(kLayoutKey, "SPLdefineMESSAGES" + layout);
    frmMessages* w = OpenShown("1", {"1"});
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->mnuViewLists->isChecked());
    CloseAndWait(w);

    // A text of another window, garbage, or no prefix: the default layout.
    for (const QString& saved : {QString("splDefineMessages garbage"), QString("QuarvelAnalyzer") + layout, layout}) {
        QSettings().setValue(kLayoutKey, saved);
        w = OpenShown("1", {"1"});
        ASSERT_NE(w, nullptr);
        for (const char* name : {"Lists", "Elements", "Structures", "Preview"})
            EXPECT_TRUE(w->Splitter->Panes(name)->Visible()) << name;
        EXPECT_TRUE(w->mnuViewLists->isChecked());
        CloseAndWait(w);
    }
}
