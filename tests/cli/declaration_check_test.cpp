// The checks a declaration passes before it is sent: identity numbers, names, codes, amounts
// and totals, each reason naming its row.
#include "cli/declaration_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace velmor::cli {
namespace {

using Json = nlohmann::json;

Json Example() {
  std::ifstream in(std::string(VELMOR_SOURCE_DIR) + "/examples/declaration.json");
  std::stringstream all;
  all << in.rdbuf();
  return Json::parse(all.str());
}

// Dictionaries holding only ID type 201 and agency 14401000; the tax offices not loaded.
std::optional<bool> Known(const std::string& dict, const std::string& code) {
  if (dict == "dict_zjlx") return code == "201";
  if (dict == "dict_sbjbjg") return code == "14401000";
  return std::nullopt;
}

bool Has(const std::vector<std::string>& problems, const std::string& text) {
  for (const std::string& p : problems)
    if (p.find(text) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string out;
  for (const std::string& p : problems) out += p + "\n";
  return out;
}

TEST(DeclarationCheck, ResidentIdNumbers) {
  EXPECT_EQ(IdNumberProblem("110101199001010015"), "");
  EXPECT_NE(IdNumberProblem("11010119900101001X").find("校验位错误"), std::string::npos);
  EXPECT_NE(IdNumberProblem("110101199001010011").find("校验位错误（应为5）"), std::string::npos);
  EXPECT_EQ(IdNumberProblem("11010519491231002X"), "") << "X as check digit";
  EXPECT_EQ(IdNumberProblem("11010519491231002x"), "") << "lower-case x";
  EXPECT_NE(IdNumberProblem("11010119900101001").find("18位"), std::string::npos);
  EXPECT_NE(IdNumberProblem("1101011990010100A5").find("前17位"), std::string::npos);
  EXPECT_NE(IdNumberProblem("110101199002300015").find("出生日期19900230"), std::string::npos) << "no 30 February";
  EXPECT_NE(IdNumberProblem("110101189901010015").find("出生日期"), std::string::npos) << "before 1900";
  // 29 February only in leap years (2000 was one, 1900 was not).
  EXPECT_EQ(IdNumberProblem("110101200002290015").find("出生日期"), std::string::npos);
  EXPECT_NE(IdNumberProblem("110101190002290015").find("出生日期"), std::string::npos);
}

TEST(DeclarationCheck, TheExamplePasses) {
  EXPECT_EQ(Joined(CheckDeclaration(Example(), Known)), "");
  EXPECT_EQ(Joined(CheckDeclaration(Example(), nullptr)), "") << "without dictionaries";
}

TEST(DeclarationCheck, AnEmptyDocumentAndOtherShapesAreRefused) {
  const auto empty = CheckDeclaration(Json::object(), Known);
  EXPECT_TRUE(Has(empty, "swjgdm")) << Joined(empty);
  EXPECT_TRUE(Has(empty, "申报没有明细")) << Joined(empty);
  EXPECT_EQ(CheckDeclaration(Json::array(), Known), std::vector<std::string>{"申报文件不是JSON对象"});
  Json doc = Example();
  doc["details"][0]["persons"] = Json::array({1});
  EXPECT_TRUE(Has(CheckDeclaration(doc, Known), "第1行人员不是JSON对象"));
}

TEST(DeclarationCheck, BadPersonsAreNamedByRow) {
  Json doc = Example();
  Json& second = doc["details"][0]["persons"][1];
  doc["details"][0]["persons"][0]["xm"] = " ";
  doc["details"][0]["persons"][0]["zjhm"] = "110101199001010011";
  second["zjlx"] = "999";
  second["jfje"] = -380;
  second["sbjbjgdm"] = "X";
  const auto problems = CheckDeclaration(doc, Known);
  const std::string all = Joined(problems);
  EXPECT_TRUE(Has(problems, "第1行人员：姓名为空")) << all;
  EXPECT_TRUE(Has(problems, "第1行人员：居民身份证号码校验位错误")) << all;
  EXPECT_TRUE(Has(problems, "第2行人员（李四）：证件类型[999]不在证件类型字典中")) << all;
  EXPECT_TRUE(Has(problems, "第2行人员（李四）：缴费金额（jfje）为负数：-380")) << all;
  EXPECT_TRUE(Has(problems, "第2行人员（李四）：社保经办机构代码[X]不在字典中")) << all;
  EXPECT_EQ(problems.size(), 5u) << all;
}

TEST(DeclarationCheck, TotalsMustEqualTheirSums) {
  Json doc = Example();
  doc["details"][0]["persons"][1]["ybtfe"] = 390;
  doc["zje"] = "abc";
  doc["zrs"] = 3;
  const auto problems = CheckDeclaration(doc, Known);
  const std::string all = Joined(problems);
  EXPECT_TRUE(Has(problems, "第1条明细金额（zje）630.00不等于人员应补退费额之和640.00")) << all;
  EXPECT_TRUE(Has(problems, "第1条明细应补退费额合计（ybtfeHJ）630.00不等于人员应补退费额之和640.00")) << all;
  EXPECT_TRUE(Has(problems, "申报：金额（zje）不是数字：abc")) << all;
  EXPECT_TRUE(Has(problems, "申报人数（zrs）3与明细中的人数2不符")) << all;

  doc = Example();
  doc["details"][0]["persons"][1]["zjhm"] = doc["details"][0]["persons"][0]["zjhm"];
  EXPECT_TRUE(Has(CheckDeclaration(doc, Known), "在第1条明细中重复"));
  doc = Example();
  doc["details"].push_back(doc["details"][0]);
  doc["details"][1]["persons"][0]["zjhm"] = "11010519491231002X";
  const auto twice = CheckDeclaration(doc, Known);
  EXPECT_TRUE(Has(twice, "申报金额（zje）630.00不等于各条明细金额之和1260.00")) << Joined(twice);
  EXPECT_TRUE(Has(twice, "申报人数（zrs）2与明细中的人数3不符")) << Joined(twice);
}

}  // namespace
}  // namespace velmor::cli
