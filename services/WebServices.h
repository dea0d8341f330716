#pragma once
// Web services (rows of wsWebServices) and their members (wsWS_UC), and the
// Web Services tree: one root node per service, keyed "Key" & WSID and
// tagged with the WSID, expanded, with one child per member operation keyed
// and tagged WSID & "n" & UCID. Every change is written first, then the
// tree is rebuilt whole.
//
// Identifiers arrive as the texts the trees and menu Tags carry; a text that
// names no number names no row, so the routine changes nothing.

#include <string>
#include <string_view>

#include "common/Tree.h"
#include "platform/db/Database.h"

namespace services {

inline constexpr const char* kServiceImage = "AWebService";

}  // namespace services

namespace Globals {

// Creates the service and returns its WSID as text; returns the empty text
// and writes nothing when a service of that name (case ignored) exists. The
// name is converted with TextUtility::ConvertText first.
std::string AddWebService(std::string_view name, platform::db::Database& db);

// Makes the operation a member of the service unless it is one already.
// ucKey is an operations tree key ("Key" & UCID), optionally preceded by
// "p"; the bare UCID works too.
void AddUseCaseToWebService(std::string_view wsid, std::string_view ucKey, platform::db::Database& db);

// Rebuilds the whole tree, services and members in table order.
void LoadWebServicesTree(common::Tree& tree, platform::db::Database& db);

// Removes one membership; a leading "p" of ucid is dropped.
void RemoveUseCaseFromWebService(std::string_view wsid, std::string_view ucid, platform::db::Database& db);
// Deletes the service and all its memberships; its operations stay.
void DeleteWebService(std::string_view wsid, platform::db::Database& db);
void DeleteWebServiceLinks(std::string_view wsid, platform::db::Database& db);
// Deletes every membership of an operation; a leading "p" is dropped.
void DeleteUseCaseLinks(std::string_view ucid, platform::db::Database& db);

}  // namespace Globals
