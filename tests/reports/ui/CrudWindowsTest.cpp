// The CRUD signature and overlap windows over the OrderEntry sample: one
// signature window per program, the overlap rows, the row menu by mouse
// and keys, and what its commands open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

#include <fstream>
#include <memory>

#include "common/Globals.h"
#include "common/Progress.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CrudComparison.h"
#include "reports/CrudSignature.h"
#include "reports/ui/frmCRUDComp.h"
#include "reports/ui/frmCRUDSig.h"
#include "session/WorkspaceLoad.h"
#include "tests/reports/ui/OpenSampleFixture.h"
#include "tests/support/TestSupport.h"
#include "views/ui/frmSource.h"

namespace {

namespace fs = std::filesystem;
using reports::ui::frmCRUDComp;
using reports::ui::frmCRUDSig;

class CrudWindows : public reportsuitest::OpenSample {
protected:
    // The programs of the sample with the most and with no store accesses.
    static std::pair<std::string, std::string> Program(bool accessing) {
        auto rs = Globals::g_Database->OpenRecordset(
            std::string("SELECT ID, Name FROM Ents E WHERE EntName = 'PROGRAM' AND Stub = 0 AND ") +
            (accessing ? "" : "NOT ") +
            "EXISTS (SELECT * FROM Rels WHERE Id1 = E.ID AND RelName = 'access') "
            "ORDER BY (SELECT COUNT(*) FROM Rels WHERE Id1 = E.ID) DESC, SerialID");
        return {rs.Text("ID"), rs.Text("Name")};
    }
    template <class W>
    static std::vector<W*> Open() {
        std::vector<W*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* x = qobject_cast<W*>(w); x && x->isVisible()) out.push_back(x);
        return out;
    }
    static QStringList Row(QTreeWidget* list, int row) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) texts << list->topLevelItem(row)->text(c);
        return texts;
    }
    // The first and last columns of pixels, in the list's viewport, where the
    // text of a cell is drawn (darker than the background); -1 for none.
    static std::pair<int, int> Ink(QTreeWidget* list, const QImage& shot, int row, int column) {
        const QRect cell = list->visualRect(list->model()->index(row, column));
        int first = -1, last = -1;
        for (int x = cell.left(); x <= cell.right(); ++x)
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                if (qGray(shot.pixel(x, y)) < 128) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    static QStringList Headers(QTreeWidget* list) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) texts << list->headerItem()->text(c);
        return texts;
    }

};

TEST_F(CrudWindows, OneSignatureWindowPerProgramFilledWhenItOpens) {
    const auto [id, name] = Program(true);
    QWidget owner;
    Globals::ShowCRUDSignature(id, name, &owner);
    frmCRUDSig* window = reports::ui::FindCRUDSignatureWindow(id);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QString::fromStdString(name) + " - CRUD Signature");
    EXPECT_EQ(window->Owner, &owner);
    EXPECT_EQ(Headers(window->lstCRUD), (QStringList{"Store Name", "Inserts", "Reads", "Updates", "Deletes"}));
    const auto signature = Globals::ProgramCRUDSignature(*Globals::g_Database, id);
    ASSERT_FALSE(signature.Rows().empty());
    ASSERT_EQ(window->lstCRUD->topLevelItemCount(), static_cast<int>(signature.Rows().size()));
    for (size_t r = 0; r < signature.Rows().size(); ++r) {
        const auto& row = signature.Rows()[r];
        EXPECT_EQ(Row(window->lstCRUD, static_cast<int>(r)),
                  (QStringList{QString::fromStdString(row.storeName), row.Marked('I') ? "Y" : "",
                               row.Marked('R') ? "Y" : "", row.Marked('U') ? "Y" : "", row.Marked('D') ? "Y" : ""}));
    }

    // Asked again (id in another case) while minimised: the same window,
    // back to its state, and no second one.
    window->showMinimized();
    Globals::g_Database->Execute("DELETE FROM Rels WHERE Id1 = ?1", {id});
    std::string lower = id;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Globals::ShowCRUDSignature(lower, name, &owner);
    EXPECT_EQ(Open<frmCRUDSig>().size(), 1u);
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(window->lstCRUD->topLevelItemCount(), static_cast<int>(signature.Rows().size()));

    const auto [quiet, quietName] = Program(false);
    Globals::ShowCRUDSignature(quiet, quietName, &owner);
    ASSERT_TRUE(reports::ui::FindCRUDSignatureWindow(quiet));
    EXPECT_EQ(reports::ui::FindCRUDSignatureWindow(quiet)->lstCRUD->topLevelItemCount(), 0);
    window->close();
    reports::ui::FindCRUDSignatureWindow(quiet)->close();
}

