#pragma once
// A save dialog that answers from a queue and records what it was shown.

#include <deque>
#include <vector>

#include "services/SaveLoop.h"

namespace testsupport {

class ScriptedSaveDialog : public services::ISaveDialog {
public:
    services::SaveDialogResult ShowSave(const services::SaveDialogSpec& spec) override {
        shown.push_back(spec);
        if (results.empty()) return {services::SaveDialogOutcome::Cancelled, {}};
        auto r = results.front();
        results.pop_front();
        return r;
    }
    void Choose(const std::filesystem::path& file) { results.push_back({services::SaveDialogOutcome::Chosen, file}); }
    void Cancel() { results.push_back({services::SaveDialogOutcome::Cancelled, {}}); }
    void Fail() { results.push_back({services::SaveDialogOutcome::Failed, {}}); }

    std::deque<services::SaveDialogResult> results;
    std::vector<services::SaveDialogSpec> shown;
};

}  // namespace testsupport
