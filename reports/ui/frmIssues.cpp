#include "reports/ui/frmIssues.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

#include "common/Globals.h"
#include "common/HeldPrompt.h"
#include "common/WhileStepping.h"
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
#include "reports/PageRows.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportError.h"
#include "reports/ReportPaths.h"
#include "reports/ValidationAnalysis.h"
#include "reports/ui/PageBrowser.h"
#include "reports/ui/PageRowsView.h"

namespace reports::ui {

using platform::ui::Q;

frmIssues::frmIssues(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("frmIssues");
    setWindowTitle("Issues");
    resize(720, 520);
    UIUtility::PrepareForm(this);
    browser = new PageBrowser(this);
    browser->setObjectName("browser");
    // The pages' header is light text on a dark table.
    connect(browser, &QTextBrowser::sourceChanged, this, [this] {
        platform::ui::PaintTableBackgrounds(*browser->document());
        FitToSource();
    });
    connect(browser->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &frmIssues::FitToSource);
    tblRows = new PageRowsView(this);
    tblRows->setObjectName("tblRows");
    tblRows->hide();
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
    layout->addWidget(tblRows, 1);
    WindowSettings::PlaceWhenShown(this);

    // The earlier tree is moved aside at once and deleted on another
    // thread, while the analysis runs and after; what is left when the
    // program ends is swept by the next preparation.
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
    auto builder = std::make_unique<mdlReports::ReportBuilder>();
    // Sizes are shown with the decimal separator of the user's regional settings.
    mdlReports::AnalysisRun run{*Globals::g_Database,
                                *Globals::g_Workbench,
                                mdlReports::g_ReportPaths,
                                *builder,
                                progress,
                                prompt,
                                mdlReports::OutputFolderBoundary(mdlReports::g_ReportPaths),
                                platform::ui::S(QLocale().decimalPoint())};
    mdlReports::AnalysisResult result;
    try {
        result = analysis(run);
    } catch (const mdlReports::IllFormedPage&) {
        return false;  // the analyst has been told
    }
    m_skipped = std::move(result.skipped);
    if (!result.Done()) return false;
    lblNoModel->setVisible(!result.anyCodeModel);
    return ShowPage(progress, prompt, page, std::move(builder));
}

bool frmIssues::ShowPage(common::IProgress& progress, common::IPrompt& prompt, const std::string& page,
                         std::unique_ptr<mdlReports::ReportBuilder> builder) {
    common::ProgressScope level(progress, "Showing " + platform::ui::S(windowTitle()), 2, true);
    progress.StartStep("");
    common::HeldPrompt later;
    // The builder still holds the page's rows as the template read them:
    // they are freed on the reading thread too.
    auto reading = common::StartAside([&page, &later, builder = std::move(builder)]() mutable {
        builder.reset();
        return mdlReports::ReadPageRows(page, later);
    });
    mdlReports::PageRows rows;
    try {
        rows = common::AwaitStepping(progress, reading);
    } catch (const mdlReports::IllFormedPage&) {
        later.AskThrough(prompt);
        return false;
    }
    progress.FinishStep(1);
    if (progress.Cancelled()) return false;

    progress.StartStep("");
    browser->SetPrompt(&prompt);
    const QString frame = Q(rows.frame);
    tblRows->SetRows(std::move(rows));
    browser->ShowFrame(QUrl::fromLocalFile(Q(page)), frame);
    progress.FinishStep(1);
    return true;
}

void frmIssues::FitToSource() {
    const bool rows = browser->ShowsFrame();
    tblRows->setVisible(rows);
    if (!rows) {
        browser->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        browser->setMinimumHeight(0);
        browser->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    // The header is short: shown whole, it leaves the rest to the list.
    browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int height = static_cast<int>(std::ceil(browser->document()->size().height()));
    browser->setFixedHeight(height + 2 * browser->frameWidth());
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
