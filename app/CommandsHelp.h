#pragma once
// Help > Quarvel Analyzer Help: the HTML help document of the application
// folder in the desktop's viewer; a message when it is missing or nothing
// can open it. (Help > About is connected with the main window itself.)

#include "app/dialogs/HelpOpener.h"

namespace platform::ui {
class IMainWindow;
}

namespace app {

// opener: how the document reaches the desktop; tests pass their own.
void InstallHelpCommands(platform::ui::IMainWindow& w, dialogs::UrlOpener opener = dialogs::DesktopUrlOpener());

}  // namespace app
