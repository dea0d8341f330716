#pragma once
// The issues window: runs the COMMAREA size or the validation rules
// analysis and shows its page. Every command makes a new window; making it
// rebuilds the report output tree of the open workspace, so the tree then
// holds the images, the empty folders and the one page the window shows.
// The page's header, title and links are shown by the browser, its list of
// rows beside it by a view that lays out only the rows in sight.

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;

namespace common {
class IProgress;
class IPrompt;
}  // namespace common

namespace mdlReports {
struct AnalysisResult;
struct AnalysisRun;
class ReportBuilder;
}  // namespace mdlReports

namespace platform::ui {
class IMainWindow;
}

namespace reports::ui {

class PageBrowser;
class PageRowsView;

class frmIssues : public QWidget {
    Q_OBJECT
public:
    // owner: the window it is shown over. Prepares the output tree when a
    // workspace is open (each failure ignored on its own).
    explicit frmIssues(QWidget* owner);

    // Run the analysis on the open workspace and, when it wrote its page
    // (a result other than "0"), show the page and answer true. False:
    // cancelled (also while the page is read for showing), no workspace, or
    // a page that did not parse (already reported through prompt). The
    // earlier report set is not waited for: it is out of the report root
    // already, and its deletion goes on behind. prompt also takes the
    // window's later messages, so it must outlive the window.
    bool ResolveCOMMAREASize(common::IProgress& progress, common::IPrompt& prompt);
    bool ResolveValidationRules(common::IProgress& progress, common::IPrompt& prompt);
    // The programs the last run had to skip, one line each.
    const std::vector<std::string>& Skipped() const { return m_skipped; }

    PageBrowser* browser = nullptr;
    // The rows of the page's list, while the browser shows that page.
    PageRowsView* tblRows = nullptr;
    // Above the page when no program has a code model: why it lists nothing.
    QLabel* lblNoModel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    using Analysis = std::function<mdlReports::AnalysisResult(const mdlReports::AnalysisRun&)>;
    bool Resolve(common::IProgress& progress, common::IPrompt& prompt, const Analysis& analysis,
                 const std::string& page);
    // Reads the written page on another thread, under a progress level of
    // its own, and shows it; false when the analyst cancelled meanwhile.
    // The analysis' builder is freed on that thread.
    bool ShowPage(common::IProgress& progress, common::IPrompt& prompt, const std::string& page,
                  std::unique_ptr<mdlReports::ReportBuilder> builder);
    // The list beside the browser only while it shows the page, the
    // browser then as tall as the page's header.
    void FitToSource();

    std::vector<std::string> m_skipped;
};

// Adds lines to the main window's Log pane under a heading and shows the pane.
void AppendToLog(platform::ui::IMainWindow& w, const std::string& heading, const std::vector<std::string>& lines);

}  // namespace reports::ui
