#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

#include "platform/db/Database.h"
#include "platform/xml/XmlDocument.h"
#include "services/WsdlGenerator.h"
#include "services/ServiceTables.h"
#include "services/WsdlTree.h"
#include "services/ui/frmWSDL.h"
#include "tests/services/ui/ScriptedSaveDialog.h"
#include "tests/support/TestSupport.h"

using platform::xml::Document;
using services::ui::frmWSDL;

namespace {

// Shaped like a generated WSDL document: no declaration, namespaces declared
// on the root and on the schema, empty elements, one attribute holding '>'.
const char* kSampleWsdl =
    R"(<wsdl:definitions xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/" targetNamespace="">)"
    R"(<wsdl:service name="Orders" serviceType="OrdersType"/>)"
    R"(<wsdl:serviceType name="OrdersType"><wsdl:portType name="OrdersPortType"/></wsdl:serviceType>)"
    R"(<wsdl:portType name="OrdersPortType"><wsdl:operation name="ORDPROG">)"
    R"(<wsdl:input message="ORDPROG.In"/><wsdl:output message="ORDPROG.Out"/></wsdl:operation></wsdl:portType>)"
    R"(<wsdl:types><xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema" targetNamespace="">)"
    R"(<xsd:element name="char 10"><xsd:simpleType><xsd:restriction base="string">)"
    R"(<xsd:maxLength value="10"/></xsd:restriction></xsd:simpleType></xsd:element></xsd:schema></wsdl:types>)"
    R"(<wsdl:message name="ORDPROG.In"><wsdl:part name="CUSTNO" element="char 10"/></wsdl:message>)"
    R"(<wsdl:message name="ORDPROG.Out"><wsdl:part name="NOTE" element="a &gt; b /&gt; c"/></wsdl:message>)"
    R"(</wsdl:definitions>)";

QString Label(QTreeWidgetItem* item) { return item->text(0); }

// A window created on the heap (it deletes itself on close), with scripted seams.
struct Viewer {
    Viewer() : form(new frmWSDL) {
        auto d = std::make_unique<testsupport::ScriptedSaveDialog>();
        auto p = std::make_unique<testsupport::ScriptedPrompt>();
        dialog = d.get();
        prompt = p.get();
        form->SetSaveDialog(std::move(d));
        form->SetPrompt(std::move(p));
    }
    ~Viewer() { delete form.data(); }
    QPointer<frmWSDL> form;
    testsupport::ScriptedSaveDialog* dialog;
    testsupport::ScriptedPrompt* prompt;
};

}  // namespace

TEST(WsdlTree, TagTextIsBuiltFromNameAndAttributes) {
    Document doc = Document::Parse(kSampleWsdl);
    using services::GetNodeTagText;
    EXPECT_EQ(GetNodeTagText(doc.DocumentElement()),
              R"(<wsdl:definitions xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/" targetNamespace="">)");
    // An empty element shows its start tag.
    EXPECT_EQ(GetNodeTagText(doc.DocumentElement().FirstChild()),
              R"(<wsdl:service name="Orders" serviceType="OrdersType">)");
    // '>' and "/>" inside a value neither cut the tag nor get rewritten.
    auto note = doc.DocumentElement().LastChild().FirstChild();
    EXPECT_EQ(GetNodeTagText(note), R"(<wsdl:part name="NOTE" element="a &gt; b /&gt; c">)");
    EXPECT_EQ(GetNodeTagText(doc.SelectSingleNode("//*[local-name()='schema']")),
              R"(<xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema" targetNamespace="">)");

    Document mixed = Document::Parse(R"(<a q='say "hi" &amp; go'>text<!-- note --><?pi data?></a>)");
    auto a = mixed.DocumentElement();
    EXPECT_EQ(GetNodeTagText(a), R"(<a q="say &quot;hi&quot; &amp; go">)");
    auto kids = a.Children();
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_EQ(GetNodeTagText(kids[0]), "");
    EXPECT_EQ(GetNodeTagText(kids[1]), "<!-- note -->");
    EXPECT_EQ(GetNodeTagText(kids[2]), "<?pi data?>");
    // The label writes a value as the saved text does.
    EXPECT_NE(mixed.ToString().find(GetNodeTagText(a).substr(0, GetNodeTagText(a).size() - 1)), std::string::npos);
}

