// The declaration built from roster rows: which items go in, how they are grouped and summed.
#include "cli/roster_declaration.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velmor::cli {
namespace {

using Json = nlohmann::json;

Json Row(const std::string& rydjxh, const std::string& xzid, const std::string& zspmdm, const std::string& yjfe,
         const std::string& xmyxbz = "Y") {
  return {{"rydjxh", rydjxh}, {"xm", "张三"},          {"zjlx", "201"},    {"zjhm", "11010119900101" + rydjxh},
          {"rybh", "RY" + rydjxh}, {"sbjbjgdm", "11101000001"}, {"cbjgyxbz", "Y"}, {"xzid", xzid},
          {"zsxmdm", "10210"},     {"zspmdm", zspmdm},          {"zszmdm", ""},    {"xzjddm", "110101001"},
          {"sqhczdm", "110101001001"}, {"xmyxbz", xmyxbz},      {"pmlx", "00"},    {"yjfe", yjfe}};
}

TEST(RosterDeclaration, GroupsItemsBySubItemAndSumsTheirAmounts) {
  Json rows = Json::array({Row("1", "X1", "102101000", "300"), Row("1", "X2", "102121000", "380"),
                           Row("2", "X3", "102101000", "300.005")});
  RosterDeclaration sb = DeclarationFromRoster(rows, {}, "11101000001", 2026);
  EXPECT_EQ(sb.persons, 3);
  EXPECT_DOUBLE_EQ(sb.amount, 980.01);
  const auto& d = sb.document;
  EXPECT_EQ(d["zrs"], 2) << "two distinct persons";
  EXPECT_EQ(d["swjgdm"], "11101000001");
  ASSERT_EQ(d["details"].size(), 2u);
  const auto& pension = d["details"][0];
  EXPECT_EQ(pension["zspmdm"], "102101000");
  EXPECT_EQ(pension["zrs"], 2);
  EXPECT_DOUBLE_EQ(pension["zje"].get<double>(), 600.01);
  EXPECT_EQ(pension["fkssqq"], "2026-01-01");
  EXPECT_EQ(pension["fkssqz"], "2026-12-31");
  EXPECT_EQ(pension["persons"][1]["mxxh"], "2") << "line numbers run per detail row";
  EXPECT_EQ(pension["persons"][1]["rybh"], "RY2");
  EXPECT_EQ(pension["persons"][1]["jfnd"], "2026");
  EXPECT_EQ(d["details"][1]["persons"][0]["mxxh"], "1");
}

TEST(RosterDeclaration, AssessedAmountsWinAndItemsWithoutAmountOrValidityAreLeftOut) {
  Json rows = Json::array({Row("1", "X1", "102101000", ""), Row("2", "X2", "102101000", "300"),
                           Row("3", "X3", "102101000", "300", "N"), Row("4", "X4", "102101000", "")});
  rows[1]["cbjgyxbz"] = "N";  // the enrolment itself has ended
  std::map<std::string, double> amounts = AssessedAmounts(Json::array(
      {{{"xzid", "X1"}, {"ybtfe", "250.5"}}, {{"xzid", "X9"}, {"ybtfe", "1"}}, {{"xzid", ""}, {"ybtfe", "9"}},
       {{"xzid", "X4"}, {"ybtfe", "not a number"}}}));
  EXPECT_EQ(amounts.size(), 2u);
  RosterDeclaration sb = DeclarationFromRoster(rows, amounts, "", 2026);
  ASSERT_EQ(sb.persons, 1);
  EXPECT_DOUBLE_EQ(sb.amount, 250.5);
  EXPECT_EQ(sb.document["details"][0]["persons"][0]["rybh"], "RY1");
  EXPECT_DOUBLE_EQ(sb.document["details"][0]["persons"][0]["sjyjfe"].get<double>(), 250.5);
}

TEST(RosterDeclaration, RefusesRowsThatAreNotARosterAndARosterWithNothingDue) {
  EXPECT_THROW(DeclarationFromRoster(Json::object(), {}, "", 2026), std::invalid_argument);
  EXPECT_THROW(DeclarationFromRoster(Json::array({1, 2}), {}, "", 2026), std::invalid_argument);
  try {
    DeclarationFromRoster(Json::array({Row("1", "X1", "102101000", "0")}), {}, "", 2026);
    FAIL() << "nothing is due";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "花名册中没有应申报的参保项目");
  }
  EXPECT_TRUE(AssessedAmounts(Json("[]")).empty()) << "a non-array gives no amounts";
}

}  // namespace
}  // namespace velmor::cli
