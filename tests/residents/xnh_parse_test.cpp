// Reading the scheme account out of a "0001" answer, and the translation of collection modes.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "residents/xnh_dao.h"
#include "residents/xnh_mgr.h"

namespace velmor {
namespace {

std::vector<XnhJbxx> Parse(const char* xml) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(xml));
  return ParseXnhDjxx(doc.document_element());
}

TEST(XnhParse, OfficesUnitsAndItemsWithTheirRenamedFields) {
  auto offices = Parse(R"(<cxjmXnhDjxxList><cxjmXnhDjxxDTO><zgswjgDm>S1</zgswjgDm><flbsDm>0107</flbsDm>
      <glbz>1</glbz><cxjmXnhCbxxList><cxjmXnhCbxxDTO><sbbm>DW1</sbbm><lxdhhm>010-1</lxdhhm><yxbz>Y</yxbz>
      <cxjmXnhCbxzList>
        <cxjmXnhCbxzDTO><cbxzId>X1</cbxzId><tcqBm>T</tcqBm><jdxzDm>J</jdxzDm><sqczDm>null</sqczDm></cxjmXnhCbxzDTO>
        <!-- a comment is no item -->
        <cxjmXnhCbxzDTO><cbxzId>X2</cbxzId><sqczDm>Q2</sqczDm><tzjfyf/></cxjmXnhCbxzDTO>
      </cxjmXnhCbxzList></cxjmXnhCbxxDTO></cxjmXnhCbxxList></cxjmXnhDjxxDTO>
      <cxjmXnhDjxxDTO><zgswjgDm>S2</zgswjgDm></cxjmXnhDjxxDTO></cxjmXnhDjxxList>)");
  ASSERT_EQ(offices.size(), 2u);
  EXPECT_EQ(offices[0].swjgdm, "S1");
  EXPECT_EQ(offices[0].flbsdm, "0107");
  ASSERT_EQ(offices[0].units.size(), 1u);
  const XnhCbjg& unit = offices[0].units[0];
  EXPECT_EQ(unit.dwbh, "DW1");
  EXPECT_EQ(unit.lxdh, "010-1");
  ASSERT_EQ(unit.items.size(), 2u);
  EXPECT_EQ(unit.items[0].xzid, "X1");
  EXPECT_EQ(unit.items[0].tcqdm, "T");
  EXPECT_EQ(unit.items[0].xzjddm, "J");
  EXPECT_EQ(unit.items[0].sqhczdm, "") << "\"null\" is no community";
  EXPECT_EQ(unit.items[1].sqhczdm, "Q2");
  EXPECT_EQ(unit.items[1].tzjfyf, "");
  EXPECT_TRUE(offices[1].units.empty());
}

TEST(XnhParse, AnEmptyOrMissingListGivesNoOffice) {
  EXPECT_TRUE(Parse("<cxjmXnhDjxxList/>").empty());
  EXPECT_TRUE(ParseXnhDjxx(pugi::xml_node()).empty());
}

TEST(XnhParse, CollectionModes) {
  EXPECT_EQ(TranslateZjms("00"), "01");
  EXPECT_EQ(TranslateZjms("01"), "02");
  for (const char* other : {"02", "", "0", "001", "null"}) EXPECT_EQ(TranslateZjms(other), "00") << other;
}

}  // namespace
}  // namespace velmor
