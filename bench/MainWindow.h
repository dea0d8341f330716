#pragma once
// The main window of a benchmark as the analyst meets it, so that every
// benchmark times the same window: every command installed, its questions
// going to the benchmark's prompt, File > Open Workspace opening the given
// workspace without its dialog, shown at one size.

#include <filesystem>
#include <optional>

#include "app/InstallCommands.h"
#include "app/WorkspaceCommands.h"
#include "app/frmMain.h"
#include "common/Prompt.h"

namespace bench {

// The caller undoes the chooser (app::SetWorkspaceFileChooser({})) once it
// has closed the workspace.
inline void ShowMainWindow(frmMain& window, common::IPrompt& prompt, const std::filesystem::path& workspace) {
    app::InstallCommands(window);
    window.SetPrompt(&prompt);
    app::SetWorkspaceFileChooser([workspace](QWidget*) { return std::optional<std::filesystem::path>(workspace); });
    window.resize(1000, 700);
    window.show();
}

}  // namespace bench
