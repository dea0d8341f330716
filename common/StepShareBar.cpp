#include "common/StepShareBar.h"

#include <algorithm>
#include <cmath>

namespace common {

void StepShareBar::StartProgress(const std::string& action, long totalLength, bool withCancel) {
    m_inner.StartProgress(action, totalLength, withCancel);
    if (m_depth++ > 0 || !m_partsNext) return;
    m_partsNext = false;
    m_parts = true;
    m_shown = 0;
    // No caption: the outer level's stays; a level of 0 steps is one on
    // the bar, as the outer level counts it too.
    m_inner.StartProgress("", std::max(1L, totalLength) * (kParts - 1), withCancel);
}

void StepShareBar::FinishStep(long length) {
    if (!InParts() || length <= 0) {
        m_inner.FinishStep(InParts() ? length * kParts : length);
        return;
    }
    m_inner.FinishStep(length * kParts - m_shown);
    m_shown = 0;
}

void StepShareBar::StepShare(double share) {
    if (!InParts()) {
        m_inner.StepShare(share);
        return;
    }
    // The last part is left to FinishStep: a share never finishes a step.
    const long due = std::clamp(static_cast<long>(std::floor(share * kParts)), 0L, kParts - 1);
    if (due <= m_shown) return;
    m_inner.FinishStep(due - m_shown);
    m_shown = due;
}

void StepShareBar::FinishProgress() {
    if (m_depth == 0) {
        // Unbalanced: the window decides what that means.
        m_inner.FinishProgress();
        return;
    }
    if (InParts()) {
        m_parts = false;
        m_inner.FinishProgress();
    }
    --m_depth;
    m_inner.FinishProgress();
}

}  // namespace common
