#pragma once
// Tools > Generate Reports and its toolbar button: the whole HTML report
// set of the open workspace under the main window's progress, ending with
// the offer to open the index page in the desktop's browser.

#include "app/dialogs/HelpOpener.h"

namespace platform::ui {
class IMainWindow;
}

namespace app {

// Runs the report set on the open workspace (nothing without one). Programs
// the COMMAREA and validation analyses had to skip go to the Log pane; a failure is raised
// to the command, which reports it, except an ill-formed page or template,
// which the analyst has been shown already.
void GenerateReports(platform::ui::IMainWindow& w, const dialogs::UrlOpener& opener);

// opener: how the index page reaches the desktop; tests pass their own.
// None: the desktop's opener, whose late failure is told like an early one.
void InstallReportCommands(platform::ui::IMainWindow& w, dialogs::UrlOpener opener = {});

}  // namespace app
