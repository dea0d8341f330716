// The Define Messages window on the OrderEntry sample, used as the analyst
// uses it: three programs made web operations (two COBOL programs with code
// models, one Natural program without), the messages of the two COBOL
// operations defined, switched between and stored.
//
// With QA_DEFINE_MESSAGES_SHOTS set to a folder (and a real display), every
// step is also captured with `import -window root` into that folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>

#include <cstdlib>
#include <set>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "common/Tree.h"
#include "platform/ui/MessageBoxPrompt.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "platform/xml/XmlDocument.h"
#include "services/NodeCommands.h"
#include "services/NodeMenu.h"
#include "services/ProgramList.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"
#include "services/WsdlGenerator.h"
#include "services/ui/DefineMessagesOpen.h"
#include "services/ui/DefineMessagesSources.h"
#include "services/ui/frmMessages.h"
#include "session/WorkspaceLoad.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using services::ui::frmMessages;

void Settle(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (t.elapsed() < ms);
}

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

void Choose(QListWidget* lists, const QString& caption) {
    const auto found = lists->findItems(caption, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << caption.toStdString();
    lists->setCurrentItem(found.front());
}

void Choose(QTreeWidget* elements, const QString& name) {
    const auto found = elements->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    elements->setCurrentItem(found.front());
}

// The parts of one stored message, "name element" each.
std::vector<std::string> Parts(const std::string& xml, const std::string& message) {
    std::vector<std::string> out;
    const auto doc = platform::xml::Document::Parse(xml);
    for (const auto& part : doc.SelectNodes("/definitions/message[@name='" + message + "']/part"))
        out.push_back(part.GetAttribute("name") + " " + part.GetAttribute("element"));
    return out;
}

// Records every question; when screenshots are taken it also shows the
// message box as the analyst would see it and captures it.
class ShotPrompt : public testsupport::ScriptedPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon icon) override {
        const common::Answer answer = ScriptedPrompt::Ask(text, title, buttons, icon);
        if (shotFile.empty()) return answer;
        QMessageBox box(icon == common::Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                        QString::fromStdString(title), QString::fromStdString(text));
        QTimer::singleShot(800, &box, [&box, this] {
            const std::string command = "import -window root '" + shotFile.string() + "'";
            shotTaken = std::system(command.c_str()) == 0;
            box.done(0);
        });
        box.exec();
        return answer;
    }
    fs::path shotFile;
    bool shotTaken = false;
};

class DefineMessagesSample : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        QSettings().remove("QuarvelAnalyzer/Settings/DefineMessages");
        Globals::g_AppPath = testsupport::AppDir();
        const fs::path built = testsupport::AppDir().parent_path() / "samples";
        ASSERT_TRUE(fs::exists(built / "OrderEntry.hxp")) << built;
        fs::copy(built / "OrderEntry", dir / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir / "OrderEntry.hxp");
        testsupport::RecordingProgress progress;
        const auto view = session::OpenWorkspace(dir / "OrderEntry.hxp", {}, progress, prompt);
        ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;
        if (const char* shots = std::getenv("QA_DEFINE_MESSAGES_SHOTS")) shotFolder = shots;
    }
    void TearDown() override {
        delete editor.data();
        session::CloseWorkspace();
    }

    platform::db::Database& Db() { return *Globals::g_Database; }
    std::string SerialOf(const char* name) {
        return Db().Scalar("SELECT SerialID FROM Ents WHERE Name = ? AND EntName = 'PROGRAM'", {name}).AsText();
    }
    // "Set as Web Operation" on a program of the Summary tree.
    void MakeWebOperation(const char* name) {
        const std::string id =
            Db().Scalar("SELECT ID FROM Ents WHERE Name = ? AND EntName = 'PROGRAM'", {name}).AsText();
        ASSERT_EQ(services::SetAsWebOperation(Db(), services::JoinTag(name, id)),
                  services::SetWebOperationResult::Added);
    }
    std::vector<std::string> OperationTags() {
        common::Tree tree;
        Globals::LoadWebOperationsTree(tree, Db());
        std::vector<std::string> tags;
        for (const auto& node : tree.Nodes()) tags.push_back(node.tag);
        return tags;
    }
    std::string Stored(const std::string& serial) {
        return Db().Scalar("SELECT XMLText FROM ucMessages WHERE ElementSID = ?", {std::stoll(serial)}).AsText();
    }
    void Shot(const char* name) {
        if (shotFolder.empty()) return;
        Settle(800);
        const std::string command = "import -window root '" + (shotFolder / (std::string(name) + ".png")).string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    testsupport::TempDir dir;
    ShotPrompt prompt;
    QPointer<frmMessages> editor;
    fs::path shotFolder;
};

}  // namespace

