#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "services/WsdlGenerator.h"

using services::ParseTypeText;
using services::SchemaType;
using services::StoredMessage;
using services::WsdlBuilder;

namespace {

std::string Facets(const SchemaType& t) {
    std::string s = t.base;
    if (t.maxLength) s += " maxLength=" + *t.maxLength;
    if (t.totalDigits) s += " totalDigits=" + *t.totalDigits;
    if (t.fractionDigits) s += " fractionDigits=" + *t.fractionDigits;
    return s;
}

}  // namespace

TEST(WsdlTypes, TypeTextsGiveBasesWithPrefixAndValidFacets) {
    const std::pair<const char*, const char*> cases[] = {
        {"char 10", "xsd:string maxLength=10"},
        {"unknown 5", "xsd:string maxLength=5"},
        {"integer 4", "xsd:integer totalDigits=4"},
        {"decimal 9(2)", "xsd:decimal totalDigits=9 fractionDigits=2"},
        {"decimal 7(0)", "xsd:decimal totalDigits=7 fractionDigits=0"},
        {"decimal 5(5)", "xsd:decimal totalDigits=5 fractionDigits=5"},
        // The code model's numbers may come with blanks of their own.
        {"char  10 ", "xsd:string maxLength=10"},
        {"decimal  9( 2 )", "xsd:decimal totalDigits=9 fractionDigits=2"},
        // Facets only with valid digits: never an empty or wrong value.
        {"decimal 9()", "xsd:decimal totalDigits=9"},
        {"decimal 9(2", "xsd:decimal totalDigits=9"},
        {"decimal (2)", "xsd:decimal fractionDigits=2"},
        {"decimal 7", "xsd:decimal totalDigits=7"},
        {"decimal 3(5)", "xsd:decimal totalDigits=3"},
        {"integer 0", "xsd:integer"},
        {"char", "xsd:string"},
        {"char x", "xsd:string"},
        {"char -1", "xsd:string"},
        // Schema readers take at most 24 significant digits in a facet.
        {"char 999999999999999999999999", "xsd:string maxLength=999999999999999999999999"},
        {"char 1000000000000000000000000", "xsd:string"},
        {"decimal 0000000000000000000000009(2)", "xsd:decimal totalDigits=0000000000000000000000009 fractionDigits=2"},
        {"decimal 1000000000000000000000000(2)", "xsd:decimal fractionDigits=2"},
        // Unknown words give a plain string; words are compared exactly.
        {"float 8", "xsd:string"},
        {"CHAR 10", "xsd:string"},
        {"", "xsd:string"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Facets(ParseTypeText(text)), expected) << text;
}

TEST(WsdlTypes, EachTypeTextIsDeclaredOnce) {
    WsdlBuilder builder("S");
    EXPECT_EQ(builder.AddWSDLTypes("char 10"), "char_10");
    EXPECT_EQ(builder.AddWSDLTypes("decimal 9(2)"), "decimal_9_2");
    EXPECT_EQ(builder.AddWSDLTypes("char 10"), "char_10");
    // Different texts that map to one name get names of their own.
    EXPECT_EQ(builder.AddWSDLTypes("char#10"), "char_10_2");
    EXPECT_EQ(builder.Document().SelectNodes("//*[local-name()='element']").size(), 3u);
}

TEST(WsdlTypes, EmptyServiceKeepsTheFrame) {
    WsdlBuilder builder("Order Entry");
    builder.AddWSDLOperation({});
    EXPECT_EQ(builder.ToString(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" targetNamespace=\"\">\n"
              "  <wsdl:service name=\"Order_Entry\" serviceType=\"Order_EntryType\"/>\n"
              "  <wsdl:serviceType name=\"Order_EntryType\">\n"
              "    <wsdl:portType name=\"Order_EntryPortType\"/>\n"
              "  </wsdl:serviceType>\n"
              "  <wsdl:portType name=\"Order_EntryPortType\"/>\n"
              "  <wsdl:types>\n"
              "    <xsd:schema xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"/>\n"
              "  </wsdl:types>\n"
              "</wsdl:definitions>\n");
}

TEST(WsdlTypes, InputOnlyWhenTheNameEndsWithIn) {
    WsdlBuilder builder("S");
    // ".In" inside the name ("MAIN.Inventory") does not make an input.
    builder.AddWSDLOperation({StoredMessage{"MAIN.Inventory.Out", {{"a", "char 1"}}}});
    builder.AddWSDLOperation({StoredMessage{"P.In", {}}, StoredMessage{"P.Out", {}}});
    const auto& doc = builder.Document();
    auto ops = doc.SelectNodes("//*[local-name()='portType' and parent::*[local-name()='definitions']]/*");
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].GetAttribute("name"), "MAIN.Inventory");
    ASSERT_EQ(ops[0].ChildElements().size(), 1u);
    EXPECT_EQ(ops[0].ChildElements()[0].Name(), "wsdl:output");
    EXPECT_EQ(ops[0].ChildElements()[0].GetAttribute("message"), "MAIN.Inventory.Out");
    EXPECT_EQ(ops[1].GetAttribute("name"), "P");
    EXPECT_EQ(ops[1].ChildElements()[0].Name(), "wsdl:input");
    EXPECT_EQ(ops[1].ChildElements()[1].Name(), "wsdl:output");
}

