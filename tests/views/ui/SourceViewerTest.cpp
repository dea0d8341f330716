// The source viewer on the sample: one viewer retargeted from entity to
// entity, raised without reading again for the entity it shows, programs
// by language, screens by listing, and what it shows when something is
// missing.

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <fstream>

#include "platform/ui/BmsViewControl.h"
#include "tests/views/ui/SampleWindowsFixture.h"

namespace {

using views::ui::frmSource;
using viewsuitest::SampleWindows;

class SourceViewerTest : public SampleWindows {
protected:
    QWidget owner;
    static bool Shows(QWidget* w) { return w->isVisibleTo(w->window()); }
    static bool ShowsMap(frmSource& v) { return Shows(v.BMS) && !Shows(v.rtf); }
    static bool ShowsText(frmSource& v) { return Shows(v.rtf) && !Shows(v.BMS); }
};

TEST_F(SourceViewerTest, OneViewerRetargetedFromEntityToEntity) {
    Globals::ViewSource(Request("ORDENTR", Id("ORDENTR")), &owner);
    QPointer<frmSource> viewer = views::ui::SourceViewer();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->Tag().toStdString(), Id("ORDENTR") + "-Source");
    EXPECT_EQ(viewer->windowTitle(), "ORDENTR - Source");
    EXPECT_EQ(viewer->Owner, &owner);
    EXPECT_TRUE(ShowsText(*viewer));
    EXPECT_TRUE(viewer->rtf->isReadOnly());
    EXPECT_TRUE(viewer->rtf->toPlainText().startsWith("       IDENTIFICATION DIVISION."));
    // A listing font whatever fonts the machine has: every character one width.
    const QFontMetrics listing(viewer->rtf->font());
    EXPECT_EQ(listing.horizontalAdvance('i'), listing.horizontalAdvance('W'));
    EXPECT_EQ(listing.horizontalAdvance('m'), listing.horizontalAdvance('W'));

    // Natural and PL/I programs through their own relations; a screen
    // through its listing. Always the same window.
    const struct {
        const char* name;
        const char* entName;
        const char* expect;
    } others[] = {
        {"NCUSTMNT", "PROGRAM", "DEFINE DATA"},
        {"SHIPCALC", "PROGRAM", "SHIPCALC"},
        {"CUSTMAP", "MAP", nullptr},
    };
    QWidget second;
    for (const auto& o : others) {
        SCOPED_TRACE(o.name);
        Globals::ViewSource(Request(o.name, Id(o.name, o.entName)), &second);
        EXPECT_EQ(views::ui::SourceViewer(), viewer.data());
        EXPECT_EQ(Count<frmSource>(), 1);
        EXPECT_EQ(viewer->windowTitle(), QString(o.name) + " - Source");
        EXPECT_EQ(viewer->Owner, &second);
        if (o.expect) {
            EXPECT_TRUE(ShowsText(*viewer));
            EXPECT_TRUE(viewer->rtf->toPlainText().contains(o.expect));
        } else {
            EXPECT_TRUE(ShowsMap(*viewer));
            EXPECT_EQ(viewer->BMS->RowText(1).mid(30, 16), "CUSTOMER INQUIRY");
        }
        EXPECT_FALSE(Shows(viewer->lblMessage)) << viewer->lblMessage->text().toStdString();
    }
}

