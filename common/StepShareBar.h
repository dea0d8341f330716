#pragma once
// A progress level whose bar moves within its steps. The window's bar
// counts whole steps, and a level opened inside another only adds its
// steps to the bar's maximum. So the level asked for is shown in
// hundredths: an inner level of 99 times its steps, opened and closed with
// it, makes each of its steps a hundred on the bar, StepShare moves the bar
// by the hundredths of the step under way, and FinishStep adds the rest of
// the step. The bar stands where a bar of whole steps would after every
// FinishStep; the levels opened inside pass through as they come.

#include <string>

#include "common/Progress.h"

namespace common {

class StepShareBar : public IProgress {
public:
    // How many parts a step of the level in parts has on the bar.
    static constexpr long kParts = 100;

    explicit StepShareBar(IProgress& inner) : m_inner(inner) {}

    // The next outermost level opened through this one is shown in parts.
    void PartsForNextLevel() { m_partsNext = true; }

    void StartProgress(const std::string& action, long totalLength, bool withCancel) override;
    void StartStep(const std::string& action) override { m_inner.StartStep(action); }
    void FinishStep(long length) override;
    void StepShare(double share) override;
    void FinishProgress() override;
    bool Cancelled() const override { return m_inner.Cancelled(); }
    void Action(const std::string& caption) override { m_inner.Action(caption); }

private:
    // Whether the level under way is the one in parts.
    bool InParts() const { return m_parts && m_depth == 1; }

    IProgress& m_inner;
    int m_depth = 0;           // levels open through this one
    bool m_partsNext = false;
    bool m_parts = false;      // the outermost level is in parts
    long m_shown = 0;          // parts of the step under way on the bar
};

}  // namespace common