TEST(WsdlTypes, NamesStayUniqueAcrossOperationsAndParts) {
    WsdlBuilder builder("S");
    builder.AddWSDLOperation({StoredMessage{"ORD#PROG.Out", {{"filler", "char 1"}, {"filler", "char 2"}, {"x", {}}}}});
    builder.AddWSDLOperation({StoredMessage{"ORD$PROG.Out", {{"filler", "char 1"}}}});
    const auto& doc = builder.Document();
    auto ops = doc.SelectNodes("/*/*[local-name()='portType']/*");
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].GetAttribute("name"), "ORD_PROG");
    EXPECT_EQ(ops[1].GetAttribute("name"), "ORD_PROG_2");
    EXPECT_EQ(ops[1].ChildElements()[0].GetAttribute("message"), "ORD_PROG_2.Out");

    auto messages = doc.SelectNodes("/*/*[local-name()='message']");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].GetAttribute("name"), "ORD_PROG.Out");
    EXPECT_EQ(messages[1].GetAttribute("name"), "ORD_PROG_2.Out");
    auto parts = messages[0].ChildElements();
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].GetAttribute("name"), "filler");
    EXPECT_EQ(parts[1].GetAttribute("name"), "filler_2");
    EXPECT_EQ(parts[1].GetAttribute("element"), "char_2");
    // A part without a type text declares no type and refers to none.
    EXPECT_FALSE(parts[2].HasAttribute("element"));
    EXPECT_EQ(messages[1].ChildElements()[0].GetAttribute("name"), "filler");
}

TEST(WsdlTypes, AnOperationsInputAndOutputKeepOneMappedName) {
    // The first program takes "ORD_PROG" with its output only; the second
    // maps to the same name and must not get "ORD_PROG.In" beside
    // "ORD_PROG_2.Out".
    WsdlBuilder builder("S");
    builder.AddWSDLOperation({StoredMessage{"ORD#PROG.Out", {{"a", "char 1"}}}});
    builder.AddWSDLOperation({StoredMessage{"ORD@PROG.In", {{"b", "char 1"}}},
                              StoredMessage{"ORD@PROG.Out", {{"c", "char 1"}}}});
    auto ops = builder.Document().SelectNodes("/*/*[local-name()='portType']/*");
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[1].GetAttribute("name"), "ORD_PROG_2");
    auto io = ops[1].ChildElements();
    ASSERT_EQ(io.size(), 2u);
    EXPECT_EQ(io[0].GetAttribute("message"), "ORD_PROG_2.In");
    EXPECT_EQ(io[1].GetAttribute("message"), "ORD_PROG_2.Out");
    auto messages = builder.Document().SelectNodes("/*/*[local-name()='message']");
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].GetAttribute("name"), "ORD_PROG_2.In");
    EXPECT_EQ(messages[2].GetAttribute("name"), "ORD_PROG_2.Out");
}
