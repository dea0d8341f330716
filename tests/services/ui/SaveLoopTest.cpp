#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "services/SaveLoop.h"
#include "tests/services/ui/ScriptedSaveDialog.h"
#include "tests/support/TestSupport.h"

using common::Answer;
using services::SaveWithLoop;

namespace {

std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::filesystem::path& file, const std::string& text) { std::ofstream(file) << text; }

services::SaveDialogSpec Spec() {
    services::SaveDialogSpec spec;
    spec.title = "Save WSDL";
    spec.filter = "WSDL (*.xml)|*.xml";
    spec.defaultExtension = ".xml";
    spec.fileName = "Orders-WSDL.xml";
    return spec;
}

auto Writer(const std::string& text) {
    return [text](const std::filesystem::path& file) { WriteText(file, text); };
}

}  // namespace

TEST(SaveLoop, NewFileIsWrittenWithoutAQuestion) {
    testsupport::TempDir dir;
    testsupport::ScriptedSaveDialog dialog;
    testsupport::ScriptedPrompt prompt;
    dialog.Choose(dir / "new.xml");
    EXPECT_TRUE(SaveWithLoop(dialog, prompt, Spec(), Writer("doc")));
    EXPECT_EQ(Read(dir / "new.xml"), "doc");
    EXPECT_TRUE(prompt.asked.empty());
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].fileName, "Orders-WSDL.xml");
    EXPECT_EQ(dialog.shown[0].title, "Save WSDL");
}

TEST(SaveLoop, CancelAtTheDialogWritesNothing) {
    testsupport::ScriptedSaveDialog dialog;
    testsupport::ScriptedPrompt prompt;
    dialog.Cancel();
    bool wrote = false;
    EXPECT_FALSE(SaveWithLoop(dialog, prompt, Spec(), [&](const std::filesystem::path&) { wrote = true; }));
    EXPECT_FALSE(wrote);
    EXPECT_TRUE(prompt.asked.empty());
}

TEST(SaveLoop, ExistingFileAnswers) {
    testsupport::TempDir dir;
    const auto file = dir / "old.xml";

    {   // Yes overwrites.
        WriteText(file, "old");
        testsupport::ScriptedSaveDialog dialog;
        testsupport::ScriptedPrompt prompt;
        dialog.Choose(file);
        prompt.answers = {Answer::Yes};
        EXPECT_TRUE(SaveWithLoop(dialog, prompt, Spec(), Writer("new")));
        EXPECT_EQ(Read(file), "new");
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.asked[0], "The file already exists. Do you want to overwrite it?");
        EXPECT_EQ(prompt.titles[0], "Overwrite?");
    }
    {   // Cancel ends without writing.
        WriteText(file, "old");
        testsupport::ScriptedSaveDialog dialog;
        testsupport::ScriptedPrompt prompt;
        dialog.Choose(file);
        prompt.answers = {Answer::Cancel};
        EXPECT_FALSE(SaveWithLoop(dialog, prompt, Spec(), Writer("new")));
        EXPECT_EQ(Read(file), "old");
        EXPECT_EQ(dialog.shown.size(), 1u);
    }
    {   // No shows the dialog again with the default name, not the one chosen.
        WriteText(file, "old");
        testsupport::ScriptedSaveDialog dialog;
        testsupport::ScriptedPrompt prompt;
        dialog.Choose(file);
        dialog.Choose(dir / "other.xml");
        prompt.answers = {Answer::No};
        EXPECT_TRUE(SaveWithLoop(dialog, prompt, Spec(), Writer("new")));
        EXPECT_EQ(Read(file), "old");
        EXPECT_EQ(Read(dir / "other.xml"), "new");
        ASSERT_EQ(dialog.shown.size(), 2u);
        EXPECT_EQ(dialog.shown[1].fileName, "Orders-WSDL.xml");
    }
}

TEST(SaveLoop, RefusedNameFallsBackOnceWhenAFallbackIsGiven) {
    testsupport::TempDir dir;
    {
        testsupport::ScriptedSaveDialog dialog;
        testsupport::ScriptedPrompt prompt;
        auto spec = Spec();
        spec.fallbackFileName = "WSDL.xml";
        dialog.Fail();
        dialog.Choose(dir / "WSDL.xml");
        EXPECT_TRUE(SaveWithLoop(dialog, prompt, spec, Writer("x")));
        ASSERT_EQ(dialog.shown.size(), 2u);
        EXPECT_EQ(dialog.shown[1].fileName, "WSDL.xml");
    }
    {   // A second failure ends.
        testsupport::ScriptedSaveDialog dialog;
        testsupport::ScriptedPrompt prompt;
        auto spec = Spec();
        spec.fallbackFileName = "WSDL.xml";
        dialog.Fail();
        dialog.Fail();
        dialog.Choose(dir / "never.xml");
        EXPECT_FALSE(SaveWithLoop(dialog, prompt, spec, Writer("x")));
        EXPECT_EQ(dialog.shown.size(), 2u);
    }
    {   // Without a fallback a failure ends at once.
        testsupport::ScriptedSaveDialog dialog;
        testsupport::ScriptedPrompt prompt;
        dialog.Fail();
        dialog.Choose(dir / "never.xml");
        EXPECT_FALSE(SaveWithLoop(dialog, prompt, Spec(), Writer("x")));
        EXPECT_EQ(dialog.shown.size(), 1u);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "never.xml"));
}

TEST(SaveLoop, FailedWriteIsReportedWithFileAndReason) {
    testsupport::TempDir dir;
    testsupport::ScriptedSaveDialog dialog;
    testsupport::ScriptedPrompt prompt;
    const auto file = dir / "missing folder" / "out.xml";
    dialog.Choose(file);
    EXPECT_FALSE(SaveWithLoop(dialog, prompt, Spec(), [](const std::filesystem::path&) {
        throw std::runtime_error("No such file or directory");
    }));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find(file.string()), std::string::npos);
    EXPECT_NE(prompt.asked[0].find("No such file or directory"), std::string::npos);
    EXPECT_EQ(prompt.titles[0], "Save WSDL");
}
