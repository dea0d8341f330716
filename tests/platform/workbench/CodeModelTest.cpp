#include <gtest/gtest.h>

#include "platform/workbench/CodeModel.h"
#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "tests/support/TestSupport.h"

using namespace platform::workbench;

namespace {

// PROGRAM ORD -Sid-> COBOL source entity carrying Vornic "Models/ORD.CTB";
// its model has a COMMAREA group with two items, a screen port whose input
// field has an instance with a condition, and two data lists.
struct ModelFixture {
    testsupport::TempDir dir;
    WorkbenchSession session;
    ModelLoader loader;
    std::string programKey, sourceKey;
    std::string area, custNo, amount, filler, flag88, port, use, inField, instance, cond, usingPort, var;

    ModelFixture() {
        auto b = RepositoryBuilder::CreateWorkspace(dir / "Shop.hxp", "Shop");
        int64_t source = b->AddEntity("COBOL", "ORD.cbl", {{"Source", "cobol/ORD.cbl"}, {"Vornic", "Models/ORD.CTB"}});
        int64_t program = b->AddEntity("PROGRAM", "ORD", {{"Language", "COBOL"}, {"Sid", b->Key(source)}});
        int64_t noModel = b->AddEntity("COBOL", "NONE.cbl");
        (void)noModel;
        programKey = b->Key(program);
        sourceKey = b->Key(source);
        b->Finish();

        CodeModelBuilder m(dir / "Shop" / "Models" / "ORD.mdb", sourceKey, "ORD");
        area = m.AddConstruct("DECL", "DFHCOMMAREA", "", 15 * 8);
        m.SetDeclaration(area, {false, "", 0, 0, 0});
        custNo = m.AddConstruct("DECL", "CUST-NO", area, 10 * 8);
        m.SetDeclaration(custNo, {true, "1", 10, 0, 0});
        amount = m.AddConstruct("DECL", "ORDER-AMOUNT", area, 4 * 8);
        m.SetDeclaration(amount, {true, "3", 4, 7, 2});
        filler = m.AddConstruct("DECL", "FILLER", area, 1 * 8);
        m.SetDeclaration(filler, {true, "1", 1, 0, 0});
        flag88 = m.AddConstruct("VALUE", "ORDER-OPEN", custNo);
        usingPort = m.AddConstruct("PORT", "COMMAREA");
        m.SetValue(usingPort, "PORTTYPE", "USING");
        var = m.AddConstruct("VAR", "DFHCOMMAREA", usingPort);
        m.Relate(var, "Declaration", area);
        port = m.AddConstruct("PORT", "ORDMAP");
        m.SetValue(port, "PORTTYPE", "SCREEN");
        m.SetValue(port, "DIRECT", "IN");
        use = m.AddConstruct("USE", "RECEIVE MAP", port);
        inField = m.AddConstruct("DECL", "CUSTI", "", 80);
        m.SetDeclaration(inField, {true, "1", 10, 0, 0});
        m.Relate(port, "Use", use);
        m.Relate(use, "Declaration", inField);
        instance = m.AddConstruct("INSTANCE", "CUSTI line 12");
        m.Relate(inField, "Instances", instance);
        cond = m.AddConstruct("COND", "CUSTI = SPACES");
        m.Relate(instance, "Conditions", cond);
        int64_t all = m.AddDataList("VNL_0ALL", "All declarations");
        m.AddListElement(all, area);
        m.AddListElement(all, inField);
        int64_t linkage = m.AddDataList("VNL_LS", "Linkage Section");
        m.AddListElement(linkage, area);
        EXPECT_THROW(m.Relate(var, "Declaration", "ORD:999"), WorkbenchError);
        EXPECT_THROW(m.AddListElement(linkage + 5, area), WorkbenchError);
        m.Finish();

        session.SetBinFolder(dir / "Bin");
        auto [a, key] = FileNameUtility::GetRepositoryValues((dir / "Shop.hxp").string());
        EXPECT_TRUE(session.OpenRepository(a, key));
        loader.SetSession(&session);
    }

    CodeModel Open() {
        EntityStore store = session.GetEntityStore();
        RepositoryEntity sidEntity = store.Item(store.Item(programKey).GetAttribute("Sid"));
        auto [first, second] = loader.LookupSid(sidEntity.GetId());
        return CodeModelFactory().CreateCodeModel(store, first, second);
    }
};

std::vector<std::string> Names(CodeModelObjectList list) {
    std::vector<std::string> out;
    for (; !list.AtEnd(); list.MoveNext()) out.push_back(list.Current().GetName());
    return out;
}

}  // namespace

