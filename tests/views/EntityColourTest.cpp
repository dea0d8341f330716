// The colour of an entity's box by its kind and SOA category.

#include <gtest/gtest.h>

#include <vector>

#include "views/EntityColour.h"

namespace {

using platform::diagram::Rgb;

TEST(EntityColour, EveryKindAndCategoryHasItsColour) {
    const struct {
        const char* kind;
        std::vector<int> codes;
        platform::diagram::Colour colour;
    } cases[] = {
        {"MAP", {0, 3, 90}, Rgb(0, 0, 0)},
        {"PROGRAM", {1, 2, 3, 4}, Rgb(0, 182, 182)},
        {"PROGRAM", {10, 11}, Rgb(0, 123, 183)},
        {"PROGRAM", {20, 21, 22}, Rgb(255, 255, 0)},
        {"PROGRAM", {23}, Rgb(255, 255, 200)},
        {"PROGRAM", {30, 31, 32}, Rgb(255, 128, 0)},
        {"PROGRAM", {33}, Rgb(255, 191, 128)},
        {"PROGRAM", {60}, Rgb(255, 230, 230)},
        {"PROGRAM", {90}, Rgb(200, 0, 200)},
        // Not classified, the two codes never given, neighbours of the ranges.
        {"PROGRAM", {0, 40, 50, 5, 12, 24, -1}, Rgb(255, 255, 255)},
        // The kind is compared exactly.
        {"program", {3}, Rgb(255, 255, 255)},
        {"map", {0}, Rgb(255, 255, 255)},
        {"store", {0, 3}, Rgb(255, 255, 255)},
    };
    for (const auto& c : cases)
        for (int code : c.codes) EXPECT_EQ(Globals::EntityColour(c.kind, code), c.colour) << c.kind << " " << code;
}

}  // namespace
