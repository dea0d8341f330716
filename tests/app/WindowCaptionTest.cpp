// Captions built from workspace and entity names show those names as they
// are, even when a name holds "[*]", which a window title otherwise takes
// for the place of its modified mark; the main window's title says when the
// workspace is open for viewing only.

#include <QPlainTextEdit>
#include <QWindow>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

// The workspace folder locked as another window of the tool locks it.
class HeldElsewhere {
public:
    explicit HeldElsewhere(const std::filesystem::path& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~HeldElsewhere() { ::close(m_fd); }
    HeldElsewhere(const HeldElsewhere&) = delete;
    HeldElsewhere& operator=(const HeldElsewhere&) = delete;
    bool Holds() const { return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0; }
private:
    int m_fd;
};

TEST_F(WorkspaceSampleTest, TheTitleSaysWhileTheWorkspaceIsOpenForViewingOnly) {
    apptest::ShowAt(*main);
    const auto title = [this] { return ShownTitle(*main).toStdString(); };
    Open(sample);
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_EQ(title(), "Quarvel Analyzer - OrderEntry");
    app::CloseWorkspace(*main);

    {
        HeldElsewhere other(dir / "OrderEntry");
        ASSERT_TRUE(other.Holds());
        Open(sample);
        ASSERT_TRUE(Globals::g_ViewOnly);
        EXPECT_EQ(title(), "Quarvel Analyzer - OrderEntry (view only)");
        // A refresh is refused: the workspace stays open as it was.
        prompt.answers = {common::Answer::Yes};
        main->mnuFileRefreshWorkspace->trigger();
        EXPECT_TRUE(Globals::g_ViewOnly);
        EXPECT_EQ(title(), "Quarvel Analyzer - OrderEntry (view only)");
        app::CloseWorkspace(*main);
        EXPECT_EQ(title(), "Quarvel Analyzer");
        Open(sample);
        EXPECT_EQ(title(), "Quarvel Analyzer - OrderEntry (view only)");
    }
    // Freed, the same workspace opened again is this window's to change,
    // also after a refresh.
    Open(sample);
    ASSERT_FALSE(Globals::g_ViewOnly);
    EXPECT_EQ(title(), "Quarvel Analyzer - OrderEntry");
    prompt.answers = {common::Answer::Yes};
    main->mnuFileRefreshWorkspace->trigger();
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_EQ(title(), "Quarvel Analyzer - OrderEntry");
}

}  // namespace
