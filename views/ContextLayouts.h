#pragma once
// Diagram layouts of the flow-context windows of the open workspace, kept in
// memory by window key. The workspace load makes a fresh, empty collection
// every time and the close drops it, so a layout never leaks from one
// workspace into another.

#include <memory>
#include <string>

#include "common/Collection.h"

namespace Globals {

// Null between workspaces.
extern std::unique_ptr<common::Collection<std::string>> g_ContextLayouts;

}  // namespace Globals
