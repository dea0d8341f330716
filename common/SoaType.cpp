#include "common/SoaType.h"

namespace common::SoaType {

std::string_view Caption(int code) {
    switch (code) {
        case ClientFacing: return "Client Facing";
        case ClientFacingCalled: return "Client Facing Called";
        case ClientFacingData: return "Client Facing Data";
        case ClientFacingCalledData: return "Client Facing Called Data";
        case Transitional: return "Transitional";
        case TransitionalCalled: return "Transitional Called";
        case FrontierDataAccess: return "Frontier Data Access";
        case FrontierDataLogic: return "Frontier Data Logic";
        case FrontierLogicOnly: return "Frontier Logic Only";
        case FrontierIrregular: return "Frontier Irregular";
        case ServerDataAccess: return "Server Data Access";
        case ServerDataLogic: return "Server Data Logic";
        case ServerLogicOnly: return "Server Logic Only";
        case ServerIrregular: return "Server Irregular";
        case Frontier: return "Frontier";
        case Server: return "Server";
        case NoCategory: return "No Category";
        case Screens: return "Screens";
        case DataStores: return "Data Stores";
        case Batch: return "Batch";
        default: return {};
    }
}

}  // namespace common::SoaType
