#pragma once
// Helpers shared by the tests: a temporary folder, the application folder of
// the build, a progress recorder and a prompt with scripted answers.

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/Progress.h"
#include "common/Prompt.h"

namespace testsupport {

// A fresh folder removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
private:
    std::filesystem::path m_path;
};

// The folder beside the executable where the build puts the template
// database, html templates and help (QA_APP_DIR, set by CTest).
std::filesystem::path AppDir();
// The project's source folder (QA_SOURCE_DIR, set by CTest).
std::filesystem::path SourceDir();
// Copies the built OrderEntry sample into folder as <name>.hxp with its
// folder <name>; returns the workspace file. Throws when the sample is not
// built.
std::filesystem::path CopyBuiltSample(const std::filesystem::path& folder, const std::string& name = "OrderEntry");

// Records every progress call as a line of text; can cancel after a step.
class RecordingProgress : public common::IProgress {
public:
    void StartProgress(const std::string& action, long total, bool withCancel) override;
    void StartStep(const std::string& action) override;
    void FinishStep(long length) override;
    void StepShare(double share) override { shares.push_back({done, share}); }
    void FinishProgress() override;
    bool Cancelled() const override { return m_cancelled; }
    void Action(const std::string& caption) override;

    // Cancel once a step with this caption has started (empty: never).
    std::string cancelAtStep;
    // Or cancel once this many StartStep calls were made (0: never).
    int cancelAfterSteps = 0;
    // Or cancel once the steps finished add up to this many (0: never): a
    // point the work defines, such as the end of a program. The count above
    // also takes the empty steps of waits, which a busy machine adds.
    long cancelWhenDone = 0;

    std::vector<std::string> calls;
    std::vector<std::string> steps;
    int level = 0;
    int maxLevel = 0;
    long done = 0;
    // Each StepShare, with the steps done when it came.
    std::vector<std::pair<long, double>> shares;
private:
    bool m_cancelled = false;
    int m_stepCount = 0;
};

// Answers questions from a queue; records every question asked.
class ScriptedPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon icon) override;
    std::deque<common::Answer> answers;   // used front first; OK/Yes when empty
    std::vector<std::string> asked;       // the texts, in order
    std::vector<std::string> titles;
};

}  // namespace testsupport
