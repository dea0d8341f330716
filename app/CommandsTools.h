#pragma once
// The Tools commands of the main window: Screen Interaction Plot, CRUD
// Overlap, COMMAREA Size, Validation Rules, Generate Reports and Enter
// Client Information. The plot, the analyses and the report run belong to
// their own subsystems, which hand their entry points over in ToolServices;
// a command whose service is not connected stays unavailable, menu item and
// toolbar button alike. This side keeps what every such command shares: the
// busy bracket, the messages, the single CRUD comparison window, the
// availability rules, and the refusal of every command that writes while
// the workspace is open for viewing only (Globals::RefuseWhileViewOnly).

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace platform::ui {
class IMainWindow;
}

namespace app {

// How a CRUD overlap computation ended.
enum class CrudOutcome {
    Found,            // the comparison file was written
    NoSimilarPairs,   // the run finished without a similar pair
    Cancelled,        // the user cancelled before it finished
};
// From what the computation knows at its end: whether it wrote the
// comparison file and whether the user cancelled. A cancelled run never
// counts as a result, written file or not.
CrudOutcome CrudOutcomeOf(bool fileWritten, bool cancelled);

// What the CRUD Overlap command does after the computation. Only a run that
// finished without a similar pair says there are no CRUD issues; a
// cancelled run shows nothing, since nothing was found out.
enum class CrudReaction { ShowComparison, ReportNoIssues, Nothing };
CrudReaction CrudReactionTo(CrudOutcome outcome);

inline constexpr char kNoCrudIssues[] = "No CRUD issues found.";
inline constexpr char kCrudIssuesTitle[] = "CRUD Issues";
// The Tag property of the CRUD comparison window.
inline constexpr char kCrudComparisonTag[] = "CRUDComp";
inline constexpr char kCommareaCaption[] = "COMMAREA Size";
inline constexpr char kValidationCaption[] = "Validation Rules";
inline constexpr char kCrudCaption[] = "CRUD Overlap";
inline constexpr char kGenerateReportsCaption[] = "Generate Reports";
inline constexpr char kClientInformationCaption[] = "Enter Client Information";

// The entry points of the other subsystems. Progress, cancel and questions
// of the long ones go through the main window they are given.
struct ToolServices {
    // Opens the screen interaction plot, or raises its open window.
    std::function<void()> showScreenFlow;
    // Recomputes the CRUD overlap tables and the comparison file (inside the
    // command's busy bracket).
    std::function<CrudOutcome(platform::ui::IMainWindow&)> getCRUDReport;
    // The CRUD comparison window, owned by owner, created if needed and not
    // shown yet; it reads the comparison file (inside the busy bracket).
    // nullptr when it cannot, or when the analyst cancelled the reading.
    std::function<QWidget*(QWidget* owner)> crudComparisonWindow;
    // A new analysis page window, owned by owner and not shown yet.
    std::function<QWidget*(QWidget* owner)> newIssuesWindow;
    // Runs the analysis into that window (inside the busy bracket); true when
    // the window now shows its page.
    std::function<bool(QWidget* issues, platform::ui::IMainWindow&)> resolveCOMMAREASize;
    std::function<bool(QWidget* issues, platform::ui::IMainWindow&)> resolveValidationRules;
    // The whole HTML report run, ending with the offer to open the report.
    std::function<void(platform::ui::IMainWindow&)> generateReports;
};

// Connects the Tools commands. Services given here join those given
// before (an empty member keeps the earlier one), so each subsystem connects
// its own; a command is available once a workspace is open and its whole
// service is there. Enter Client Information needs no service.
void InstallToolCommands(platform::ui::IMainWindow& w, const ToolServices& services = {});

// The open window whose Tag property equals tag (letter case ignored),
// hidden or not; nullptr when there is none.
QWidget* FindTaggedWindow(const QString& tag);

}  // namespace app
