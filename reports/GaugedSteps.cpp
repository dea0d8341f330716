#include "reports/GaugedSteps.h"

#include <algorithm>

namespace mdlReports {

GaugedSteps::GaugedSteps(common::IProgress& shown, platform::xml::ReadGauge& gauge, std::uint64_t fileBytes,
                         std::uint64_t maxNodes, long length)
    : m_shown(shown), m_gauge(gauge), m_fileBytes(fileBytes), m_maxNodes(maxNodes), m_length(length) {}

void GaugedSteps::StartProgress(const std::string& action, long totalLength, bool withCancel) {
    m_shown.StartProgress(action, totalLength, withCancel);
}

void GaugedSteps::StartStep(const std::string& action) {
    m_shown.StartStep(action);
    if (m_shown.Cancelled()) m_gauge.stop = true;
    const long reached = Reached();
    if (reached > m_moved) {
        m_shown.FinishStep(reached - m_moved);
        m_moved = reached;
    }
}

void GaugedSteps::FinishStep(long length) { m_shown.FinishStep(length); }
void GaugedSteps::FinishProgress() { m_shown.FinishProgress(); }
bool GaugedSteps::Cancelled() const { return m_shown.Cancelled(); }
void GaugedSteps::Action(const std::string& caption) { m_shown.Action(caption); }

void GaugedSteps::Complete() {
    if (m_moved < m_length) m_shown.FinishStep(m_length - m_moved);
    m_moved = m_length;
}

long GaugedSteps::Reached() const {
    // Whichever end is nearer: a file of one pair repeated, or of
    // comments, ends at its count of nodes long before its size.
    double part = 0;
    if (m_fileBytes > 0) part = static_cast<double>(m_gauge.bytes.load()) / static_cast<double>(m_fileBytes);
    if (m_maxNodes > 0)
        part = std::max(part, static_cast<double>(m_gauge.nodes.load()) / static_cast<double>(m_maxNodes));
    return std::min(m_length, static_cast<long>(part * static_cast<double>(m_length)));
}

}  // namespace mdlReports