TEST_F(CrudWindows, OverlapRowsAndTheirMenu) {
    const auto [id1, name1] = Program(true);
    const auto [id2, name2] = Program(false);
    const fs::path file = *s_dir / "comparison.xml";
    {
        using P = mdlReports::CrudComparisonWriter::Program;
        mdlReports::CrudComparisonWriter writer(common::WriteBoundary(s_dir->Path()), file);
        writer.AddPair(P(name1, id1), P(name2, id2), 0.125, 16);
        writer.AddPair(P("A", "PROGRAM#901"), P("BC", "PROGRAM#902"), 0.335, 200);
        writer.AddPair(P(name1, "PROGRAM#903"), P(name2, "PROGRAM#904"), 0.5, 4);   // the first pair's names
        writer.Finish();
    }
    common::NullProgress progress;
    frmCRUDComp window(nullptr, file);
    ASSERT_TRUE(window.Load(progress));
    window.show();
    QTreeWidget* list = window.lvCRUDComp;
    EXPECT_EQ(Headers(list),
              (QStringList{"Program One", "Degree of Similarity", "Program Two", "Total Comparison Points"}));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(Row(list, 0), (QStringList{QString::fromStdString(name1), "12%", QString::fromStdString(name2), "16"}));
    EXPECT_EQ(Row(list, 1), (QStringList{"A", "34%", "BC", "200"}));
    EXPECT_FALSE(window.lblMore->isVisible());

    // The similarity, right-aligned, ends more than two digits' width
    // before the name beside it starts, in whatever font the list has.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    list->setCurrentItem(nullptr);
    list->clearSelection();
    const QImage shot = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < 2; ++row) {
        const auto [similarityStart, similarityEnd] = Ink(list, shot, row, 1);
        const auto [nameStart, nameEnd] = Ink(list, shot, row, 2);
        ASSERT_GE(similarityStart, 0);
        ASSERT_GE(nameStart, 0);
        EXPECT_GT(nameStart - similarityEnd - 1, list->fontMetrics().horizontalAdvance("00")) << "row " << row;
    }

    const auto click = [&](Qt::MouseButton button, int row) {
        const QPoint at = row >= 0 ? list->visualItemRect(list->topLevelItem(row)).center()
                                   : QPoint(5, list->viewport()->height() - 3);
        QTest::mouseClick(list->viewport(), button, {}, at);
        const bool shown = window.mnuRowOptions->isVisible();
        window.mnuRowOptions->hide();
        return shown;
    };
    const auto key = [&](Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(list, Qt::Key_F10, modifiers);
        const bool shown = window.mnuRowOptions->isVisible();
        window.mnuRowOptions->hide();
        return shown;
    };
    EXPECT_FALSE(click(Qt::LeftButton, 1));
    EXPECT_FALSE(click(Qt::RightButton, -1));
    EXPECT_TRUE(click(Qt::RightButton, 1));
    EXPECT_EQ(window.mnuP1CRUDSig->property("Tag").toString(), QString("A") + QChar(0) + "PROGRAM#901");
    EXPECT_EQ(window.mnuP2ViewSrc->property("Tag").toString(), QString("BC") + QChar(0) + "PROGRAM#902");
    list->clearSelection();
    EXPECT_FALSE(key(Qt::ShiftModifier));
    list->topLevelItem(0)->setSelected(true);
    EXPECT_FALSE(key(Qt::NoModifier));
    EXPECT_FALSE(key(Qt::ShiftModifier | Qt::ControlModifier));
    EXPECT_TRUE(key(Qt::ShiftModifier));
    EXPECT_EQ(window.mnuP1ViewSrc->property("Tag").toString().toStdString(), name1 + '\0' + id1);

    // Both signatures, then both sources; asked twice, nothing more opens.
    for (int twice = 0; twice < 2; ++twice) {
        window.mnuBothCRUDSig->trigger();
        window.mnuBothViewSrc->trigger();
    }
    const auto signatures = Open<frmCRUDSig>();
    ASSERT_EQ(signatures.size(), 2u);
    for (frmCRUDSig* s : signatures) EXPECT_EQ(s->Owner, &window);
    EXPECT_TRUE(reports::ui::FindCRUDSignatureWindow(id2));
    const auto sources = Open<views::ui::frmSource>();
    ASSERT_EQ(sources.size(), 2u);
    for (views::ui::frmSource* s : sources) {
        EXPECT_EQ(s->Owner, &window);
        if (s->Tag() == QString::fromStdString(id1 + "-Source")) {
            EXPECT_EQ(s->windowTitle(), QString::fromStdString(name1 + " - Source"));
            EXPECT_TRUE(s->rtf->isVisible() && !s->rtf->toPlainText().isEmpty()) << s->lblMessage->text().toStdString();
        }
    }

    // A file of more elements than the window reads: the pairs among the
    // first ones, and a word that there are more. Every other element
    // repeats the one before, and they count too.
    const fs::path large = *s_dir / "large.xml";
    {
        using P = mdlReports::CrudComparisonWriter::Program;
        mdlReports::CrudComparisonWriter writer(common::WriteBoundary(s_dir->Path()), large);
        for (std::size_t n = 0; n <= frmCRUDComp::kMaxRows; ++n)
            writer.AddPair(P("P" + std::to_string(n / 2), "PROGRAM#1"), P("Q", "PROGRAM#2"), 0.5, 4);
        writer.Finish();
    }
    frmCRUDComp capped(nullptr, large);
    ASSERT_TRUE(capped.Load(progress));
    capped.show();
    EXPECT_EQ(static_cast<std::size_t>(capped.lvCRUDComp->topLevelItemCount()), frmCRUDComp::kMaxRows / 2);
    EXPECT_TRUE(capped.lblMore->isVisible());
    EXPECT_FALSE(capped.lblDamaged->isVisible());
    EXPECT_TRUE(capped.lblMore->text().startsWith("large.xml holds more")) << capped.lblMore->text().toStdString();
}

