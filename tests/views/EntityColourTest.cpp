// The colour of an entity's box by its kind and SOA category.

#include <gtest/gtest.h>

#include "views/EntityColour.h"

namespace {

using platform::diagram::Rgb;

TEST(EntityColour, EveryKindAndCategoryHasItsColour) {
    const struct {
        const char* kind;
        int code;
        platform::diagram::Colour colour;
    } cases[] = {
        {"MAP", 0, Rgb(0, 0, 0)},          {"MAP", 3, Rgb(0, 0, 0)},
        {"PROGRAM", 1, Rgb(0, 182, 182)},  {"PROGRAM", 2, Rgb(0, 182, 182)},
        {"PROGRAM", 3, Rgb(0, 182, 182)},  {"PROGRAM", 4, Rgb(0, 182, 182)},
        {"PROGRAM", 10, Rgb(0, 123, 183)}, {"PROGRAM", 11, Rgb(0, 123, 183)},
        {"PROGRAM", 20, Rgb(255, 255, 0)}, {"PROGRAM", 21, Rgb(255, 255, 0)},
        {"PROGRAM", 22, Rgb(255, 255, 0)}, {"PROGRAM", 23, Rgb(255, 255, 200)},
        {"PROGRAM", 30, Rgb(255, 128, 0)}, {"PROGRAM", 31, Rgb(255, 128, 0)},
        {"PROGRAM", 32, Rgb(255, 128, 0)}, {"PROGRAM", 33, Rgb(255, 191, 128)},
        {"PROGRAM", 60, Rgb(255, 230, 230)}, {"PROGRAM", 90, Rgb(200, 0, 200)},
        // Not classified, the two codes never given, and neighbours of the ranges.
        {"PROGRAM", 0, Rgb(255, 255, 255)}, {"PROGRAM", 40, Rgb(255, 255, 255)},
        {"PROGRAM", 50, Rgb(255, 255, 255)}, {"PROGRAM", 5, Rgb(255, 255, 255)},
        {"PROGRAM", 12, Rgb(255, 255, 255)}, {"PROGRAM", 24, Rgb(255, 255, 255)},
        {"PROGRAM", -1, Rgb(255, 255, 255)},
        // The kind is compared exactly.
        {"program", 3, Rgb(255, 255, 255)}, {"map", 0, Rgb(255, 255, 255)},
        {"store", 0, Rgb(255, 255, 255)},   {"store", 3, Rgb(255, 255, 255)},
        {"", 90, Rgb(255, 255, 255)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Globals::EntityColour(c.kind, c.code), c.colour) << c.kind << " " << c.code;
}

}  // namespace