TEST(CodeModel, ServesDataListsConstructsAndPropertiesForTheMessageEditor) {
    ModelFixture f;
    CodeModel model = f.Open();
    auto lists = model.GetDataLists();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].GetName(), "VNL_0ALL");
    EXPECT_EQ(lists[1].GetCaption(), "Linkage Section");
    auto rows = lists[0].GetElements();
    ASSERT_EQ(rows.RecordCount(), 2u);
    EXPECT_EQ(rows.Text("vnid"), f.area);
    EXPECT_EQ(rows.Text("name"), "DFHCOMMAREA");

    CodeModelConstruct area = model.GetConstruct(f.area);
    EXPECT_EQ(area.GetTypeText(), "DECL");
    EXPECT_EQ(area.GetType().GetName(), "DECL");
    EXPECT_EQ(area.GetProperty("Elementary"), "False");
    EXPECT_EQ(Names(area.GetChildren()), (std::vector<std::string>{"CUST-NO", "ORDER-AMOUNT", "FILLER"}));
    CodeModelConstruct amount = model.GetConstruct(f.amount);
    EXPECT_EQ(amount.GetProperty("SqlType"), "3");
    // The number texts begin with a sign position, so "decimal" + Digits +
    // "(" + Fraction + ")" reads "decimal 7(2)".
    EXPECT_EQ("decimal" + amount.GetProperty("Digits") + "(" + amount.GetProperty("Fraction") + ")", "decimal 7(2)");
    EXPECT_EQ("char" + model.GetConstruct(f.custNo).GetProperty("Length"), "char 10");
    EXPECT_EQ(amount.GetProperty("NoSuchProperty"), "");
    // The 88-level below CUST-NO is a child of another type.
    auto custChildren = model.GetConstruct(f.custNo).GetChildren();
    ASSERT_EQ(custChildren.Count(), 1);
    EXPECT_EQ(custChildren.Current().GetTypeText(), "VALUE");

    EXPECT_THROW(model.GetConstruct("ORD:999"), WorkbenchError);
    EXPECT_FALSE(model.FindConstruct("nothing").has_value());
    model.Close();
    EXPECT_THROW(model.GetConstruct(f.area), WorkbenchError);
    EXPECT_THROW(lists[0].GetElements(), WorkbenchError);
}

TEST(CodeModel, PortsUsesDeclarationsInstancesAndConditions) {
    ModelFixture f;
    CodeModel model = f.Open();
    auto ports = model.GetObjects("", "PORT");
    ASSERT_EQ(ports.Count(), 2);
    const CodeModelConstruct& usingPort = ports.Item(0);
    EXPECT_EQ(usingPort.GetProperty("PORTTYPE"), "USING");
    auto vars = usingPort.GetObjectsOfType("VAR");
    ASSERT_EQ(vars.Count(), 1);
    auto decls = vars.Current().GetRelated("Declaration");
    ASSERT_EQ(decls.Count(), 1);
    EXPECT_EQ(decls.Current().GetId(), f.area);

    const CodeModelConstruct& screen = ports.Item(1);
    EXPECT_EQ(screen.GetAttribute("DIRECT"), "IN");   // attributes and properties are one set
    auto uses = screen.GetRelated("use");
    ASSERT_EQ(uses.Count(), 1);
    auto field = uses.Current().GetRelated("Declaration");
    ASSERT_EQ(field.Count(), 1);
    auto instances = field.Current().GetRelated("Instances");
    ASSERT_EQ(instances.Count(), 1);
    EXPECT_EQ(Names(instances.Current().GetRelated("Conditions")), (std::vector<std::string>{"CUSTI = SPACES"}));
    EXPECT_EQ(model.GetObjects(f.port, "USE").Count(), 1);
    EXPECT_EQ(screen.GetRelated("Conditions").Count(), 0);

    // The model database carries the sizes the COMMAREA analysis reads.
    auto sizes = platform::db::Database::Open(f.dir / "Shop" / "Models" / "ORD.mdb");
    EXPECT_EQ(sizes->Scalar("SELECT size FROM Constructs WHERE VNID = ?", {f.area}).AsInt(), 120);
}

TEST(CodeModel, LoaderNeedsASessionAModelFileAndTheRightOwner) {
    ModelFixture f;
    EXPECT_EQ(ModelDatabasePath("/w", "Models\\A.CTB.ctb"), std::filesystem::path("/w/Models/A.mdb.mdb"));
    EXPECT_THROW(ModelLoader().LookupSid(f.sourceKey), WorkbenchError);
    EntityStore store = f.session.GetEntityStore();
    int64_t number = 0;
    std::string type;
    ASSERT_TRUE(SplitEntityKey(f.sourceKey, type, number));
    EXPECT_THROW(f.loader.LookupSid("COBOL#" + std::to_string(number + 2)), WorkbenchError);   // no Vornic
    auto [file, key] = f.loader.LookupSid(f.sourceKey);
    EXPECT_EQ(key, f.sourceKey);
    EXPECT_THROW(CodeModelFactory().CreateCodeModel(store, file, f.programKey), WorkbenchError);
    EXPECT_THROW(CodeModelFactory().CreateCodeModel(store, (f.dir / "none.mdb").string(), key), WorkbenchError);
}
