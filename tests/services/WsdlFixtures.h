#pragma once
// Workspace rows for WSDL tests: programs in Ents, web operations, web
// services, their links and stored message documents, written the way the
// tool writes them. Shared by the WSDL tests and the consumer-test fixtures.

#include <cstdint>
#include <string>

#include "platform/db/Database.h"

namespace wsdlfixtures {

// Makes sure the tool's own tables exist (Ents comes from the template).
void EnsureTables(platform::db::Database& db);

int64_t AddProgram(platform::db::Database& db, const std::string& id, const std::string& name);
int64_t AddEntityOperation(platform::db::Database& db, int64_t serialId, const std::string& name);
int64_t AddProcessOperation(platform::db::Database& db, int64_t procId, const std::string& name);
int64_t AddService(platform::db::Database& db, const std::string& name);
void Link(platform::db::Database& db, int64_t wsid, int64_t ucid);
void StoreMessages(platform::db::Database& db, int64_t elementSid, int nature, const std::string& xmlText);

// "OrderService": ORDPROG with input and output, SHIPPROG with an output
// only, NODOC without a stored document (it has a process element's
// document only), and a process operation whose number is SHIPPROG's
// SerialID. Returns the WSID.
int64_t BuildOrderService(platform::db::Database& db);

// "Order Entry": program names "ORD#PROG" (two FILLERs, an empty fraction),
// "1STPROG" (a leading digit) and "PAY@PROG$", plus a link whose entity row
// is missing. Returns the WSID.
int64_t BuildHostileService(platform::db::Database& db);

// "Unicode Names": program, part and type names with characters that the
// newer XML rules allow in names but schema readers refuse (U+FEFF, U+FFFD,
// U+203F, characters beyond U+FFFF, emoji), and parts without a type text.
// Returns the WSID.
int64_t BuildUnicodeNamesService(platform::db::Database& db);

}  // namespace wsdlfixtures
