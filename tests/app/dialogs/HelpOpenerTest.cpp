#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/dialogs/HelpOpener.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

namespace {

struct RecordingOpener {
    bool answer = true;
    std::vector<QUrl> opened;
    dialogs::UrlOpener Fn() {
        return [this](const QUrl& url) {
            opened.push_back(url);
            return answer;
        };
    }
};

}  // namespace

TEST(Help, OpensTheHelpFileOfTheApplicationFolder) {
    testsupport::TempDir app;
    std::ofstream(app / "Ostrel_SOA_Help.html") << "<html></html>";
    testsupport::ScriptedPrompt prompt;
    RecordingOpener opener;
    EXPECT_TRUE(dialogs::OpenHelp(app.Path(), prompt, "Quarvel Analyzer", opener.Fn()));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_TRUE(opener.opened[0].isLocalFile());
    EXPECT_EQ(opener.opened[0].toLocalFile().toStdString(), (app / "Ostrel_SOA_Help.html").string());
    EXPECT_TRUE(prompt.asked.empty());
}

TEST(Help, MissingFileGivesAMessageAndOpensNothing) {
    testsupport::TempDir app;
    testsupport::ScriptedPrompt prompt;
    RecordingOpener opener;
    EXPECT_FALSE(dialogs::OpenHelp(app.Path(), prompt, "Quarvel Analyzer", opener.Fn()));
    EXPECT_TRUE(opener.opened.empty());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("Ostrel_SOA_Help.html"), std::string::npos);
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
}

TEST(Help, NothingToOpenItGivesAMessage) {
    testsupport::TempDir app;
    std::ofstream(app / "Ostrel_SOA_Help.html") << "<html></html>";
    testsupport::ScriptedPrompt prompt;
    RecordingOpener opener;
    opener.answer = false;
    EXPECT_FALSE(dialogs::OpenHelp(app.Path(), prompt, "Quarvel Analyzer", opener.Fn()));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("No program"), std::string::npos);
}

// xdg-open may start and only then find no browser that runs (it exits 3
// or 4): what it answered at once cannot say so, so its end must.
TEST(Help, TheDesktopOpenerTellsWhenItsLauncherEndsWithoutAViewer) {
    testsupport::TempDir bin;
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\ncase \"$1\" in *good*) exit 0;; esac\nexit 4\n";
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.Path().string()));
    std::vector<QUrl> failed;
    const auto opener = dialogs::DesktopUrlOpener([&failed](const QUrl& url) { failed.push_back(url); });
    const QUrl bad = QUrl::fromLocalFile("/tmp/bad/index.html"), good = QUrl::fromLocalFile("/tmp/good/index.html");
    EXPECT_TRUE(opener(good));
    EXPECT_TRUE(opener(bad));
    qputenv("PATH", path);
    // Both launchers' ends, the good one's too: a launcher still running when
    // the test ends would be killed and tell its end to a list gone by then.
    const auto running = [] { return !QCoreApplication::instance()->findChildren<QProcess*>().isEmpty(); };
    EXPECT_TRUE(testsupport::RunEventsUntil([&] { return !failed.empty() && !running(); }))
        << "no launcher's end was told";
    EXPECT_EQ(failed, std::vector<QUrl>{bad});
}

TEST(Help, OurHelpDocumentShipsWithTheSources) {
    std::ifstream in(testsupport::SourceDir() / "resources/help" / dialogs::kHelpFileName);
    ASSERT_TRUE(in) << "the help document is missing";
    std::stringstream text;
    text << in.rdbuf();
    for (const char* topic : {"<title>", "Open Workspace", "Summary", "Web Operations", "Web Services", "WSDL"})
        EXPECT_NE(text.str().find(topic), std::string::npos) << topic;
}

TEST(About, TitleBlankMajorPointMinor) {
    EXPECT_EQ(dialogs::AboutText("Quarvel Analyzer", "1.0.0"), "Quarvel Analyzer 1.0");
    EXPECT_EQ(dialogs::AboutText("Quarvel Analyzer", "2.13.4"), "Quarvel Analyzer 2.13");
    EXPECT_EQ(dialogs::AboutText("T", "3"), "T 3.0");
}
