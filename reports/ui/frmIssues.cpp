#include "reports/ui/frmIssues.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "common/Globals.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtText.h"
#include "platform/ui/RichTextTables.h"
#include "platform/ui/TSplitter.h"
#include "platform/ui/UIUtility.h"
#include "platform/ui/WindowSettings.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/CommareaAnalysis.h"
#include "reports/OutputTree.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportError.h"
#include "reports/ReportPaths.h"
#include "reports/ValidationAnalysis.h"

namespace reports::ui {

using platform::ui::Q;

frmIssues::frmIssues(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("frmIssues");
    setWindowTitle("Issues");
    resize(720, 520);
    UIUtility::PrepareForm(this);
    browser = new QTextBrowser(this);
    browser->setObjectName("browser");
    browser->setOpenLinks(true);
    // The pages' header is light text on a dark table.
    connect(browser, &QTextBrowser::sourceChanged, this,
            [this] { platform::ui::PaintTableBackgrounds(*browser->document()); });
    lblNoModel = new QLabel("No program of this workspace has a code model, so the analysis has nothing to list.",
                            this);
    lblNoModel->setObjectName("lblNoModel");
    lblNoModel->setWordWrap(true);
    lblNoModel->setMargin(6);
    lblNoModel->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblNoModel);
    layout->addWidget(browser);
    WindowSettings::PlaceWhenShown(this);

    // The earlier tree is moved aside at once and deleted on another thread
    // while the analysis runs; Resolve waits for the rest.
    if (!Globals::g_WorkspaceFolder.empty()) {
        mdlReports::PrepareOutputTree(mdlReports::g_ReportPaths);
        mdlReports::RemoveSetAside(mdlReports::g_ReportPaths);
    }
}

bool frmIssues::ResolveCOMMAREASize(common::IProgress& progress, common::IPrompt& prompt) {
    return Resolve(progress, prompt, mdlReports::GetCOMMAREASizeReport,
                   mdlReports::g_ReportPaths.g_CommareaReportPath.string());
}

bool frmIssues::ResolveValidationRules(common::IProgress& progress, common::IPrompt& prompt) {
    return Resolve(progress, prompt, mdlReports::GetValidationRulesReport,
                   mdlReports::g_ReportPaths.g_ValidationReportPath.string());
}

bool frmIssues::Resolve(common::IProgress& progress, common::IPrompt& prompt, const Analysis& analysis,
                        const std::string& page) {
    m_skipped.clear();
    if (!Globals::g_Database || !Globals::g_Workbench) return false;
    mdlReports::ReportBuilder builder;
    // Sizes are shown with the decimal separator of the user's regional settings.
    mdlReports::AnalysisRun run{*Globals::g_Database,
                                *Globals::g_Workbench,
                                mdlReports::g_ReportPaths,
                                builder,
                                progress,
                                prompt,
                                platform::ui::S(QLocale().decimalPoint())};
    mdlReports::AnalysisResult result;
    try {
        result = analysis(run);
    } catch (const mdlReports::IllFormedPage&) {
        return false;  // the analyst has been told
    }
    mdlReports::WaitForRemovals(progress);
    m_skipped = std::move(result.skipped);
    if (!result.Done()) return false;
    lblNoModel->setVisible(!result.anyCodeModel);
    browser->setSource(QUrl::fromLocalFile(Q(page)));
    return true;
}

void frmIssues::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (Globals::g_MainForm && Globals::g_MainForm->Window()) Globals::g_MainForm->Window()->activateWindow();
}

void AppendToLog(platform::ui::IMainWindow& w, const std::string& heading, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    QPlainTextEdit* log = w.LogBox();
    if (!log) return;
    for (const std::string& line : lines) log->appendPlainText(Q(heading + ": " + line));
    auto* splitter = w.Window()->findChild<platform::ui::TSplitter*>();
    platform::ui::TSplitterPane* pane = splitter ? splitter->Panes(log->property("Tag").toString()) : nullptr;
    if (pane) pane->SetVisible(true);
    log->show();
}

}  // namespace reports::ui
