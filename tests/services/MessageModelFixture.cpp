#include "tests/services/MessageModelFixture.h"

#include "platform/workbench/CodeModelBuilder.h"

namespace messagefixture {

using platform::workbench::CodeModelBuilder;
using platform::workbench::DeclarationProperties;

namespace {

DeclarationProperties Group() { return {false, "", 0, 0, 0}; }
DeclarationProperties Char(int length) { return {true, "1", length, 0, 0}; }

}  // namespace

Ids WriteOrdProgModel(const std::filesystem::path& modelDatabase, const std::string& programKey) {
    CodeModelBuilder b(modelDatabase, programKey, "V");
    Ids ids;
    auto decl = [&](const char* name, const std::string& parent, const DeclarationProperties& p) {
        std::string id = b.AddConstruct("DECL", name, parent);
        b.SetDeclaration(id, p);
        return id;
    };

    ids.sysArea = decl("SYS-AREA", "", Char(8));

    ids.custRec = decl("CUST-REC", "", Group());
    ids.custNo = decl("CUST-NO", ids.custRec, Char(10));
    decl("FILLER", ids.custRec, Char(2));
    ids.custName = decl("CUST-NAME", ids.custRec, Group());
    ids.firstName = decl("FIRST-NAME", ids.custName, Char(15));
    decl("LAST-NAME", ids.custName, Char(20));
    decl("FILLER", ids.custRec, Char(3));
    decl("BALANCE", ids.custRec, {true, "3", 5, 9, 2});       // PIC S9(7)V99 COMP-3
    decl("ORDER-COUNT", ids.custRec, {true, "5", 2, 4, 0});   // PIC S9(4) COMP
    ids.statusCode = decl("STATUS-CODE", ids.custRec, Char(1));
    ids.statusActive = b.AddConstruct("COND", "STATUS-ACTIVE", ids.statusCode);   // 88 STATUS-ACTIVE VALUE 'A'
    b.SetValue(ids.statusActive, "Value", "'A'");
    ids.seqNo = decl("SEQ-NO", ids.custRec, {true, "4", 4, 9, 0});   // PIC S9(9) COMP

    ids.respArea = decl("RESP-AREA", "", Group());
    ids.respCode = decl("RESP-CODE", ids.respArea, {true, "5", 2, 4, 0});
    decl("RESP-MSG", ids.respArea, Char(40));
    decl("RESP-AMOUNT", ids.respArea, {true, "8", 8, 15, 2});
    ids.port = b.AddConstruct("PORT", "CUSTFILE");

    const int64_t sys = b.AddDataList("VNL_0SYS", "System");
    b.AddListElement(sys, ids.sysArea);
    const int64_t ws = b.AddDataList("WS", "Working-Storage");
    b.AddListElement(ws, ids.custRec);
    const int64_t link = b.AddDataList("LINKAGE", "Linkage");
    b.AddListElement(link, ids.respArea);
    b.AddListElement(link, ids.port);
    b.Finish();
    return ids;
}

const char* const kOrdProgDocument =
    "<definitions>"
    "<message name=\"ORDPROG.In\">"
    "<part name=\"custNo\" element=\"char 10\"/>"
    "<part name=\"filler\" element=\"char 2\"/>"
    "<part name=\"firstName\" element=\"char 15\"/>"
    "<part name=\"lastName\" element=\"char 20\"/>"
    "<part name=\"filler\" element=\"char 3\"/>"
    "<part name=\"balance\" element=\"decimal 9(2)\"/>"
    "<part name=\"orderCount\" element=\"integer 4\"/>"
    "<part name=\"statusCode\" element=\"char 1\"/>"
    "<part name=\"seqNo\" element=\"unknown 4\"/>"
    "</message>"
    "<message name=\"ORDPROG.Out\">"
    "<part name=\"respCode\" element=\"integer 4\"/>"
    "<part name=\"respMsg\" element=\"char 40\"/>"
    "<part name=\"respAmount\" element=\"decimal 15(2)\"/>"
    "</message>"
    "</definitions>";

}  // namespace messagefixture
