// Tools > COMMAREA Size on the real main window with the OrderEntry sample
// and an earlier report set whose deletion is held: the window shows its
// rows without waiting for the deletion, and its links speak through the
// main window.

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <fstream>

#include "reports/ReportPaths.h"
#include "reports/ui/PageBrowser.h"
#include "reports/ui/PageRowsView.h"
#include "reports/ui/frmIssues.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "tests/reports/HeldRemoval.h"

namespace {

using apptest::WorkspaceSampleTest;

TEST_F(WorkspaceSampleTest, AnAnalysisWindowShowsItsRowsBeforeTheEarlierSetIsGoneAndSaysWhenALinkLeadsNowhere) {
    apptest::ShowAt(*main);
    Open(sample);
    const auto& paths = mdlReports::g_ReportPaths;
    std::filesystem::create_directories(paths.g_ReportRoot);
    std::ofstream(paths.g_IndexPagePath) << "<html/>";
    reporttest::HeldRemoval held;
    // Should the command wait for the deletion, its caption shows: the
    // deletion is let go then, and the test knows.
    bool waited = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (main->lblProgress->text() != reporttest::HeldRemoval::kWaitCaption) return;
        waited = true;
        held.Release();
    });
    watch.start();
    main->mnuToolsCOMMAREA->trigger();
    watch.stop();
    EXPECT_FALSE(waited);
    EXPECT_FALSE(held.Released());

    const auto windows = main->findChildren<reports::ui::frmIssues*>();
    ASSERT_EQ(windows.size(), 1);
    reports::ui::frmIssues& issues = *windows[0];
    EXPECT_TRUE(issues.isVisible());
    EXPECT_EQ(issues.windowTitle(), "COMMAREA Size");
    EXPECT_GT(issues.tblRows->model()->rowCount(), 0);
    EXPECT_TRUE(issues.tblRows->isVisible());
    EXPECT_FALSE(main->pbProgress->isVisible());
    EXPECT_FALSE(main->IsBusy());

    QTextCursor link = issues.browser->document()->find("Index of reports");
    ASSERT_FALSE(link.isNull());
    link.setPosition(link.selectionStart() + 2);
    QTest::mouseClick(issues.browser->viewport(), Qt::LeftButton, {}, issues.browser->cursorRect(link).center());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("The report set is not there"), std::string::npos);
    EXPECT_EQ(prompt.titles[0], "COMMAREA Size");
    EXPECT_TRUE(issues.tblRows->isVisible());
}

}  // namespace
