#include "WsdlFixtures.h"

#include "services/ServiceTables.h"

namespace wsdlfixtures {

using platform::db::Database;

void EnsureTables(Database& db) {
    Globals::CreateUseCaseTables(db, false);
    Globals::CreateWebServiceTables(db, false);
}

int64_t AddProgram(Database& db, const std::string& id, const std::string& name) {
    db.Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES (?, 'PROGRAM', ?, ?)", {id, name, name});
    return db.LastInsertId();
}

int64_t AddEntityOperation(Database& db, int64_t serialId, const std::string& name) {
    db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES (?, ?, 1)", {name, serialId});
    return db.LastInsertId();
}

int64_t AddProcessOperation(Database& db, int64_t procId, const std::string& name) {
    db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES (?, ?, 2)", {name, procId});
    return db.LastInsertId();
}

int64_t AddService(Database& db, const std::string& name) {
    db.Execute("INSERT INTO wsWebServices (Name) VALUES (?)", {name});
    return db.LastInsertId();
}

void Link(Database& db, int64_t wsid, int64_t ucid) {
    db.Execute("INSERT INTO wsWS_UC (WSID, UCID) VALUES (?, ?)", {wsid, ucid});
}

void StoreMessages(Database& db, int64_t elementSid, int nature, const std::string& xmlText) {
    db.Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (?, ?, ?)", {elementSid, xmlText, nature});
}

int64_t BuildOrderService(Database& db) {
    EnsureTables(db);
    const int64_t ord = AddProgram(db, "PROGRAM#1", "ORDPROG");
    const int64_t ship = AddProgram(db, "PROGRAM#2", "SHIPPROG");
    const int64_t nodoc = AddProgram(db, "PROGRAM#3", "NODOC");
    StoreMessages(db, ord, 2,
                  "<definitions><message name=\"ORDPROG.In\"><part name=\"custNo\" element=\"char 10\"/>"
                  "<part name=\"orderDate\" element=\"char 8\"/></message>"
                  "<message name=\"ORDPROG.Out\"><part name=\"custNo\" element=\"char 10\"/>"
                  "<part name=\"amount\" element=\"decimal 9(2)\"/><part name=\"qty\" element=\"integer 4\"/>"
                  "</message></definitions>");
    StoreMessages(db, ship, 2,
                  "<definitions><message name=\"SHIPPROG.Out\"><part name=\"shipDate\" element=\"char 8\"/>"
                  "<part name=\"custNo\" element=\"char 10\"/></message></definitions>");
    // A process element's document of the same entity is not an operation's.
    StoreMessages(db, nodoc, 1,
                  "<definitions><message name=\"NODOC.In\"><part name=\"x\" element=\"char 1\"/></message>"
                  "</definitions>");

    const int64_t wsid = AddService(db, "OrderService");
    Link(db, wsid, AddEntityOperation(db, ord, "Order entry"));
    Link(db, wsid, AddProcessOperation(db, ship, "Checkout"));
    Link(db, wsid, AddEntityOperation(db, ship, "Shipping"));
    Link(db, wsid, AddEntityOperation(db, nodoc, "No messages"));
    return wsid;
}

int64_t BuildHostileService(Database& db) {
    EnsureTables(db);
    const int64_t ord = AddProgram(db, "PROGRAM#11", "ORD#PROG");
    const int64_t first = AddProgram(db, "PROGRAM#12", "1STPROG");
    const int64_t pay = AddProgram(db, "PROGRAM#13", "PAY@PROG$");
    StoreMessages(db, ord, 2,
                  "<definitions><message name=\"ORD#PROG.In\"><part name=\"custNo\" element=\"char 10\"/></message>"
                  "<message name=\"ORD#PROG.Out\"><part name=\"filler\" element=\"char 5\"/>"
                  "<part name=\"filler\" element=\"char 5\"/><part name=\"total\" element=\"decimal 7()\"/>"
                  "</message></definitions>");
    StoreMessages(db, first, 2,
                  "<definitions><message name=\"1STPROG.Out\"><part name=\"1stField\" element=\"integer 3\"/>"
                  "</message></definitions>");
    StoreMessages(db, pay, 2,
                  "<definitions><message name=\"PAY@PROG$.In\"><part name=\"amount\" element=\"decimal 9(2)\"/>"
                  "<part name=\"code\" element=\"unknown 4\"/></message></definitions>");

    const int64_t wsid = AddService(db, "Order Entry");
    Link(db, wsid, AddEntityOperation(db, ord, "Orders"));
    Link(db, wsid, AddEntityOperation(db, 9999, "Gone"));   // its Ents row is missing
    Link(db, wsid, AddEntityOperation(db, first, "First"));
    Link(db, wsid, AddEntityOperation(db, pay, "Pay"));
    return wsid;
}

int64_t BuildUnicodeNamesService(Database& db) {
    EnsureTables(db);
    const int64_t ord = AddProgram(db, "PROGRAM#21", "ORD\xF0\x9F\x98\x80PROG");   // U+1F600
    const int64_t tie = AddProgram(db, "PROGRAM#22", "\xE2\x80\xBFTIE");          // U+203F
    StoreMessages(db, ord, 2,
                  "<definitions><message name=\"ORD\xF0\x9F\x98\x80PROG.In\">"
                  "<part name=\"cust\xEF\xBB\xBFNo\" element=\"char 10\"/>"   // U+FEFF
                  "<part name=\"note\"/></message>"
                  "<message name=\"ORD\xF0\x9F\x98\x80PROG.Out\">"
                  "<part name=\"amount\xEF\xBF\xBD\" element=\"decimal 9(2)\"/>"   // U+FFFD
                  "<part name=\"\xF0\x90\x80\x80total\" element=\"char 5\xF0\x9F\x98\x80\"/>"   // U+10000
                  "</message></definitions>");
    StoreMessages(db, tie, 2,
                  "<definitions><message name=\"\xE2\x80\xBFTIE.Out\"><part name=\"flag\"/></message>"
                  "</definitions>");

    const int64_t wsid = AddService(db, "Unicode Names");
    Link(db, wsid, AddEntityOperation(db, ord, "Orders"));
    Link(db, wsid, AddEntityOperation(db, tie, "Tie"));
    return wsid;
}

}  // namespace wsdlfixtures
