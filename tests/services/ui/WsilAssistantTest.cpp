#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/xml/XmlDocument.h"
#include "services/WsdlGenerator.h"
#include "services/WsilAssistant.h"
#include "services/ui/frmWSIL2WSDL.h"
#include "tests/services/ui/ScriptedSaveDialog.h"
#include "tests/support/TestSupport.h"

using platform::xml::Document;
using platform::xml::Node;
using services::WsilAssistant;
using services::ui::frmWSIL2WSDL;

namespace {

// One service with an input and an output message below a named element;
// an id holding '"' (and one holding "&" and "]"); a message outside any
// webservice element.
const char* kWsil = R"(<?xml version="1.0"?>
<inspection>
  <webservice name="OrderService">
    <Orders name="Orders">
      <message name="ORDPROG.In">
        <part name="CUSTNO" WSILPartID="p1" WSILUserValue="True" WSILDefaultValue="" type="char 10"/>
        <part name="QTY" WSILPartID='p"2' WSILUserValue="False" WSILDefaultValue="5" type="integer 4"/>
        <part name="NOTE" WSILPartID="p&amp;3]" WSILUserValue="False" WSILDefaultValue="" type="char 40"/>
      </message>
      <message name="ORDPROG.Out">
        <part name="STATUS" WSILPartID="p4" WSILUserValue="False" WSILDefaultValue="" type="char 2"/>
      </message>
    </Orders>
  </webservice>
  <group name="Loose">
    <message name="LOOSE.In">
      <part name="X" WSILPartID="p5" WSILUserValue="True" WSILDefaultValue="x" type="char 1"/>
    </message>
  </group>
</inspection>)";

std::vector<std::string> Names(const Node& parent) {
    std::vector<std::string> out;
    for (const Node& n : parent.ChildElements()) out.push_back(n.GetAttribute("name"));
    return out;
}

Node MasterInput(const WsilAssistant& a) { return a.Wsdl().DocumentElement().FirstChildElement("Master.Input"); }
Node MasterOutput(const WsilAssistant& a) { return a.Wsdl().DocumentElement().FirstChildElement("Master.Output"); }

struct Assistant {
    Assistant() : form(new frmWSIL2WSDL) {
        auto d = std::make_unique<testsupport::ScriptedSaveDialog>();
        auto p = std::make_unique<testsupport::ScriptedPrompt>();
        dialog = d.get();
        prompt = p.get();
        form->SetSaveDialog(std::move(d));
        form->SetPrompt(std::move(p));
    }
    ~Assistant() { delete form.data(); }
    QTreeWidgetItem* Row(const QString& key) {
        for (int i = 0; i < form->lvVariables->topLevelItemCount(); ++i) {
            auto* row = form->lvVariables->topLevelItem(i);
            if (row->data(0, Qt::UserRole).toString() == key) return row;
        }
        return nullptr;
    }
    QPointer<frmWSIL2WSDL> form;
    testsupport::ScriptedSaveDialog* dialog;
    testsupport::ScriptedPrompt* prompt;
};

}  // namespace

TEST(WsilAssistant, DerivesMasterInputAndOutputWithDottedNames) {
    WsilAssistant a(kWsil);
    Node root = a.Wsdl().DocumentElement();
    ASSERT_EQ(root.Name(), "WSDL");
    auto sections = root.ChildElements();
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].Name(), "Master.Input");
    EXPECT_EQ(sections[1].Name(), "Master.Output");

    // Every input part, whatever its user value; the walk stops at
    // webservice, or at the document element when there is none.
    EXPECT_EQ(Names(MasterInput(a)), (std::vector<std::string>{"Orders.ORDPROG.In.CUSTNO", "Orders.ORDPROG.In.QTY",
                                                               "Orders.ORDPROG.In.NOTE", "Loose.LOOSE.In.X"}));
    EXPECT_EQ(Names(MasterOutput(a)), (std::vector<std::string>{"Orders.ORDPROG.Out.STATUS"}));

    // Copies keep every other attribute.
    Node qty = MasterInput(a).ChildElements()[1];
    EXPECT_EQ(qty.Name(), "part");
    EXPECT_EQ(qty.GetAttribute("WSILPartID"), "p\"2");
    EXPECT_EQ(qty.GetAttribute("WSILDefaultValue"), "5");
    EXPECT_EQ(qty.GetAttribute("type"), "integer 4");
    // The WSIL keeps its own names.
    EXPECT_EQ(services::FindPartById(a.Wsil(), "p\"2").GetAttribute("name"), "QTY");
}

TEST(WsilAssistant, DottedNameEdges) {
    Document doc = Document::Parse(
        R"(<a:webservice xmlns:a="urn:x" name="S"><svc name="Inner"><message name="M.In"><part name="P"/></message></svc></a:webservice>)");
    // webservice is found by its local name, prefix or not.
    EXPECT_EQ(WsilAssistant::DottedName(doc.SelectSingleNode("//part")), "Inner.M.In.");
    Document bare = Document::Parse(R"(<message name="Top.In"><part name="P"/></message>)");
    EXPECT_EQ(WsilAssistant::DottedName(bare.SelectSingleNode("//part")), "Top.In.");
}

