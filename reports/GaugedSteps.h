#pragma once
// A read on another thread shown on a progress bar: the steps a waiting
// thread reports (common::AwaitStepping) move the bar to how far the read
// has come, and a confirmed Cancel asks the read to stop.

#include <cstdint>
#include <string>

#include "common/Progress.h"
#include "platform/xml/ElementStream.h"

namespace mdlReports {

class GaugedSteps final : public common::IProgress {
public:
    // The read is done at fileBytes bytes or at maxNodes nodes, whichever
    // comes first; the bar then has moved length.
    GaugedSteps(common::IProgress& shown, platform::xml::ReadGauge& gauge, std::uint64_t fileBytes,
                std::uint64_t maxNodes, long length);

    void StartProgress(const std::string& action, long totalLength, bool withCancel) override;
    // Lets the shown progress run its events, passes a Cancel on to the
    // gauge and moves the bar.
    void StartStep(const std::string& action) override;
    void FinishStep(long length) override;
    void FinishProgress() override;
    bool Cancelled() const override;
    void Action(const std::string& caption) override;

    // Moves the bar to its full length, what the steps have not yet moved.
    void Complete();

private:
    long Reached() const;

    common::IProgress& m_shown;
    platform::xml::ReadGauge& m_gauge;
    std::uint64_t m_fileBytes, m_maxNodes;
    long m_length, m_moved = 0;
};

}  // namespace mdlReports
