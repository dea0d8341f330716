// The windows of the COMMAREA and validation analyses over the OrderEntry sample: the
// issues window running both analyses on a rebuilt report tree, and the
// remedy window's node menu with the windows it opens.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTextTable>
#include <QTreeView>
#include <QTreeWidget>

#include <fstream>
#include <memory>

#include "common/Globals.h"
#include "platform/ui/TreeItemModel.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ReportPaths.h"
#include "reports/ui/PageBrowser.h"
#include "reports/ui/PageRowsView.h"
#include "reports/ui/frmCRUDSig.h"
#include "reports/ui/frmIssues.h"
#include "reports/ui/frmRemedy.h"
#include "reports/ui/frmValid.h"
#include "session/WorkspaceLoad.h"
#include "tests/reports/HeldRemoval.h"
#include "tests/reports/ui/OpenSampleFixture.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using reports::ui::frmIssues;
using reports::ui::frmRemedy;
using reports::ui::frmValid;

// Records the progress; lets a held deletion go once a wait for it shows,
// and cancels once a level of the given caption opens.
class WatchingProgress : public testsupport::RecordingProgress {
public:
    explicit WatchingProgress(reporttest::HeldRemoval* held = nullptr) : m_held(held) {}
    void StartProgress(const std::string& action, long total, bool withCancel) override {
        if (m_held && action == reporttest::HeldRemoval::kWaitCaption) m_held->Release();
        if (!cancelAtLevel.empty() && action.rfind(cancelAtLevel, 0) == 0) m_cancel = true;
        RecordingProgress::StartProgress(action, total, withCancel);
    }
    bool Cancelled() const override { return m_cancel || RecordingProgress::Cancelled(); }
    bool Opened(const std::string& caption) const {
        for (const std::string& call : calls)
            if (call.rfind("StartProgress(" + caption, 0) == 0) return true;
        return false;
    }
    std::string cancelAtLevel;

private:
    reporttest::HeldRemoval* m_held;
    bool m_cancel = false;
};

class AnalysisWindows : public reportsuitest::OpenSample {
protected:
    template <class W>
    static std::vector<W*> Open() {
        std::vector<W*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* x = qobject_cast<W*>(w); x && x->isVisible()) out.push_back(x);
        return out;
    }
    static std::string Scalar(const char* sql) { return Globals::g_Database->Scalar(sql).AsText(); }
    static QStringList Column(const QAbstractItemModel& rows, int column) {
        QStringList out;
        for (int r = 0; r < rows.rowCount(); ++r) out << rows.index(r, column).data().toString();
        return out;
    }
    static std::vector<std::string> Files(const fs::path& folder) {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.is_regular_file() && e.path().parent_path().filename() != "images")
                out.push_back(fs::relative(e.path(), folder).string());
        return out;
    }

};

