#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "services/WsdlSave.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using services::SaveDialogOutcome;
using services::SaveDialogResult;
using services::SaveDialogSpec;

namespace {

// Answers with the file names queued (relative to a folder), or fails /
// cancels when the queue says so; records every request.
class QueuedDialog : public services::ISaveDialog {
public:
    explicit QueuedDialog(fs::path folder) : m_folder(std::move(folder)) {}
    SaveDialogResult ShowSave(const SaveDialogSpec& spec) override {
        requests.push_back(spec);
        if (answers.empty()) return {SaveDialogOutcome::Cancelled, {}};
        std::string a = answers.front();
        answers.erase(answers.begin());
        if (a == "!fail") return {SaveDialogOutcome::Failed, {}};
        if (a == "=") a = spec.fileName;
        return {SaveDialogOutcome::Chosen, m_folder / a};
    }
    std::vector<std::string> answers;
    std::vector<SaveDialogSpec> requests;
private:
    fs::path m_folder;
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(WsdlSave, WritesUnderTheServicesRealName) {
    testsupport::TempDir dir;
    QueuedDialog dialog(dir.Path());
    dialog.answers = {"="};
    testsupport::ScriptedPrompt prompt;
    auto file = services::SaveWSDL("<x/>\n", "Order Entry", dialog, prompt);
    ASSERT_TRUE(file);
    EXPECT_EQ(*file, dir / "Order Entry-WSDL.xml");
    EXPECT_EQ(ReadAll(*file), "<x/>\n");
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].title, "Save WSDL");
    EXPECT_EQ(dialog.requests[0].filter, "WSDL (*.xml)|*.xml");
    EXPECT_EQ(dialog.requests[0].defaultExtension, ".xml");
    EXPECT_TRUE(prompt.asked.empty());
}

TEST(WsdlSave, RefusedNameFallsBackAndExistingFileIsAskedFor) {
    testsupport::TempDir dir;
    std::ofstream(dir / "WSDL.xml") << "old";
    QueuedDialog dialog(dir.Path());
    // The first name is refused, the fallback is taken; the file exists:
    // No opens the dialog again with the default name, then Yes overwrites.
    dialog.answers = {"!fail", "=", "WSDL.xml"};
    testsupport::ScriptedPrompt prompt;
    prompt.answers = {common::Answer::No, common::Answer::Yes};
    auto file = services::SaveWSDL("new", "S:1", dialog, prompt);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadAll(dir / "WSDL.xml"), "new");
    ASSERT_EQ(dialog.requests.size(), 3u);
    EXPECT_EQ(dialog.requests[0].fileName, "S:1-WSDL.xml");
    EXPECT_EQ(dialog.requests[1].fileName, "WSDL.xml");
    EXPECT_EQ(dialog.requests[2].fileName, "S:1-WSDL.xml");
    EXPECT_EQ(prompt.titles, (std::vector<std::string>{"Overwrite?", "Overwrite?"}));
}

TEST(WsdlSave, FailedWriteIsReportedWithPathAndReason) {
    testsupport::TempDir dir;
    QueuedDialog dialog(dir.Path());
    dialog.answers = {"missing folder/x.xml"};
    testsupport::ScriptedPrompt prompt;
    EXPECT_FALSE(services::SaveWSDL("text", "S", dialog, prompt));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find((dir / "missing folder/x.xml").string()), std::string::npos);
    EXPECT_NE(prompt.asked[0].find("No such file or directory"), std::string::npos);
}

TEST(WsdlSave, CancelWritesNothing) {
    testsupport::TempDir dir;
    QueuedDialog dialog(dir.Path());
    testsupport::ScriptedPrompt prompt;
    EXPECT_FALSE(services::SaveWSDL("text", "S", dialog, prompt));
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}
