#include "tests/support/TestSupport.h"

#include <stdexcept>

#include <atomic>
#include <cstdlib>
#include <random>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    for (;;) {
        m_path = fs::temp_directory_path() /
                 ("qa-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        if (fs::create_directory(m_path)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

fs::path AppDir() {
    const char* d = std::getenv("QA_APP_DIR");
    return d ? fs::path(d) : fs::path(QA_DEFAULT_APP_DIR);
}

fs::path SourceDir() {
    const char* d = std::getenv("QA_SOURCE_DIR");
    return d ? fs::path(d) : fs::path(QA_DEFAULT_SOURCE_DIR);
}

fs::path CopyBuiltSample(const fs::path& folder, const std::string& name) {
    const fs::path built = AppDir().parent_path() / "samples";
    if (!fs::exists(built / "OrderEntry.hxp")) throw std::runtime_error("The sample is not built: " + built.string());
    fs::copy(built / "OrderEntry", folder / name, fs::copy_options::recursive);
    fs::copy_file(built / "OrderEntry.hxp", folder / (name + ".hxp"));
    return folder / (name + ".hxp");
}

void RecordingProgress::StartProgress(const std::string& action, long total, bool withCancel) {
    calls.push_back("StartProgress(" + action + "," + std::to_string(total) + "," + (withCancel ? "T" : "F") + ")");
    ++level;
    if (level > maxLevel) maxLevel = level;
}

void RecordingProgress::StartStep(const std::string& action) {
    calls.push_back("StartStep(" + action + ")");
    steps.push_back(action);
    ++m_stepCount;
    if ((!cancelAtStep.empty() && action == cancelAtStep) || (cancelAfterSteps > 0 && m_stepCount >= cancelAfterSteps))
        m_cancelled = true;
}

void RecordingProgress::FinishStep(long length) {
    calls.push_back("FinishStep(" + std::to_string(length) + ")");
    done += length;
    if (cancelWhenDone > 0 && done >= cancelWhenDone) m_cancelled = true;
}

void RecordingProgress::FinishProgress() {
    calls.push_back("FinishProgress");
    --level;
}

void RecordingProgress::Action(const std::string& caption) { calls.push_back("Action(" + caption + ")"); }

common::Answer ScriptedPrompt::Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                                   common::Icon) {
    asked.push_back(text);
    titles.push_back(title);
    if (!answers.empty()) {
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case common::Buttons::YesNo:
    case common::Buttons::YesNoCancel: return common::Answer::Yes;
    default: return common::Answer::OK;
    }
}

}  // namespace testsupport