TEST_F(SourceViewerTest, TheEntityOnShowIsRaisedWithoutReadingItAgain) {
    const std::string id = Id("ORDMENU");
    Globals::ViewSource(Request("ORDMENU", id), &owner);
    QPointer<frmSource> viewer = views::ui::SourceViewer();
    ASSERT_TRUE(viewer);
    const QString before = viewer->rtf->toPlainText();
    std::ofstream(Folder() / "cobol" / "ORDMENU.cbl", std::ios::app) << "      * CHANGED ON DISK\n";
    viewer->showMinimized();
    QApplication::processEvents();

    Globals::ViewSource(Request("ORDMENU", id), &owner);
    EXPECT_EQ(views::ui::SourceViewer(), viewer.data());
    EXPECT_FALSE(viewer->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(viewer->rtf->toPlainText(), before);

    // Another entity and back: now it is read again.
    Globals::ViewSource(Request("ORDMNU", Id("ORDMNU", "MAP")), &owner);
    Globals::ViewSource(Request("ORDMENU", id), &owner);
    EXPECT_TRUE(viewer->rtf->toPlainText().contains("CHANGED ON DISK"));
}

TEST_F(SourceViewerTest, StubProgramsStoresAndRequestsWithoutIdentifierOpenNothing) {
    const std::string stub =
        Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE ID LIKE 'STUBPROG%' LIMIT 1").AsText();
    const std::string store =
        Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE EntName = 'store' LIMIT 1").AsText();
    ASSERT_FALSE(stub.empty());
    ASSERT_FALSE(store.empty());
    for (const std::string& request :
         {Request("CRDAUTH", stub), Request("ORDERS", store), Id("ORDENTR"), std::string()}) {
        Globals::ViewSource(request, &owner);
        EXPECT_EQ(views::ui::SourceViewer(), nullptr);
    }
}

TEST_F(SourceViewerTest, MissingThingsAreSaidInTheViewerWhichStaysUsable) {
    // OLDMNU is known by name only: its "Source" is empty, an empty map.
    Globals::ViewSource(Request("OLDMNU", Id("OLDMNU", "MAP")), &owner);
    frmSource* viewer = views::ui::SourceViewer();
    ASSERT_TRUE(viewer);
    EXPECT_TRUE(ShowsMap(*viewer));
    EXPECT_TRUE(viewer->BMS->Listing().fields.empty());
    EXPECT_EQ(viewer->BMS->RowText(1).trimmed(), "");
    EXPECT_FALSE(Shows(viewer->lblMessage));

    // A listing and a program source gone from the disk; an identifier the
    // repository does not know.
    std::filesystem::rename(Folder() / "maps" / "HLPMAP.lst", Folder() / "maps" / "HLPMAP.gone");
    std::filesystem::rename(Folder() / "cobol" / "HELPSCR.cbl", Folder() / "cobol" / "HELPSCR.gone");
    const struct {
        const char* name;
        std::string id;
        bool map;
    } cases[] = {
        {"HLPMAP", Id("HLPMAP", "MAP"), true},
        {"HELPSCR", Id("HELPSCR"), false},
        {"GHOST", "PROGRAM#99999", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_THROW(Globals::ViewSource(Request(c.name, c.id), &owner));
        EXPECT_EQ(views::ui::SourceViewer(), viewer);
        EXPECT_TRUE(Shows(viewer->lblMessage));
        EXPECT_EQ(Shows(viewer->BMS), c.map);
        EXPECT_FALSE(Shows(viewer->rtf));
    }
    std::filesystem::rename(Folder() / "maps" / "HLPMAP.gone", Folder() / "maps" / "HLPMAP.lst");
    std::filesystem::rename(Folder() / "cobol" / "HELPSCR.gone", Folder() / "cobol" / "HELPSCR.cbl");

    // Still the viewer it was: the next request shows its content.
    Globals::ViewSource(Request("HELPSCR", Id("HELPSCR")), &owner);
    EXPECT_TRUE(ShowsText(*viewer));
    EXPECT_FALSE(Shows(viewer->lblMessage));
}

TEST_F(SourceViewerTest, ARequestFromTheScreenPlotPutsTheViewerAtTheBottomLeft) {
    QWidget plot;
    plot.setProperty("Tag", "ScreenFlow");
    Globals::ViewSource(Request("ORDENT", Id("ORDENT", "MAP")), &plot);
    frmSource* viewer = views::ui::SourceViewer();
    ASSERT_TRUE(viewer);
    const QRect screen = viewer->screen()->geometry();
    const QRect frame = viewer->frameGeometry();
    EXPECT_EQ(frame.left(), screen.left());
    EXPECT_EQ(frame.top() + frame.height(), screen.top() + screen.height() - 64);

    // Closing hands the focus back and leaves no viewer.
    viewer->close();
    Settle();
    EXPECT_EQ(views::ui::SourceViewer(), nullptr);
    EXPECT_EQ(Count<frmSource>(), 0);
}

}  // namespace