TEST(WsdlViewer, ShowsTheSampleWsdlAsATreeOfStartTags) {
    Viewer v;
    EXPECT_EQ(v.form->windowTitle(), "WSDL - Assistant");
    auto* tree = v.form->findChild<QTreeWidget*>("tvWSDL");
    ASSERT_NE(tree, nullptr);
    v.form->ShowXML(Document::Parse(kSampleWsdl));

    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(Label(root), R"(<wsdl:definitions xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/" targetNamespace="">)");
    EXPECT_TRUE(root->isExpanded());
    QStringList children;
    for (int i = 0; i < root->childCount(); ++i) {
        children << Label(root->child(i)).section(QRegularExpression("[ >]"), 0, 0);
        EXPECT_FALSE(root->child(i)->isExpanded());
    }
    EXPECT_EQ(children, (QStringList{"<wsdl:service", "<wsdl:serviceType", "<wsdl:portType", "<wsdl:types",
                                      "<wsdl:message", "<wsdl:message"}));
    QTreeWidgetItem* operation = root->child(2)->child(0);
    EXPECT_EQ(Label(operation), R"(<wsdl:operation name="ORDPROG">)");
    EXPECT_EQ(Label(operation->child(0)), R"(<wsdl:input message="ORDPROG.In">)");
    EXPECT_EQ(Label(root->child(3)->child(0)->child(0)->child(0)->child(0)->child(0)),
              R"(<xsd:maxLength value="10">)");
}

TEST(WsdlViewer, SecondShowReplacesTreeAndKeptDocument) {
    Viewer v;
    v.form->ShowXML(Document::Parse(kSampleWsdl));
    v.form->ShowXML(Document::Parse("<other><x/>tail</other>"));
    auto* tree = v.form->tvWSDL;
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(Label(tree->topLevelItem(0)), "<other>");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(Label(tree->topLevelItem(0)->child(1)), "");   // the text node
    ASSERT_NE(v.form->KeptDocument(), nullptr);
    EXPECT_EQ(v.form->KeptDocument()->DocumentElement().Name(), "other");
}

TEST(WsdlViewer, LeadingDeclarationOrCommentStillShowsTheDocument) {
    Viewer v;
    v.form->ShowXML(Document::Parse("<?xml version=\"1.0\"?><!-- made by hand --><?style x?><root a=\"1\"><b/></root>"));
    ASSERT_EQ(v.form->tvWSDL->topLevelItemCount(), 1);
    EXPECT_EQ(Label(v.form->tvWSDL->topLevelItem(0)), "<root a=\"1\">");
    EXPECT_EQ(v.form->tvWSDL->topLevelItem(0)->childCount(), 1);
}

TEST(WsdlViewer, TextThatDoesNotParseIsReportedAndChangesNothing) {
    Viewer v;
    v.form->ShowXML(Document::Parse("<keep/>"));
    EXPECT_FALSE(v.form->ShowXMLText("<open><unclosed></open>"));
    ASSERT_EQ(v.prompt->asked.size(), 1u);
    EXPECT_NE(v.prompt->asked[0].find("line"), std::string::npos);
    EXPECT_EQ(Label(v.form->tvWSDL->topLevelItem(0)), "<keep>");
}