TEST(WsilAssistant, ListsOnlyInputPartsWithTheirOwnNames) {
    WsilAssistant a(kWsil);
    auto rows = a.InputRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].partId, "p1");
    EXPECT_EQ(rows[0].name, "CUSTNO");
    EXPECT_EQ(rows[0].userValue, "True");
    EXPECT_EQ(rows[0].type, "char 10");
    EXPECT_EQ(rows[1].partId, "p\"2");
    EXPECT_EQ(rows[1].defaultValue, "5");
    EXPECT_EQ(rows[3].name, "X");
    for (const auto& r : rows) EXPECT_NE(r.partId, "p4");
}

TEST(WsilAssistant, UpdateKeepsBothDocumentsInStep) {
    WsilAssistant a(kWsil);
    // An id holding '"' is found by its attribute, not through a query.
    ASSERT_TRUE(a.Update("p\"2", true, "7"));
    Node wsil = services::FindPartById(a.Wsil(), "p\"2");
    EXPECT_EQ(wsil.GetAttribute("WSILUserValue"), "True");
    EXPECT_EQ(wsil.GetAttribute("WSILDefaultValue"), "7");
    Node copy = services::FindPartById(a.Wsdl(), "p\"2");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.GetAttribute("WSILDefaultValue"), "7");
    EXPECT_EQ(Names(MasterInput(a)).size(), 4u);

    // Unchecked: the copy goes; checked again: a fresh copy at the end.
    ASSERT_TRUE(a.Update("p\"2", false, "8"));
    EXPECT_FALSE(services::FindPartById(a.Wsdl(), "p\"2"));
    EXPECT_EQ(services::FindPartById(a.Wsil(), "p\"2").GetAttribute("WSILUserValue"), "False");
    ASSERT_TRUE(a.Update("p\"2", true, "9"));
    EXPECT_EQ(Names(MasterInput(a)), (std::vector<std::string>{"Orders.ORDPROG.In.CUSTNO", "Orders.ORDPROG.In.NOTE",
                                                               "Loose.LOOSE.In.X", "Orders.ORDPROG.In.QTY"}));
    EXPECT_EQ(MasterInput(a).LastChild().GetAttribute("WSILDefaultValue"), "9");
    EXPECT_EQ(MasterInput(a).LastChild().GetAttribute("WSILUserValue"), "True");

    // An id with XPath-like characters, and an id no part has.
    EXPECT_TRUE(a.Update("p&3]", true, "n"));
    EXPECT_EQ(services::FindPartById(a.Wsdl(), "p&3]").GetAttribute("WSILDefaultValue"), "n");
    std::string before = a.WsdlText() + a.WsilText();
    EXPECT_FALSE(a.Update("p\"2\"] | //part[@name=\"X", true, "bad"));
    EXPECT_FALSE(a.Update("", true, "bad"));
    EXPECT_EQ(a.WsdlText() + a.WsilText(), before);
}

TEST(WsilAssistant, FindsTheAttributeAsWrittenInTheText) {
    WsilAssistant a(kWsil);
    for (const std::string id : {"p1", "p\"2", "p&3]"}) {
        auto at = services::FindPartIdAttribute(a.WsilText(), id);
        ASSERT_TRUE(at) << id;
        // The text found is the attribute that parses back to the id.
        std::string attr = a.WsilText().substr(at->first, at->second);
        Document probe = Document::Parse("<x " + attr + "/>");
        EXPECT_EQ(probe.DocumentElement().GetAttribute("WSILPartID"), id);
    }
    EXPECT_FALSE(services::FindPartIdAttribute(a.WsilText(), "p9"));
}

TEST(WsilAssistant, TextThatDoesNotParseRaises) {
    EXPECT_THROW(WsilAssistant("<inspection><message>"), platform::xml::XmlError);
}

TEST(WsilAssistantWindow, LoadFillsListAndTexts) {
    Assistant w;
    EXPECT_EQ(w.form->windowTitle(), "WSIL-WSDL Assistant");
    ASSERT_TRUE(w.form->Load(kWsil));
    auto* list = w.form->findChild<QTreeWidget*>("lvVariables");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->headerItem()->text(0), "Message Part Name");
    EXPECT_EQ(list->headerItem()->text(3), "Field Type");
    auto* qty = w.Row("p\"2");
    ASSERT_NE(qty, nullptr);
    EXPECT_EQ(qty->text(0), "QTY");
    EXPECT_EQ(qty->text(1), "False");
    EXPECT_EQ(qty->text(2), "5");
    EXPECT_EQ(qty->text(3), "integer 4");
    EXPECT_EQ(w.Row("p4"), nullptr);   // output parts are not listed

    EXPECT_TRUE(w.form->rtbWSIL->toPlainText().contains("ORDPROG.Out"));
    EXPECT_TRUE(w.form->rtbWSDL->toPlainText().contains("Orders.ORDPROG.In.CUSTNO"));
    for (const char* name : {"chkUserInput", "lblValue", "txtValue", "cmdUpdate"})
        EXPECT_FALSE(w.form->findChild<QWidget*>(name)->isEnabled()) << name;
}

