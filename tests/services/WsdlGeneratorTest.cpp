#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/services/WsdlFixtures.h"
#include "services/WsdlGenerator.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using platform::db::Database;
using services::GenerateWebServiceWSDL;
using services::LoadEntityMessages;
using namespace wsdlfixtures;

namespace {

// Written out by hand from the fixture: ORDPROG's two messages, SHIPPROG's
// output, nothing for NODOC (its only document is a process element's) and
// nothing for the process operation; each type text declared once.
const char* kOrderServiceWsdl = R"(<?xml version="1.0" encoding="UTF-8"?>
<wsdl:definitions xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/" targetNamespace="">
  <wsdl:service name="OrderService" serviceType="OrderServiceType"/>
  <wsdl:serviceType name="OrderServiceType">
    <wsdl:portType name="OrderServicePortType"/>
  </wsdl:serviceType>
  <wsdl:portType name="OrderServicePortType">
    <wsdl:operation name="ORDPROG">
      <wsdl:input message="ORDPROG.In"/>
      <wsdl:output message="ORDPROG.Out"/>
    </wsdl:operation>
    <wsdl:operation name="SHIPPROG">
      <wsdl:output message="SHIPPROG.Out"/>
    </wsdl:operation>
  </wsdl:portType>
  <wsdl:types>
    <xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema">
      <xsd:element name="char_10">
        <xsd:simpleType>
          <xsd:restriction base="xsd:string">
            <xsd:maxLength value="10"/>
          </xsd:restriction>
        </xsd:simpleType>
      </xsd:element>
      <xsd:element name="char_8">
        <xsd:simpleType>
          <xsd:restriction base="xsd:string">
            <xsd:maxLength value="8"/>
          </xsd:restriction>
        </xsd:simpleType>
      </xsd:element>
      <xsd:element name="decimal_9_2">
        <xsd:simpleType>
          <xsd:restriction base="xsd:decimal">
            <xsd:totalDigits value="9"/>
            <xsd:fractionDigits value="2"/>
          </xsd:restriction>
        </xsd:simpleType>
      </xsd:element>
      <xsd:element name="integer_4">
        <xsd:simpleType>
          <xsd:restriction base="xsd:integer">
            <xsd:totalDigits value="4"/>
          </xsd:restriction>
        </xsd:simpleType>
      </xsd:element>
    </xsd:schema>
  </wsdl:types>
  <wsdl:message name="ORDPROG.In">
    <wsdl:part name="custNo" element="char_10"/>
    <wsdl:part name="orderDate" element="char_8"/>
  </wsdl:message>
  <wsdl:message name="ORDPROG.Out">
    <wsdl:part name="custNo" element="char_10"/>
    <wsdl:part name="amount" element="decimal_9_2"/>
    <wsdl:part name="qty" element="integer_4"/>
  </wsdl:message>
  <wsdl:message name="SHIPPROG.Out">
    <wsdl:part name="shipDate" element="char_8"/>
    <wsdl:part name="custNo" element="char_10"/>
  </wsdl:message>
</wsdl:definitions>
)";

class WsdlGeneration : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(testsupport::AppDir() / "QuarvelAnalyzer.mdb", dir / "QuarvelAnalyzer.mdb");
        db = Database::Open(dir / "QuarvelAnalyzer.mdb");
        EnsureTables(*db);
        Globals::g_ServiceName.clear();
    }
    testsupport::TempDir dir;
    std::unique_ptr<Database> db;
    testsupport::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(WsdlGeneration, GoldenDocumentOfAFixtureService) {
    const int64_t wsid = BuildOrderService(*db);
    auto wsdl = GenerateWebServiceWSDL(*db, wsid, prompt);
    ASSERT_TRUE(wsdl);
    EXPECT_EQ(wsdl->serviceName, "OrderService");
    EXPECT_EQ(wsdl->text, kOrderServiceWsdl);
    EXPECT_EQ(Globals::g_ServiceName, "OrderService");
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WsdlGeneration, OperationsFollowTheLinkOrder) {
    const int64_t a = AddProgram(*db, "PROGRAM#1", "APROG");
    const int64_t b = AddProgram(*db, "PROGRAM#2", "BPROG");
    StoreMessages(*db, a, 2, "<definitions><message name=\"APROG.Out\"/></definitions>");
    StoreMessages(*db, b, 2, "<definitions><message name=\"BPROG.Out\"/></definitions>");
    const int64_t ucA = AddEntityOperation(*db, a, "A");
    const int64_t ucB = AddEntityOperation(*db, b, "B");
    const int64_t wsid = AddService(*db, "S");
    Link(*db, wsid, ucB);
    Link(*db, wsid, ucA);
    auto wsdl = GenerateWebServiceWSDL(*db, wsid, prompt);
    ASSERT_TRUE(wsdl);
    EXPECT_LT(wsdl->text.find("\"BPROG\""), wsdl->text.find("\"APROG\""));
}

