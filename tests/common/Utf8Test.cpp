// The one UTF-8 reading: each boundary of a well-formed sequence, and the
// byte that starts none.

#include <gtest/gtest.h>

#include <string_view>

#include "common/Utf8.h"

namespace {

TEST(Utf8, DecodesTheShortestFormsUpToU10FFFFAndNothingElse) {
    struct Case {
        std::string_view bytes;
        char32_t codePoint;
        size_t length;  // 0: ill-formed at the first byte
    } cases[] = {
        {"A", U'A', 1},
        {std::string_view("\0", 1), 0, 1},
        {"\x7F", 0x7F, 1},
        {"\xC2\x80", 0x80, 2},
        {"\xDF\xBF", 0x7FF, 2},
        {"\xE0\xA0\x80", 0x800, 3},
        {"\xED\x9F\xBF", 0xD7FF, 3},
        {"\xEE\x80\x80", 0xE000, 3},
        {"\xEF\xBF\xBF", 0xFFFF, 3},
        {"\xF0\x90\x80\x80", 0x10000, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"\xC3\xA4rger", 0xE4, 2},            // what follows is not read
        {"\x80", 0, 0},                        // a stray continuation byte
        {"\xC0\x80", 0, 0},                    // overlong NUL
        {"\xC1\xBF", 0, 0},                    // overlong two-byte form
        {"\xE0\x9F\xBF", 0, 0},                // overlong three-byte form
        {"\xF0\x8F\xBF\xBF", 0, 0},            // overlong four-byte form
        {"\xED\xA0\x80", 0, 0},                // a high surrogate
        {"\xED\xBF\xBF", 0, 0},                // a low surrogate
        {"\xF4\x90\x80\x80", 0, 0},            // past U+10FFFF
        {"\xF5\x80\x80\x80", 0, 0},            // a lead byte that is never used
        {"\xFF", 0, 0},
        {"\xE2\x82", 0, 0},                    // cut off at the end
        {"\xE2\x28\xA1", 0, 0},                // a continuation byte missing
    };
    for (const Case& c : cases) {
        const common::Utf8Char got = common::DecodeUtf8(c.bytes, 0);
        EXPECT_EQ(got.length, c.length) << testing::PrintToString(c.bytes);
        if (c.length) {
            EXPECT_EQ(static_cast<uint32_t>(got.codePoint), static_cast<uint32_t>(c.codePoint));
        }
    }
}

TEST(Utf8, ATextIsValidOnlyWhenEveryCharacterIs) {
    EXPECT_TRUE(common::IsValidUtf8(""));
    EXPECT_TRUE(common::IsValidUtf8("MENU01 \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(common::IsValidUtf8("MENU01 \xE4"));          // Latin-1, not UTF-8
    EXPECT_FALSE(common::IsValidUtf8("\xE2\x82\xAC\xE2\x82"));  // the last one cut off
    // Decoding at a later position reads from there.
    EXPECT_EQ(common::DecodeUtf8("a\xE2\x82\xAC", 1).length, 3u);
}

}  // namespace