TEST_F(AnalysisWindows, IssuesWindowsRebuildTheTreeAndShowTheirPage) {
    const auto& paths = mdlReports::g_ReportPaths;
    const QUrl commareaPage = QUrl::fromLocalFile(QString::fromStdString(paths.g_CommareaReportPath.string()));
    fs::create_directories(paths.g_ReportRoot);
    std::ofstream(paths.g_IndexPagePath) << "<html/>";  // left by an earlier report run
    testsupport::ScriptedPrompt prompt;
    // The earlier set's deletion is held: the page is shown without waiting for it.
    auto held = std::make_unique<reporttest::HeldRemoval>();
    WatchingProgress progress(held.get());

    frmIssues commarea(nullptr);
    EXPECT_TRUE(Files(paths.g_ReportRoot).empty());
    for (const char* folder : {"images", "diagrams", "inventory", "client", "server", "special"})
        EXPECT_TRUE(fs::is_directory(paths.g_ReportRoot / folder)) << folder;
    ASSERT_TRUE(commarea.ResolveCOMMAREASize(progress, prompt));
    EXPECT_FALSE(progress.Opened(reporttest::HeldRemoval::kWaitCaption));
    EXPECT_FALSE(held->Released());
    held.reset();
    EXPECT_TRUE(progress.Opened("Showing"));
    EXPECT_TRUE(commarea.Skipped().empty());
    EXPECT_EQ(commarea.browser->source(), commareaPage);
    EXPECT_TRUE(commarea.browser->toPlainText().contains("COMMAREA Size Report"));
    // The list's rows are the view's, one per measured program; the browser
    // lays out only the page around them.
    const QAbstractItemModel& rows = *commarea.tblRows->model();
    EXPECT_EQ((QStringList{rows.headerData(0, Qt::Horizontal).toString(), rows.headerData(1, Qt::Horizontal).toString(),
                           rows.headerData(2, Qt::Horizontal).toString()}),
              (QStringList{"Name", "COMMAREA Caption", "Size (bytes)"}));
    EXPECT_EQ(rows.rowCount(), std::stoi(Scalar("SELECT COUNT(DISTINCT ID) FROM Commarea")));
    // The sample's COBOL programs receive their COMMAREA through a USING port.
    const QString measured =
        QString::fromStdString(Scalar("SELECT E.Name FROM Commarea C JOIN Ents E ON E.ID = C.ID LIMIT 1"));
    ASSERT_FALSE(measured.isEmpty());
    const int row = static_cast<int>(Column(rows, 0).indexOf(measured));
    ASSERT_GE(row, 0);
    EXPECT_EQ(rows.index(row, 1).data().toString().toStdString(),
              Globals::g_Database
                  ->Scalar("SELECT Caption FROM Commarea C JOIN Ents E ON E.ID = C.ID WHERE E.Name = ?1",
                           {measured.toStdString()})
                  .AsText());
    EXPECT_FALSE(commarea.browser->toPlainText().contains(measured));
    EXPECT_EQ(Files(paths.g_ReportRoot), (std::vector<std::string>{"special/commareasize.html"}));
    EXPECT_TRUE(commarea.lblNoModel->isHidden());  // the sample's programs have models
    // The header's light text stands on its dark table, not on white.
    const QTextCursor brand = commarea.browser->document()->find("Quarvel Analyzer");
    QTextTable* header = brand.currentTable();
    ASSERT_TRUE(header);
    const QBrush back = header->cellAt(brand).format().background();
    EXPECT_EQ(back.style(), Qt::SolidPattern);
    EXPECT_EQ(back.color(), header->format().background().color());
    EXPECT_NE(back.color(), brand.charFormat().foreground().color());
    // Asked to open over the bottom edge, it is kept on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    commarea.move(screen.left(), screen.bottom() - 50);
    commarea.show();
    EXPECT_TRUE(screen.contains(commarea.frameGeometry()));
    EXPECT_TRUE(commarea.tblRows->isVisible());
    EXPECT_TRUE(prompt.asked.empty());

    // "Index of reports" leads to the set just removed: the page stays, and
    // the analyst is told. Once the index is there, the link leads to it,
    // and back brings the rows again.
    QTextCursor link = commarea.browser->document()->find("Index of reports");
    ASSERT_FALSE(link.isNull());
    link.setPosition(link.selectionStart() + 2);
    const QPoint onLink = commarea.browser->cursorRect(link).center();
    QTest::mouseClick(commarea.browser->viewport(), Qt::LeftButton, {}, onLink);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("The report set is not there"), std::string::npos);
    EXPECT_NE(prompt.asked[0].find(paths.g_IndexPagePath.string()), std::string::npos);
    EXPECT_EQ(commarea.browser->source(), commareaPage);
    EXPECT_TRUE(commarea.browser->toPlainText().contains("COMMAREA Size Report"));
    EXPECT_TRUE(commarea.tblRows->isVisible());
    std::ofstream(paths.g_IndexPagePath) << "<html><body><p>Index</p></body></html>";
    QTest::mouseClick(commarea.browser->viewport(), Qt::LeftButton, {}, onLink);
    EXPECT_EQ(commarea.browser->source(), QUrl::fromLocalFile(QString::fromStdString(paths.g_IndexPagePath.string())));
    EXPECT_FALSE(commarea.tblRows->isVisible());
    commarea.browser->backward();
    EXPECT_EQ(commarea.browser->source(), commareaPage);
    EXPECT_TRUE(commarea.tblRows->isVisible());
    EXPECT_EQ(prompt.asked.size(), 1u);
    prompt.asked.clear();

    frmIssues validation(nullptr);
    EXPECT_TRUE(Files(paths.g_ReportRoot).empty());
    ASSERT_TRUE(validation.ResolveValidationRules(progress, prompt));
    EXPECT_NE(Scalar("SELECT COUNT(*) FROM Conds"), "0");
    EXPECT_EQ(Files(paths.g_ReportRoot), (std::vector<std::string>{"special/validationrules.html"}));
    const QAbstractItemModel& found = *validation.tblRows->model();
    ASSERT_GT(found.rowCount(), 0);
    EXPECT_EQ(found.headerData(1, Qt::Horizontal).toString(), "Validations");
    EXPECT_TRUE(found.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_TRUE(prompt.asked.empty());

    testsupport::RecordingProgress cancelling;
    cancelling.cancelAfterSteps = 1;
    frmIssues cancelled(nullptr);
    EXPECT_FALSE(cancelled.ResolveCOMMAREASize(cancelling, prompt));
    EXPECT_TRUE(cancelled.browser->source().isEmpty());
    EXPECT_TRUE(Files(paths.g_ReportRoot).empty());
    // A cancel while the written page is read for showing shows nothing either.
    WatchingProgress late;
    late.cancelAtLevel = "Showing";
    frmIssues cancelledLate(nullptr);
    EXPECT_FALSE(cancelledLate.ResolveValidationRules(late, prompt));
    EXPECT_TRUE(late.Opened("Showing"));
    EXPECT_TRUE(cancelledLate.browser->source().isEmpty());
    EXPECT_EQ(cancelledLate.tblRows->model()->rowCount(), 0);
}