TEST_F(DefineMessagesSample, MessagesOfTwoOperationsAreDefinedSwitchedAndStored) {
    for (const char* program : {"ORDENTR", "CUSTINQ", "NCUSTMNT"}) MakeWebOperation(program);
    const std::string ordentr = SerialOf("ORDENTR");
    const std::string custinq = SerialOf("CUSTINQ");

    // Define Messages on CUSTINQ's node.
    editor = services::ui::DefineMessages(services::JoinTag("2", custinq), OperationTags(), nullptr, &prompt,
                                          services::ui::WorkspaceSources());
    ASSERT_NE(editor, nullptr) << (prompt.asked.empty() ? "" : prompt.asked.back());
    editor->resize(1000, 640);
    Settle(200);
    EXPECT_EQ(Globals::g_ProgramList.Count(), 3u);
    EXPECT_EQ(editor->cmbProgs->count(), 3);
    EXPECT_EQ(editor->cmbProgs->itemText(0), "ORDENTR");
    EXPECT_EQ(editor->cmbProgs->itemText(1), "CUSTINQ");
    EXPECT_EQ(editor->cmbProgs->itemText(2), "NCUSTMNT");
    EXPECT_EQ(editor->cmbProgs->currentText(), "CUSTINQ");
    EXPECT_EQ(editor->ElementId(), custinq);
    EXPECT_EQ(ListTexts(editor->lstLists),
              (QStringList{"Working-Storage Section", "Symbolic Maps", "Linkage Section"}));
    EXPECT_EQ(TopTexts(editor->lstElements),
              (QStringList{"CUSTOMER-RECORD", "DFHAID", "WS-CREDIT-EDIT", "WS-KEY", "WS-RESP"}));
    EXPECT_EQ(TopTexts(editor->trStructures), QStringList{"CUSTOMER-RECORD"});
    Shot("01-opened-on-CUSTINQ");

    // The map's input fields in, the commarea out.
    Choose(editor->lstLists, "Symbolic Maps");
    Choose(editor->lstElements, "CUSTMAPI");
    editor->mnuActionsInput->trigger();
    Choose(editor->lstLists, "Linkage Section");
    editor->mnuActionsOutput->trigger();
    EXPECT_TRUE(editor->rtbPreview->toPlainText().startsWith("<message name=\"CUSTINQ.In\">\n    <part name="));
    EXPECT_TRUE(editor->rtbPreview->toPlainText().contains("<message name=\"CUSTINQ.Out\">"));
    Shot("02-CUSTINQ-defined");

    // Switching to ORDENTR stores CUSTINQ's document first.
    editor->cmbProgs->setCurrentIndex(0);
    const std::string custinqDoc = Stored(custinq);
    const auto inputs = Parts(custinqDoc, "CUSTINQ.In");
    const auto outputs = Parts(custinqDoc, "CUSTINQ.Out");
    ASSERT_FALSE(inputs.empty());
    ASSERT_FALSE(outputs.empty());
    // Every type text is a word, one blank and its numbers.
    const QRegularExpression typed(R"(^[a-z][A-Za-z0-9]* (char|decimal|integer|unknown) \d+(\(\d+\))?$)");
    for (const auto& part : inputs) EXPECT_TRUE(typed.match(QString::fromStdString(part)).hasMatch()) << part;
    for (const auto& part : outputs) EXPECT_TRUE(typed.match(QString::fromStdString(part)).hasMatch()) << part;
    // Each data item once per message.
    EXPECT_EQ(std::set<std::string>(inputs.begin(), inputs.end()).size(), inputs.size());
    EXPECT_EQ(editor->ElementId(), ordentr);
    EXPECT_EQ(editor->rtbPreview->toPlainText(), "");

    Choose(editor->lstLists, "Symbolic Maps");
    Choose(editor->lstElements, "ORDENTI");
    editor->mnuActionsInput->trigger();
    Choose(editor->lstElements, "ORDENTO");
    editor->mnuActionsOutput->trigger();
    Shot("03-ORDENTR-defined");

    // A Natural program has no model: its error, empty panes, the window stays.
    if (!shotFolder.empty()) prompt.shotFile = shotFolder / "04-NCUSTMNT-error-box.png";
    editor->cmbProgs->setCurrentIndex(2);
    prompt.shotFile.clear();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("NCUSTMNT"), std::string::npos);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->lstLists->count(), 0);
    EXPECT_FALSE(Stored(ordentr).empty());
    Shot("05-NCUSTMNT-no-model");

    // Back on CUSTINQ: its stored document and definitions.
    editor->cmbProgs->setCurrentIndex(1);
    EXPECT_TRUE(editor->rtbPreview->toPlainText().startsWith("<message name=\"CUSTINQ.In\">"));
    EXPECT_FALSE(editor->Session().Definitions().Inputs().Empty());
    Shot("06-back-on-CUSTINQ");
    editor->close();
    EXPECT_TRUE(testsupport::RunEventsUntil([this] { return editor.isNull(); })) << "the editor stayed";

    EXPECT_EQ(Stored(custinq), custinqDoc);
    EXPECT_FALSE(Parts(Stored(ordentr), "ORDENTR.In").empty());
    EXPECT_FALSE(Parts(Stored(ordentr), "ORDENTR.Out").empty());
    EXPECT_EQ(Db().Scalar("SELECT COUNT(DISTINCT sProgID) FROM Messages").AsInt(), 2);
}