TEST(WsdlViewer, SaveWritesTheKeptDocumentUnderTheServiceName) {
    testsupport::TempDir dir;
    Viewer v;
    EXPECT_FALSE(v.form->mnuSaveWSDL->isEnabled());   // nothing shown yet
    ASSERT_TRUE(v.form->ShowXMLText(kSampleWsdl));
    EXPECT_TRUE(v.form->mnuSaveWSDL->isEnabled());

    Globals::g_ServiceName = "Orders";
    v.dialog->Choose(dir / "out.xml");
    v.form->mnuSaveWSDL->trigger();
    ASSERT_EQ(v.dialog->shown.size(), 1u);
    EXPECT_EQ(v.dialog->shown[0].fileName, "Orders-WSDL.xml");
    EXPECT_EQ(v.dialog->shown[0].title, "Save WSDL");
    EXPECT_EQ(v.dialog->shown[0].filter, "WSDL (*.xml)|*.xml");
    EXPECT_TRUE(v.dialog->shown[0].fallbackFileName.empty());
    Document saved = Document::Load(dir / "out.xml");
    EXPECT_EQ(saved.DocumentElement().Xml(), Document::Parse(kSampleWsdl).DocumentElement().Xml());

    // A failing write is reported, not ignored.
    v.dialog->Choose(dir / "no such folder" / "out.xml");
    EXPECT_FALSE(v.form->mnuSaveWSDL_Click());
    ASSERT_EQ(v.prompt->asked.size(), 1u);
    EXPECT_NE(v.prompt->asked[0].find("no such folder"), std::string::npos);
    Globals::g_ServiceName.clear();
}

TEST(WsdlViewer, ExitClosesTheWindow) {
    Viewer v;
    v.form->show();
    v.form->mnuFileExit->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(v.form.isNull());
}

// What the generation writes for a stored web service, shown in the viewer:
// the root with its namespace declarations expanded, its sections collapsed
// below it in the order the generator writes them.
TEST(WsdlViewer, ShowsAGeneratedWebServiceDocument) {
    auto db = platform::db::Database::InMemory();
    {
        std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
        std::stringstream sql;
        sql << in.rdbuf();
        db->ExecuteScript(sql.str());
    }
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES ('PROGRAM#1', 'PROGRAM', 'ORDPROG', 'ORDPROG')");
    const int64_t program = db->LastInsertId();
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (?, ?, 2)",
                {program,
                 "<definitions><message name=\"ORDPROG.In\"><part name=\"custNo\" element=\"char 10\"/></message>"
                 "<message name=\"ORDPROG.Out\"><part name=\"qty\" element=\"integer 4\"/></message></definitions>"});
    db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Order entry', ?, 1)", {program});
    const int64_t operation = db->LastInsertId();
    db->Execute("INSERT INTO wsWebServices (Name) VALUES ('Orders')");
    const int64_t service = db->LastInsertId();
    db->Execute("INSERT INTO wsWS_UC (WSID, UCID) VALUES (?, ?)", {service, operation});

    testsupport::ScriptedPrompt generationPrompt;
    auto generated = services::GenerateWebServiceWSDL(*db, service, generationPrompt);
    ASSERT_TRUE(generated);
    Viewer v;
    ASSERT_TRUE(v.form->ShowXMLText(generated->text));

    ASSERT_EQ(v.form->tvWSDL->topLevelItemCount(), 1);
    QTreeWidgetItem* root = v.form->tvWSDL->topLevelItem(0);
    EXPECT_TRUE(Label(root).startsWith("<wsdl:definitions")) << Label(root).toStdString();
    EXPECT_TRUE(Label(root).contains("xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\""));
    EXPECT_TRUE(Label(root).contains("targetNamespace="));
    EXPECT_TRUE(Label(root).endsWith(">"));
    EXPECT_FALSE(Label(root).endsWith("/>"));
    EXPECT_TRUE(root->isExpanded());
    QStringList sections;
    for (int i = 0; i < root->childCount(); ++i) {
        if (Label(root->child(i)).isEmpty()) continue;   // white space between elements
        sections << Label(root->child(i)).section(QRegularExpression("[ >]"), 0, 0);
        EXPECT_FALSE(root->child(i)->isExpanded());
    }
    EXPECT_EQ(sections, (QStringList{"<wsdl:service", "<wsdl:serviceType", "<wsdl:portType", "<wsdl:types",
                                     "<wsdl:message", "<wsdl:message"}));
    // The kept document is the one shown; saving writes it.
    EXPECT_EQ(v.form->KeptDocument()->DocumentElement().Name(), "wsdl:definitions");
    Globals::g_ServiceName.clear();
}
