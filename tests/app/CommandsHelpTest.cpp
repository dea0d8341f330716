// Help > Quarvel Analyzer Help through the URL-opener seam, and the hidden
// View > Parameters command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <vector>

#include "app/CommandsHelp.h"
#include "app/InstallCommands.h"
#include "common/Globals.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

class HelpCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetLayout();
        w = NewMainWindow();
        w->SetPrompt(&prompt);
        app::InstallCommands(*w);
        app::InstallHelpCommands(*w, [this](const QUrl& url) {
            opened.push_back(url);
            return opens;
        });
    }
    void TearDown() override {
        w.reset();
        Globals::g_AppPath = testsupport::AppDir();
        ForgetLayout();
    }

    std::unique_ptr<frmMain> w;
    testsupport::ScriptedPrompt prompt;
    std::vector<QUrl> opened;
    bool opens = true;
};

}  // namespace

TEST_F(HelpCommand, OpensTheHelpDocumentOfTheApplicationFolder) {
    const std::filesystem::path help = testsupport::AppDir() / "Ostrel_SOA_Help.html";
    ASSERT_TRUE(std::filesystem::is_regular_file(help)) << "the build puts the help beside the executable";
    EXPECT_EQ(w->HelpFile(), help);

    w->mnuHelpWindow->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_EQ(std::filesystem::weakly_canonical(opened[0].toLocalFile().toStdString()),
              std::filesystem::weakly_canonical(help));
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(HelpCommand, NothingToOpenItWithGivesAMessage) {
    opens = false;
    w->mnuHelpWindow->trigger();
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("Ostrel_SOA_Help.html"), std::string::npos);
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
}

TEST_F(HelpCommand, AMissingHelpFileGivesAMessageAndOpensNothing) {
    testsupport::TempDir empty;
    Globals::g_AppPath = empty.Path();
    w->mnuHelpWindow->trigger();
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("cannot be found"), std::string::npos);
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
}

TEST_F(HelpCommand, ParametersItemStaysHiddenButItsCommandOpensTheDialog) {
    QString seen;
    auto look = [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            seen = modal->windowTitle();
            modal->close();
        }
    };
    // Nothing in the program shows the item; a test can.
    EXPECT_FALSE(w->mnuViewParameters->isVisible());
    w->mnuViewParameters->setVisible(true);
    QTimer::singleShot(0, look);
    w->mnuViewParameters->trigger();
    EXPECT_EQ(seen, "Parameters");
}