namespace {

// A program without a model, chosen in the editor: the message box is the
// editor's (the main window stays behind it) and names the program as the
// analyst knows it.
TEST_F(DefineMessagesSample, AProgramWithoutAModelIsReportedOverTheEditorByItsName) {
    for (const char* program : {"ORDENTR", "NCUSTMNT"}) MakeWebOperation(program);
    QWidget main;
    main.show();
    platform::ui::MessageBoxPrompt boxes(&main, "Quarvel Analyzer");
    editor = services::ui::DefineMessages(services::JoinTag("2", SerialOf("ORDENTR")), OperationTags(), &main,
                                          &boxes, services::ui::WorkspaceSources());
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(QApplication::activeModalWidget(), editor.data());

    QWidget* parent = nullptr;
    QString text;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            parent = box->parentWidget();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    editor->cmbProgs->setCurrentIndex(editor->cmbProgs->findText("NCUSTMNT"));
    EXPECT_EQ(parent, editor.data());
    EXPECT_EQ(text, "The data structures of NCUSTMNT cannot be shown.\nNCUSTMNT has no code model.");
    EXPECT_TRUE(editor->isVisible());
}

// Zoned, packed and binary numbers of the sample reach the message as
// decimals and integers by their digits, and the WSDL as xsd:decimal and
// xsd:integer with those digits, not as strings of their bytes.
TEST_F(DefineMessagesSample, TheSamplesNumbersAreDecimalsInTheMessageAndTheWsdl) {
    MakeWebOperation("ORDENTR");
    const std::string ordentr = SerialOf("ORDENTR");
    editor = services::ui::DefineMessages(services::JoinTag("2", ordentr), OperationTags(), nullptr, &prompt,
                                          services::ui::WorkspaceSources());
    ASSERT_NE(editor, nullptr) << (prompt.asked.empty() ? "" : prompt.asked.back());
    Choose(editor->lstLists, "Working-Storage Section");
    Choose(editor->lstElements, "WS-WORK");
    editor->mnuActionsInput->trigger();
    editor->close();
    ASSERT_TRUE(testsupport::RunEventsUntil([this] { return editor.isNull(); })) << "the editor stayed";

    const auto parts = Parts(Stored(ordentr), "ORDENTR.In");
    EXPECT_EQ(std::set<std::string>(parts.begin(), parts.end()),
              (std::set<std::string>{"wsResp integer 8", "wsQty decimal 5(0)", "wsUnitPrice decimal 9(2)",
                                     "wsLineTotal decimal 11(2)", "wsPriceEdit char 12", "wsErrorFlag char 1"}));

    auto& db = Db();
    const std::string wsid = Globals::AddWebService("Orders", db);
    ASSERT_FALSE(wsid.empty());
    Globals::AddUseCaseToWebService(
        wsid, db.Scalar("SELECT UCID FROM ucUseCases WHERE ForeignID = ?", {std::stoll(ordentr)}).AsText(), db);
    const auto wsdl = services::GenerateWebServiceWSDL(db, std::stoll(wsid), prompt);
    ASSERT_TRUE(wsdl);
    const QString text = QString::fromStdString(wsdl->text);
    EXPECT_TRUE(text.contains(R"(<wsdl:part name="wsQty" element="decimal_5_0"/>)")) << wsdl->text;
    EXPECT_TRUE(text.contains(R"(<wsdl:part name="wsUnitPrice" element="decimal_9_2"/>)"));
    EXPECT_TRUE(text.contains(R"(<wsdl:part name="wsResp" element="integer_8"/>)"));
    auto declared = [&text](const char* element, const char* base, const char* facets) {
        return text.contains(QRegularExpression(QString(R"(<xsd:element name="%1">\s*<xsd:simpleType>\s*)"
                                                        R"(<xsd:restriction base="%2">\s*%3\s*</xsd:restriction>)")
                                                    .arg(element, base, facets)));
    };
    EXPECT_TRUE(declared("decimal_5_0", "xsd:decimal",
                         R"(<xsd:totalDigits value="5"/>\s*<xsd:fractionDigits value="0"/>)"));
    EXPECT_TRUE(declared("decimal_9_2", "xsd:decimal",
                         R"(<xsd:totalDigits value="9"/>\s*<xsd:fractionDigits value="2"/>)"));
    EXPECT_TRUE(declared("integer_8", "xsd:integer", R"(<xsd:totalDigits value="8"/>)"));
    EXPECT_FALSE(text.contains("unknown"));
}

}  // namespace
