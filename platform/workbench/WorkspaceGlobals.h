#pragma once
// The platform objects of the open workspace: its database and its
// workbench session, and whether it is open for viewing only. Only the
// workspace load (session/) opens and releases them; they are declared down
// here so that the window code of every subsystem can read them without
// depending on the load. Core routines take the database and the session as
// parameters and never read these globals.

#include <memory>
#include <string>

#include "common/Prompt.h"
#include "platform/db/Database.h"

namespace platform::workbench { class WorkbenchSession; }

namespace Globals {

extern std::unique_ptr<platform::db::Database> g_Database;
extern std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;

// Why a workspace can be viewed but not changed, and what the analyst can
// do about it; empty for a workspace that can be changed.
struct ViewOnlyReason {
    std::string reason;   // a sentence without its full stop: "The workspace folder /w/Shop is read-only"
    std::string remedy;   // what to do to work in it, a whole sentence
    explicit operator bool() const { return !reason.empty(); }
};
// The open workspace's: set by the load, cleared by the close.
extern ViewOnlyReason g_ViewOnly;

// What a command that would change a workspace open for viewing only says.
std::string ViewOnlyRefusal(const ViewOnlyReason& viewOnly, const std::string& command);
// Every command that changes the workspace asks this before it touches
// anything: while the open workspace is open for viewing only it shows
// ViewOnlyRefusal through prompt and returns true; so it does, saying so,
// once the workspace folder was moved or replaced since the claim
// (g_WorkspaceBoundary's Moved).
bool RefuseWhileViewOnly(common::IPrompt& prompt, const std::string& command);
// What a command says when the workspace's boundary refuses it for why
// (WriteBoundary::Refusal: its folder was moved or replaced).
std::string MovedRefusal(const std::string& why, const std::string& command);

}  // namespace Globals