// A row is as tall as its cell of most lines, so no line is cut off.
TEST(PageRowsView, EachRowShowsEveryLineOfItsCells) {
    mdlReports::PageRows rows;
    rows.captions = {"Name", "Items"};
    rows.rows = {{"ONE", "A"}, {"THREE", "A\nB\nC"}, {"TWO\nLINES", "A"}};
    reports::ui::PageRowsView view(nullptr);
    view.SetRows(rows);
    const int line = view.fontMetrics().lineSpacing();
    EXPECT_GE(view.rowHeight(0), line);
    EXPECT_GE(view.rowHeight(1), 3 * line);
    EXPECT_GE(view.rowHeight(2), 2 * line);
    EXPECT_LT(view.rowHeight(2), view.rowHeight(1));
    EXPECT_EQ(view.model()->index(2, 0).data().toString(), "TWO\nLINES");
}

TEST_F(AnalysisWindows, RemedyMenuFollowsTheSelectedNode) {
    const std::string id = Scalar(
        "SELECT ID FROM Ents E WHERE EntName = 'PROGRAM' AND Stub = 0 AND "
        "EXISTS (SELECT * FROM Rels WHERE Id1 = E.ID AND RelName = 'access') ORDER BY SerialID LIMIT 1");
    common::Tree tree;
    tree.Add("", "valid", "Validations", "Info");
    tree.Add("valid", "v1", "ORDPROC", "Logic", id);
    tree.Add("", "Valid2", "Other", "Info");
    tree.Add("Valid2", "v2", "ORDPROC", "Logic", id);
    tree.Add("", "top", "ORDPROC", "Logic", id);
    tree.Add("", "plain", "Notes", "Info", "no entity");
    tree.Find("valid")->expanded = tree.Find("Valid2")->expanded = true;
    // The parent key compared in its exact letter case.
    common::Tree other;
    other.Add("", "Valid", "Validations", "Info");
    other.Add("Valid", "v1", "ORDPROC", "Logic", id);

    frmRemedy window(nullptr);
    window.show();
    const QString tag = QString("ORDPROC") + QChar(0) + QString::fromStdString(id);
    struct Case {
        const char* what;
        const common::Tree* tree;
        const char* node;  // selected; nullptr for none
        bool crud, sfv;
    };
    const Case cases[] = {
        {"nothing selected", &tree, nullptr, false, false},
        {"an entity under the validations", &tree, "v1", true, true},
        {"an entity under another node", &tree, "v2", true, false},
        {"a top-level entity", &tree, "top", true, false},
        {"a node without an entity", &tree, "plain", false, false},
        {"under \"Valid\"", &other, "v1", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.SetTree(*c.tree);
        auto* model = static_cast<platform::ui::TreeItemModel*>(window.trRemedy->model());
        if (c.node) {
            window.trRemedy->setCurrentIndex(model->IndexOfKey(c.node));
            // A real release of the right button over the node.
            QTest::mouseClick(window.trRemedy->viewport(), Qt::RightButton, {},
                              window.trRemedy->visualRect(model->IndexOfKey(c.node)).center());
        } else {
            window.trRemedy->clearSelection();
            window.trRemedy_MouseUp(Qt::RightButton, QPoint(10, 10));
        }
        EXPECT_TRUE(window.mnuProgContext->isVisible());  // the menu comes up either way
        window.mnuProgContext->hide();
        EXPECT_EQ(window.mnuCRUDSig->isEnabled(), c.crud);
        EXPECT_EQ(window.mnuNCSFV->isEnabled(), c.sfv);
        if (c.crud) {
            EXPECT_EQ(window.mnuCRUDSig->property("Tag").toString(), tag);
        }
        if (c.sfv) {
            EXPECT_EQ(window.mnuNCSFV->property("Tag").toString(), tag);
        }
    }

    // A left release changes the items without showing the menu.
    window.SetTree(tree);
    auto* model = static_cast<platform::ui::TreeItemModel*>(window.trRemedy->model());
    window.trRemedy->setCurrentIndex(model->IndexOfKey("v1"));
    window.trRemedy_MouseUp(Qt::LeftButton, QPoint(10, 10));
    EXPECT_FALSE(window.mnuProgContext->isVisible());
    ASSERT_TRUE(window.mnuNCSFV->isEnabled());

    // Each CRUD Signature opens a further window; validations open over the remedy window.
    window.mnuCRUDSig->trigger();
    window.mnuCRUDSig->trigger();
    const auto signatures = Open<reports::ui::frmCRUDSig>();
    ASSERT_EQ(signatures.size(), 2u);
    EXPECT_EQ(signatures[0]->windowTitle(), "CRUD Signature - ORDPROC");
    EXPECT_GT(signatures[0]->lstCRUD->topLevelItemCount(), 0);
    for (auto* s : signatures) s->close();

    // The validations of the program: two ports on one declaration, whose
    // sub-declaration shows under the first only; all of it open.
    auto& db = *Globals::g_Database;
    db.Execute(
        "INSERT INTO SFVPorts (ProgID, PortVNID, PortName, DeclVNID, DeclName) VALUES "
        "(?1, 'P1', 'ORDMAP', 'D1', 'ORDMAPI'), (?1, 'P2', 'ORDMAP', 'D1', 'ORDMAPI')",
        {id});
    db.Execute("INSERT INTO SFVSubdecls (DeclVNID, SubdeclVNID, SubdeclName) VALUES ('D1', 'S1', 'QTYI')");
    db.Execute("INSERT INTO SFVConds (SubdeclVNID, CondVNID, CondCaption) VALUES ('S1', 'C1', 'QTYI > 0')");
    window.mnuNCSFV->trigger();
    Globals::ShowValidationTree("PROGRAM#0", "EMPTY", nullptr);
    for (frmValid* shown : Open<frmValid>()) {
        QAbstractItemModel* rows = shown->tvValid->model();
        if (shown->parentWidget() != &window) {
            EXPECT_EQ(shown->windowTitle(), "Screen Field Validations - EMPTY");
            EXPECT_EQ(rows->rowCount(), 0);
            continue;
        }
        EXPECT_EQ(shown->windowTitle(), "Screen Field Validations - ORDPROC");
        ASSERT_EQ(rows->rowCount(), 2);
        const QModelIndex port = rows->index(0, 0), sub = rows->index(0, 0, port);
        EXPECT_EQ(port.data().toString(), "ORDMAPI of port ORDMAP");
        EXPECT_EQ(rows->index(0, 0, sub).data().toString(), "QTYI > 0");
        EXPECT_EQ(rows->rowCount(rows->index(1, 0)), 0);
        EXPECT_TRUE(shown->tvValid->isExpanded(port) && shown->tvValid->isExpanded(sub));
    }
    EXPECT_EQ(Open<frmValid>().size(), 2u);
}

}  // namespace