TEST_F(WsdlGeneration, ServiceWithoutMessagesStillGivesTheFrame) {
    const int64_t p = AddProgram(*db, "PROGRAM#1", "NOMSG");
    const int64_t wsid = AddService(*db, "Empty");
    Link(*db, wsid, AddEntityOperation(*db, p, "No messages"));
    auto wsdl = GenerateWebServiceWSDL(*db, wsid, prompt);
    ASSERT_TRUE(wsdl);
    EXPECT_NE(wsdl->text.find("<wsdl:portType name=\"EmptyPortType\"/>\n  <wsdl:types>"), std::string::npos);
    EXPECT_NE(wsdl->text.find("<xsd:schema xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"/>"), std::string::npos);
    EXPECT_EQ(wsdl->text.find("wsdl:message"), std::string::npos);
}

TEST_F(WsdlGeneration, UnknownServiceOrRefusedNameGivesNothing) {
    EXPECT_FALSE(GenerateWebServiceWSDL(*db, 42, prompt));
    const int64_t wsid = AddService(*db, "Bad/Name");
    EXPECT_FALSE(GenerateWebServiceWSDL(*db, wsid, prompt));
    EXPECT_EQ(Globals::g_ServiceName, "");
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WsdlGeneration, BrokenStoredDocumentIsReportedAndSkipped) {
    const int64_t bad = AddProgram(*db, "PROGRAM#1", "BAD");
    const int64_t good = AddProgram(*db, "PROGRAM#2", "GOOD");
    StoreMessages(*db, bad, 2, "<definitions><message name=\"BAD.In\">");
    StoreMessages(*db, good, 2, "<definitions><message name=\"GOOD.In\"><part name=\"a\" element=\"char 1\"/>"
                                "</message></definitions>");
    const int64_t wsid = AddService(*db, "S");
    Link(*db, wsid, AddEntityOperation(*db, bad, "Bad"));
    Link(*db, wsid, AddEntityOperation(*db, good, "Good"));

    auto wsdl = GenerateWebServiceWSDL(*db, wsid, prompt);
    ASSERT_TRUE(wsdl);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("An error has occured:\n", 0), 0u) << prompt.asked[0];
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
    EXPECT_EQ(wsdl->text.find("BAD"), std::string::npos);
    EXPECT_NE(wsdl->text.find("<wsdl:operation name=\"GOOD\">"), std::string::npos);
}

TEST_F(WsdlGeneration, StoredMessagesAreReadAtAnyDepthForOneNature) {
    StoreMessages(*db, 7, 2,
                  "<definitions><group><message name=\"P.In\"><part name=\"a\" element=\"char 1\"/><part name=\"b\"/>"
                  "</message></group><message name=\"P.Out\"/></definitions>");
    StoreMessages(*db, 7, 2, "<definitions><message name=\"Later.In\"/></definitions>");
    StoreMessages(*db, 7, 1, "<definitions><message name=\"Process.In\"/></definitions>");

    auto messages = LoadEntityMessages(*db, 7, 2, prompt);
    ASSERT_EQ(messages.size(), 2u);   // the first stored row only
    EXPECT_EQ(messages[0].name, "P.In");
    ASSERT_EQ(messages[0].parts.size(), 2u);
    EXPECT_EQ(messages[0].parts[0].element, "char 1");
    EXPECT_FALSE(messages[0].parts[1].element);
    EXPECT_EQ(messages[1].name, "P.Out");

    ASSERT_EQ(LoadEntityMessages(*db, 7, 1, prompt).size(), 1u);
    EXPECT_TRUE(LoadEntityMessages(*db, 8, 2, prompt).empty());
}
