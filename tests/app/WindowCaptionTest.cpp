// Captions built from workspace and entity names show those names as they
// are, even when a name holds "[*]", which a window title otherwise takes
// for the place of its modified mark.

#include <QPlainTextEdit>
#include <QWindow>

#include "services/NodeCommands.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "views/Description.h"
#include "views/ui/frmDesc.h"

namespace {

using apptest::WorkspaceSampleTest;

// The title the window system is given.
QString ShownTitle(QWidget& w) { return w.windowHandle() ? w.windowHandle()->title() : QString(); }

TEST_F(WorkspaceSampleTest, CaptionsShowNamesWithTheModifiedMarkAsTheyAre) {
    CopySample(dir.Path(), "Shop[*] & Co");
    apptest::ShowAt(*main);
    Open(dir / "Shop[*] & Co.hxp");
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_EQ(ShownTitle(*main).toStdString(), "Quarvel Analyzer - Shop[*] & Co");

    auto* editor = views::ui::OpenDescription(main.get(), prompt, {"PROGRAM#1", "PAY[*]ROLL", "text"});
    EXPECT_EQ(ShownTitle(*editor).toStdString(), "PAY[*]ROLL - Description");
    EXPECT_EQ(editor->txtDescription->toPlainText(), "text");
    editor->close();
}

}  // namespace
