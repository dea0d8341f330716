#include "classify/ClassificationRules.h"

#include "common/SoaType.h"

namespace mdlReports {

namespace ST = common::SoaType;

void ApplyClientFacingRules(clsRecord& r) {
    if (!r.m_AccessScreen) return;
    if (r.m_CallsData)
        r.m_SOAType = r.m_Called ? ST::ClientFacingCalledData : ST::ClientFacingData;
    else
        r.m_SOAType = r.m_Called ? ST::ClientFacingCalled : ST::ClientFacing;
}

void ApplyTransitionalRules(clsRecord& r,
                            const std::function<bool(const std::string&)>& isBetweenClientXctls) {
    if (r.m_SOAType >= ST::ClientFacing && r.m_SOAType <= ST::ClientFacingCalledData) return;
    if (r.m_AccessScreen || !r.m_Xctls || !r.m_Xctled) return;
    if (isBetweenClientXctls(r.m_ProgramId))
        r.m_SOAType = r.m_Called ? ST::TransitionalCalled : ST::Transitional;
}

namespace {

// The four Frontier (or Server) rows share one shape: irregular when a client
// program lies below, else by where the data comes from. Returns false when
// no row matches (a screen program never reaches here: it has a client type).
bool DataShapeCode(const clsRecord& r, int16_t base, int16_t& code) {
    if (r.m_AccessScreen) return false;
    if (r.m_HasCFdownstream) {
        code = static_cast<int16_t>(base + 3);
    } else if (r.m_CallsData) {
        code = base;
    } else if (r.m_CallsDataIndirectly) {
        code = static_cast<int16_t>(base + 1);
    } else {
        code = static_cast<int16_t>(base + 2);
    }
    return true;
}

}  // namespace

void ApplyFrontierRules(clsRecord& r) {
    if (ST::IsClientType(r.m_SOAType)) return;
    int16_t code = 0;
    if (r.m_CalledXctledByCForTRAN && DataShapeCode(r, ST::FrontierDataAccess, code)) r.m_SOAType = code;
}

void ApplyFrontierServerRules(clsRecord& r) {
    if (ST::IsClientType(r.m_SOAType)) return;
    int16_t code = 0;
    if (r.m_CalledXctledByFRONTorSRVR && DataShapeCode(r, ST::ServerDataAccess, code))
        r.m_SOAType = code;
    else if (r.m_CalledXctledByCForTRAN && DataShapeCode(r, ST::FrontierDataAccess, code))
        r.m_SOAType = code;
    else
        r.m_SOAType = ST::NoCategory;
}

}  // namespace mdlReports
