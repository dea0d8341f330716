#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/SoaType.h"

using namespace common;

TEST(SoaType, EveryCodeHasItsCaptionAndOthersNone) {
    const std::map<int, std::string> captions = {
        {1, "Client Facing"},         {2, "Client Facing Called"},  {3, "Client Facing Data"},
        {4, "Client Facing Called Data"}, {10, "Transitional"},     {11, "Transitional Called"},
        {20, "Frontier Data Access"}, {21, "Frontier Data Logic"},  {22, "Frontier Logic Only"},
        {23, "Frontier Irregular"},   {30, "Server Data Access"},   {31, "Server Data Logic"},
        {32, "Server Logic Only"},    {33, "Server Irregular"},     {40, "Frontier"},
        {50, "Server"},               {60, "No Category"},          {70, "Screens"},
        {80, "Data Stores"},          {90, "Batch"},
    };
    for (int code = -1; code <= 100; ++code) {
        auto it = captions.find(code);
        EXPECT_EQ(std::string(SoaType::Caption(code)), it == captions.end() ? "" : it->second) << code;
    }
    for (int code : {1, 2, 3, 4, 10, 11}) EXPECT_TRUE(SoaType::IsClientType(code)) << code;
    for (int code : {0, 5, 9, 12, 20, 33, 60, 90}) EXPECT_FALSE(SoaType::IsClientType(code)) << code;
}
