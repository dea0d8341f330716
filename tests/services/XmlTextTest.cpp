#include <gtest/gtest.h>

#include "services/XmlText.h"

using Globals::FlattenXML;
using Globals::IndentXML;

namespace {
const char* kStored =
    "<definitions><message name=\"P.In\"><part name=\"a\" element=\"char 10\"/>"
    "<part name=\"b\" element=\"integer 4\"/></message>"
    "<message name=\"P.Out\"><part name=\"a\" element=\"char 10\"/></message></definitions>";
const char* kShown =
    "<message name=\"P.In\">\n"
    "    <part name=\"a\" element=\"char 10\"/>\n"
    "    <part name=\"b\" element=\"integer 4\"/>\n"
    "</message>\n"
    "<message name=\"P.Out\">\n"
    "    <part name=\"a\" element=\"char 10\"/>\n"
    "</message>";
}  // namespace

TEST(XmlText, FlattenRemovesLineBreaksAndKeepsQuotes) {
    EXPECT_EQ(FlattenXML("<a>\r\n<b x=\"1\"/>\n<c/>\r</a>"), "<a><b x=\"1\"/><c/></a>");
    EXPECT_EQ(FlattenXML("<xsd:schema/>"), "<schema/>");
    EXPECT_EQ(FlattenXML("<definitions/>"), "<definitions/>");
    EXPECT_EQ(FlattenXML(""), "");
}

TEST(XmlText, IndentShowsOneTagPerLine) {
    EXPECT_EQ(IndentXML(kStored), kShown);
    // Applying it to its own result, or to an already indented text, changes nothing.
    EXPECT_EQ(IndentXML(kShown), kShown);
    EXPECT_EQ(IndentXML(std::string("\r\n  ") + kStored), kShown);
}

TEST(XmlText, IndentOfTextsWithoutMessages) {
    EXPECT_EQ(IndentXML(""), "");
    EXPECT_EQ(IndentXML("no tags at all"), "");
    EXPECT_EQ(IndentXML("<definitions/>"), "");
    EXPECT_EQ(IndentXML("<definitions></definitions>"), "");
}

TEST(XmlText, IndentNeverGoesBelowZero) {
    EXPECT_EQ(IndentXML("<message/></x></y>"), "<message/>\n</x>\n</y>");
    // A "<" at the very end or a tag left open ends the walk without harm.
    EXPECT_EQ(IndentXML("<message><"), "<message><");
    EXPECT_EQ(IndentXML("<message name=\"a"), "<message name=\"a");
}
