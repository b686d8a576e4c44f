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

// The roster read from its text gives the document the tree gives, for rows with quotes, escapes,
// non-ASCII names, amounts as numbers, members of other kinds, repeated names and extra members.
TEST(RosterDeclaration, TheRowsReadFromTextGiveTheSameDocument) {
  Json rows = Json::array({Row("1", "X1", "102101000", "300"), Row("1", "X2", "102121000", "380"),
                           Row("2", "X3", "102101000", "300.005"), Row("3", "X4", "102101000", "12", "N")});
  rows[0]["xm"] = "O'Neil \"Jr\"\t张\u0001";
  rows[1]["yjfe"] = 380.25;
  rows[1]["extra"] = {{"nested", {1, 2, "]"}}};
  rows[2]["zszmdm"] = nullptr;
  rows[2]["cbjgyxbz"] = nullptr;
  rows[2]["rydjxh"] = "";
  std::string text = rows.dump();
  // a repeated member: the last value counts, in the tree and in the text
  text.insert(text.find("\"xzid\":\"X1\""), "\"xzid\":\"X9\",");
  const std::map<std::string, double> amounts = {{"X1", 250.5}, {"X9", 1}};
  const RosterDeclaration tree = DeclarationFromRoster(Json::parse(text), amounts, "1\"1", 2026);
  const RosterDeclaration read = DeclarationFromRosterText(text, amounts, "1\"1", 2026);
  EXPECT_EQ(read.text, tree.document.dump());
  EXPECT_EQ(read.text, tree.text);
  EXPECT_TRUE(read.document.is_null());
  EXPECT_EQ(read.persons, tree.persons);
  EXPECT_EQ(read.amount, tree.amount);
  EXPECT_EQ(AssessedAmountsText(R"([{"xzid":"X1","ybtfe":"250.5"},7,{"xzid":"X2","ybtfe":3}])"),
            AssessedAmounts(Json::parse(R"([{"xzid":"X1","ybtfe":"250.5"},7,{"xzid":"X2","ybtfe":3}])")));
}

TEST(RosterDeclaration, TheDocumentTextOfOneRow) {
  const std::string rows = Json::array({Row("1", "X1", "102101000", "300")}).dump();
  EXPECT_EQ(DeclarationFromRosterText(rows, {}, "S1", 2026).text,
            R"({"swjgdm":"S1","sblx":"00","bz":"2026年度花名册申报","zrs":1,"zje":300.0,"yjfjeHj":300.0,)"
            R"("ybtfeHJ":300.0,"details":[{"jfnd":"2026","zsxmdm":"10210","zspmdm":"102101000","zszmdm":"",)"
            R"("sjly":"00","dwbh":"","sbjbjgdm":"11101000001","sfyrymx":1,"fkssqq":"2026-01-01",)"
            R"("fkssqz":"2026-12-31","zrs":1,"zje":300.0,"persons":[{"mxxh":"1","xm":"张三","zjlx":"201",)"
            R"("zjhm":"110101199001011","rybh":"RY1","sbjbjgdm":"11101000001","xz_xzjddm":"110101001",)"
            R"("xz_sqhczdm":"110101001001","jfnd":"2026","zsxmdm":"10210","zspmdm":"102101000","zszmdm":"",)"
            R"("pmlx":"00","jfje":300.0,"sjyjfe":300.0,"yjfje":300.0,"ybtfe":300.0}],"ybtfeHJ":300.0,)"
            R"("yjfjeHj":300.0}]})");
}

TEST(RosterDeclaration, TakenRowsGiveTheSameDeclarationAndAreLetGo) {
  std::string rows = Json::array({Row("1", "X1", "102101000", "300"), Row("2", "X2", "102101000", "12.5")}).dump();
  const RosterDeclaration viewed = DeclarationFromRosterText(rows, {{"X2", 20}}, "S1", 2026);
  const RosterDeclaration taken = DeclarationFromTakenRosterText(std::move(rows), {{"X2", 20}}, "S1", 2026);
  EXPECT_EQ(taken.text, viewed.text);
  EXPECT_EQ(taken.persons, 2);
  EXPECT_EQ(taken.amount, 320);
  EXPECT_TRUE(rows.empty());
  // Text the row reader does not take still goes to the tree, which needs it whole.
  std::string notRows = "[1, 2]";
  EXPECT_THROW(DeclarationFromTakenRosterText(std::move(notRows), {}, "", 2026), std::invalid_argument);
  std::string big = R"([{"xmyxbz":"Y","yjfe":1e999}])";
  try {
    DeclarationFromTakenRosterText(std::move(big), {}, "", 2026);
    ADD_FAILURE() << "a number beyond a double is refused";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "花名册数据不是列表") << "as the tree refuses it";
  }
}

TEST(RosterDeclaration, RowsTextThatIsNoRosterFailsAsTheTreeDoes) {
  auto failure = [](const std::string& text) {
    try {
      DeclarationFromRosterText(text, {}, "", 2026);
    } catch (const std::invalid_argument& e) {
      return std::string(e.what());
    }
    return std::string("no failure");
  };
  EXPECT_EQ(failure("{}"), "花名册数据不是列表");
  EXPECT_EQ(failure("not json"), "花名册数据不是列表");
  EXPECT_EQ(failure("[1, 2]"), "花名册数据的行不是对象");
  EXPECT_EQ(failure("[1, 2"), "花名册数据不是列表") << "cut short: not a list at all";
  EXPECT_EQ(failure("[]"), "花名册中没有应申报的参保项目");
  EXPECT_TRUE(AssessedAmountsText("{").empty());
}

}  // namespace
}  // namespace velmor::cli
