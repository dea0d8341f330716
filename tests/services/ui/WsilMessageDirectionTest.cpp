#include <gtest/gtest.h>

#include "platform/xml/XmlDocument.h"
#include "services/WsilAssistant.h"

using platform::xml::Node;
using services::WsilAssistant;

namespace {

// Message names whose middle holds ".In" or ".Out": the direction is told by
// the end of the name only.
const char* kWsil = R"(<inspection>
  <webservice name="Stock">
    <message name="MAIN.Inventory.Out">
      <part name="ONHAND" WSILPartID="o1" WSILUserValue="False" WSILDefaultValue="" type="integer 5"/>
    </message>
    <message name="CHECK.Outlet.In">
      <part name="SHOP" WSILPartID="i1" WSILUserValue="False" WSILDefaultValue="" type="char 4"/>
    </message>
    <message name="CHECK.Outlet.Info">
      <part name="NOTE" WSILPartID="x1" WSILUserValue="False" WSILDefaultValue="" type="char 4"/>
    </message>
  </webservice>
</inspection>)";

std::vector<std::string> Ids(const Node& section) {
    std::vector<std::string> out;
    for (const Node& n : section.ChildElements()) out.push_back(n.GetAttribute("WSILPartID"));
    return out;
}

}  // namespace

TEST(WsilMessageDirection, TheEndOfTheMessageNameTellsInputFromOutput) {
    WsilAssistant a(kWsil);
    std::vector<std::string> rows;
    for (const auto& r : a.InputRows()) rows.push_back(r.partId);
    EXPECT_EQ(rows, (std::vector<std::string>{"i1"}));

    Node root = a.Wsdl().DocumentElement();
    EXPECT_EQ(Ids(root.FirstChildElement("Master.Input")), (std::vector<std::string>{"i1"}));
    EXPECT_EQ(Ids(root.FirstChildElement("Master.Output")), (std::vector<std::string>{"o1"}));

    // Marking the output part has nothing to act on; the input one is kept in step.
    EXPECT_TRUE(a.Update("i1", false, ""));
    EXPECT_TRUE(Ids(root.FirstChildElement("Master.Input")).empty());
    EXPECT_EQ(Ids(root.FirstChildElement("Master.Output")), (std::vector<std::string>{"o1"}));
}
