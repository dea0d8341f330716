#pragma once
// What File > Open Workspace asks before the load: whether other windows of
// the workspace may be closed, and which file to open. The window shows the
// dialogs; the texts and the decisions live here.

#include <string>
#include <string_view>
#include <vector>

#include "common/Prompt.h"

namespace session {

inline constexpr const char* kOpenWorkspaceTitle = "Open Workspace";
inline constexpr const char* kOpenWorkspaceExtension = "hxp";
inline constexpr const char* kOpenWorkspaceFilter = "Halcyra Workspace (*.hxp)|*.hxp|All Files (*.*)|*.*";

// A filter of "description|patterns" pairs in the form a Qt file dialog
// takes: "Halcyra Workspace (*.hxp);;All Files (*.*)". Several patterns of
// one entry ("*.a;*.b") become blank-separated.
std::string QtFileFilter(std::string_view pipeFilter);

// The Tags of the windows open besides the main window decide: any window
// other than the screen-flow window makes the command ask whether to close
// them all. Returns false when the analyst answers No; the window then
// keeps everything open. On true the window closes all other windows, the
// screen-flow window included.
bool MayCloseOtherWindows(const std::vector<std::string>& otherWindowTags, common::IPrompt& prompt);

}  // namespace session
