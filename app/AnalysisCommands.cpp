#include "app/AnalysisCommands.h"

#include "app/CommandsTools.h"
#include "app/NodeMenuCommands.h"
#include "platform/ui/MainWindow.h"
#include "reports/ui/frmIssues.h"
#include "reports/ui/frmValid.h"
#include "services/NodeMenu.h"

namespace app {

void InstallAnalysisCommands(platform::ui::IMainWindow& w) {
    using reports::ui::frmIssues;
    ToolServices services;
    services.newIssuesWindow = [](QWidget* owner) -> QWidget* { return new frmIssues(owner); };
    // A program whose model could not be used is written to the Log pane,
    // whether or not the run then shows its page.
    services.resolveCOMMAREASize = [](QWidget* issues, platform::ui::IMainWindow& main) {
        auto* window = static_cast<frmIssues*>(issues);
        const bool shown = window->ResolveCOMMAREASize(main, main);
        reports::ui::AppendToLog(main, window->windowTitle().toStdString(), window->Skipped());
        return shown;
    };
    services.resolveValidationRules = [](QWidget* issues, platform::ui::IMainWindow& main) {
        auto* window = static_cast<frmIssues*>(issues);
        const bool shown = window->ResolveValidationRules(main, main);
        reports::ui::AppendToLog(main, window->windowTitle().toStdString(), window->Skipped());
        return shown;
    };
    InstallToolCommands(w, services);

    // The item reads the Tag the Summary tree leaves on "&Description".
    platform::ui::IMainWindow* main = &w;
    SetNodeCommand(w, services::NodeMenuItem::SFV, [main] {
        const auto fields = services::SplitTag(NodeMenuTag(*main, services::NodeMenuItem::Description));
        if (!fields) return;
        Globals::ShowValidationTree(fields->second, fields->first, main->Window());
    });
}

}  // namespace app