// A damaged file lists the pairs before the damage, never an element that
// is no pair, and says which file broke where and what to do, in the
// window's words (the parser's are its tooltip); an empty file says it is
// empty; cancelled while it reads, the window says it has no list to show.
TEST_F(CrudWindows, OverlapOfADamagedFileSaysSoAndACancelledReadShowsNothing) {
    const fs::path file = *s_dir / "damaged.xml";
    std::ofstream(file) << "<Pairs>\n<Pair Program1=\"A\" P1ID=\"PROGRAM#1\" Program2=\"B\" P2ID=\"PROGRAM#2\" "
                           "Level=\"0.5\" Cap=\"4\"/>\n<Program Program1=\"X\" Program2=\"Y\"/>\n<Pair P/>\n</Pairs>\n";
    common::NullProgress progress;
    frmCRUDComp window(nullptr, file);
    ASSERT_TRUE(window.Load(progress));
    window.show();
    ASSERT_EQ(window.lvCRUDComp->topLevelItemCount(), 1);
    EXPECT_EQ(window.lvCRUDComp->topLevelItem(0)->text(0), "A");
    ASSERT_TRUE(window.lblDamaged->isVisible());
    EXPECT_EQ(window.lblDamaged->text().toStdString(),
              file.string() + " is damaged at line 4, position 8: the pairs after that point are not listed. "
                              "Run CRUD Overlap again to write the file anew.");
    // The parser's own words stay in the tooltip, out of the label.
    EXPECT_TRUE(window.lblDamaged->toolTip().endsWith("value for attribute P"))
        << window.lblDamaged->toolTip().toStdString();
    EXPECT_FALSE(window.lblDamaged->text().contains("attribute P"));
    EXPECT_FALSE(window.lblMore->isVisible());

    const fs::path empty = *s_dir / "empty.xml";
    for (const char* text : {"", "\n  \n"}) {
        std::ofstream(empty) << text;
        frmCRUDComp nothing(nullptr, empty);
        ASSERT_TRUE(nothing.Load(progress));
        EXPECT_EQ(nothing.lvCRUDComp->topLevelItemCount(), 0);
        EXPECT_EQ(nothing.lblDamaged->text().toStdString(),
                  empty.string() + " is empty: it lists no pairs. Run CRUD Overlap again to write the file anew.");
        EXPECT_TRUE(nothing.lblDamaged->toolTip().isEmpty());
    }

    struct Cancelling : common::NullProgress {
        bool Cancelled() const override { return true; }
    } cancelling;
    frmCRUDComp cancelled(nullptr, file);
    EXPECT_FALSE(cancelled.Load(cancelling));
}

}  // namespace
