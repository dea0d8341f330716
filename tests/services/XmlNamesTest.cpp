#include <gtest/gtest.h>

#include "services/XmlNames.h"

using services::IsXmlName;
using services::ToXmlName;
using services::UniqueNames;

TEST(XmlNames, FreeTextsBecomeNames) {
    EXPECT_EQ(ToXmlName("char 10"), "char_10");
    EXPECT_EQ(ToXmlName("decimal 9(2)"), "decimal_9_2");
    EXPECT_EQ(ToXmlName("decimal 9()"), "decimal_9");
    EXPECT_EQ(ToXmlName("Order Entry"), "Order_Entry");
    EXPECT_EQ(ToXmlName("ORD#PROG"), "ORD_PROG");
    EXPECT_EQ(ToXmlName("A@B$C"), "A_B_C");
    EXPECT_EQ(ToXmlName("1PROG"), "_1PROG");
    EXPECT_EQ(ToXmlName("-X"), "_-X");
    EXPECT_EQ(ToXmlName("#PROG"), "_PROG");
    EXPECT_EQ(ToXmlName("a:b"), "a_b");
    EXPECT_EQ(ToXmlName(""), "_");
    EXPECT_EQ(ToXmlName("###"), "_");
}

TEST(XmlNames, ValidNamesAndLettersBeyondAsciiStay) {
    EXPECT_EQ(ToXmlName("ORDPROG.In"), "ORDPROG.In");
    EXPECT_EQ(ToXmlName("cust-no_2"), "cust-no_2");
    EXPECT_EQ(ToXmlName("Bestellübersicht"), "Bestellübersicht");
    EXPECT_EQ(ToXmlName("受注"), "受注");
    // U+00D7 (multiplication sign) is no name character.
    EXPECT_EQ(ToXmlName("a\xC3\x97" "b"), "a_b");
    // Broken UTF-8 never passes into a name.
    EXPECT_EQ(ToXmlName("a\xFF" "b"), "a_b");
    EXPECT_TRUE(IsXmlName(ToXmlName("a\xC3" "")));
}

TEST(XmlNames, ResultsAreAlwaysNames) {
    for (const char* s : {"char 10", "1", "..", "9(2)", " x ", "Order Entry", "\xE2\x82\xAC" "100"})
        EXPECT_TRUE(IsXmlName(ToXmlName(s))) << s;
    EXPECT_FALSE(IsXmlName(""));
    EXPECT_FALSE(IsXmlName("1a"));
    EXPECT_FALSE(IsXmlName("a b"));
    EXPECT_FALSE(IsXmlName("a:b"));
    EXPECT_TRUE(IsXmlName("_a.b-c"));
}

TEST(XmlNames, UniqueNamesNumberLaterClaims) {
    UniqueNames names;
    EXPECT_EQ(names.Claim("filler"), "filler");
    EXPECT_EQ(names.Claim("filler"), "filler_2");
    EXPECT_EQ(names.Claim("filler"), "filler_3");
    // A name that happens to look like a numbered one is still unique.
    EXPECT_EQ(names.Claim("x_2"), "x_2");
    EXPECT_EQ(names.Claim("x"), "x");
    EXPECT_EQ(names.Claim("x"), "x_3");
}
