#pragma once
// SOA category codes kept in Ents.SOAType, and the captions every window,
// diagram and report shows for them.

#include <cstdint>
#include <string_view>

namespace common::SoaType {

constexpr int16_t Unclassified = 0;  // no rule has matched; also screens and data stores
constexpr int16_t ClientFacing = 1;
constexpr int16_t ClientFacingCalled = 2;
constexpr int16_t ClientFacingData = 3;
constexpr int16_t ClientFacingCalledData = 4;
constexpr int16_t Transitional = 10;
constexpr int16_t TransitionalCalled = 11;
constexpr int16_t FrontierDataAccess = 20;
constexpr int16_t FrontierDataLogic = 21;
constexpr int16_t FrontierLogicOnly = 22;
constexpr int16_t FrontierIrregular = 23;
constexpr int16_t ServerDataAccess = 30;
constexpr int16_t ServerDataLogic = 31;
constexpr int16_t ServerLogicOnly = 32;
constexpr int16_t ServerIrregular = 33;
constexpr int16_t Frontier = 40;    // has a caption, never given
constexpr int16_t Server = 50;      // has a caption, never given
constexpr int16_t NoCategory = 60;
constexpr int16_t Screens = 70;     // group of the Summary tree, never stored
constexpr int16_t DataStores = 80;  // group of the Summary tree, never stored
constexpr int16_t Batch = 90;

// The caption of a code; the empty text for a code without one.
std::string_view Caption(int code);

// Client Facing and Transitional codes: 1, 2, 3, 4, 10 and 11.
constexpr bool IsClientType(int code) {
    return (code >= ClientFacing && code <= ClientFacingCalledData) || code == Transitional ||
           code == TransitionalCalled;
}

}  // namespace common::SoaType