TEST(WsilAssistantWindow, ChoosingARowSelectsThePart) {
    Assistant w;
    ASSERT_TRUE(w.form->Load(kWsil));

    w.form->lvVariables_ItemClick(w.Row("p\"2"));   // user value False
    EXPECT_TRUE(w.form->cmdUpdate->isEnabled());
    EXPECT_TRUE(w.form->txtValue->isEnabled());
    EXPECT_FALSE(w.form->chkUserInput->isChecked());
    EXPECT_EQ(w.form->txtValue->text(), "5");
    EXPECT_EQ(w.form->cmdUpdate->property("tag").toString(), "p\"2");
    EXPECT_EQ(w.form->rtbWSIL->textCursor().selectedText(), "WSILPartID=\"p&quot;2\"");
    EXPECT_TRUE(w.form->rtbWSDL->textCursor().selectedText().isEmpty());

    w.form->lvVariables_ItemClick(w.Row("p1"));   // user value True: both texts
    EXPECT_TRUE(w.form->chkUserInput->isChecked());
    EXPECT_EQ(w.form->rtbWSIL->textCursor().selectedText(), "WSILPartID=\"p1\"");
    EXPECT_EQ(w.form->rtbWSDL->textCursor().selectedText(), "WSILPartID=\"p1\"");
}

TEST(WsilAssistantWindow, UpdateWritesRowAndDocumentsThenDisablesEditing) {
    Assistant w;
    ASSERT_TRUE(w.form->Load(kWsil));
    w.form->lvVariables_ItemClick(w.Row("p1"));
    w.form->chkUserInput->setChecked(false);
    w.form->txtValue->setText("C-1");
    w.form->cmdUpdate->click();

    EXPECT_EQ(w.Row("p1")->text(1), "False");
    EXPECT_EQ(w.Row("p1")->text(2), "C-1");
    EXPECT_FALSE(services::FindPartById(w.form->Assistant()->Wsdl(), "p1"));
    EXPECT_TRUE(w.form->rtbWSIL->toPlainText().contains("WSILDefaultValue=\"C-1\""));
    EXPECT_FALSE(w.form->rtbWSDL->toPlainText().contains("Orders.ORDPROG.In.CUSTNO"));
    EXPECT_FALSE(w.form->cmdUpdate->isEnabled());
    EXPECT_FALSE(w.form->chkUserInput->isEnabled());
}

TEST(WsilAssistantWindow, UpdateWithoutAChosenRowChangesNoData) {
    Assistant w;
    ASSERT_TRUE(w.form->Load(kWsil));
    const QString wsil = w.form->rtbWSIL->toPlainText();
    const QString wsdl = w.form->rtbWSDL->toPlainText();
    w.form->cmdUpdate_Click();
    EXPECT_EQ(w.form->rtbWSIL->toPlainText(), wsil);
    EXPECT_EQ(w.form->rtbWSDL->toPlainText(), wsdl);
}

TEST(WsilAssistantWindow, SavesBothDocumentsUnderTheServiceName) {
    testsupport::TempDir dir;
    Assistant w;
    ASSERT_TRUE(w.form->Load(kWsil));
    Globals::g_ServiceName = "Orders";

    w.dialog->Choose(dir / "wsil.xml");
    w.form->mnuSaveWSIL->trigger();
    w.dialog->Choose(dir / "wsdl.xml");
    w.form->mnuSaveWSDL->trigger();
    ASSERT_EQ(w.dialog->shown.size(), 2u);
    EXPECT_EQ(w.dialog->shown[0].title, "Save WSIL");
    EXPECT_EQ(w.dialog->shown[0].filter, "WSIL (*.xml)|*.xml");
    EXPECT_EQ(w.dialog->shown[0].fileName, "Orders-WSIL.xml");
    EXPECT_EQ(w.dialog->shown[1].title, "Save WSDL");
    EXPECT_EQ(w.dialog->shown[1].fileName, "Orders-WSDL.xml");
    EXPECT_EQ(Document::Load(dir / "wsil.xml").SelectNodes("//part").size(), 5u);
    EXPECT_EQ(Document::Load(dir / "wsdl.xml").DocumentElement().Name(), "WSDL");
    Globals::g_ServiceName.clear();
}

TEST(WsilAssistantWindow, UnreadableWsilIsReported) {
    Assistant w;
    EXPECT_FALSE(w.form->Load("<inspection><message name=\"A.In\">"));
    ASSERT_EQ(w.prompt->asked.size(), 1u);
    EXPECT_NE(w.prompt->asked[0].find("line"), std::string::npos);
    EXPECT_EQ(w.form->lvVariables->topLevelItemCount(), 0);
    EXPECT_FALSE(w.form->mnuSaveWSDL->isEnabled());
}
