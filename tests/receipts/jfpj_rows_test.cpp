// The receipt workbook's header check and row rules, in the order a row meets them.
#include "receipts/jfpj_rows.h"

#include <gtest/gtest.h>

namespace velmor::receipts {
namespace {

std::vector<std::string> Titles() {
  std::vector<std::string> t;
  for (const Column& c : kColumns) t.push_back(c.title);
  return t;
}

std::vector<std::string> Good() {
  return {"张三", "201", "11010119900101123x", "经办机构", "养老保险", "养老保险费", "2025-1", "2025-12", "300.5",
          "2025/3/5"};
}

std::string ErrorOf(std::vector<std::string> cells) {
  std::string error;
  EXPECT_FALSE(CheckRow(cells, error).has_value());
  return error;
}

TEST(ReceiptHeader, ExactTitlesInOrderOnly) {
  EXPECT_TRUE(HeaderMatches(Titles()));
  std::vector<std::string> padded = Titles();
  padded[0] = " *姓名 ";
  padded.push_back("");
  EXPECT_TRUE(HeaderMatches(padded));
  std::vector<std::string> swapped = Titles();
  std::swap(swapped[0], swapped[1]);
  EXPECT_FALSE(HeaderMatches(swapped));
  std::vector<std::string> extra = Titles();
  extra.push_back("备注");
  EXPECT_FALSE(HeaderMatches(extra));
  std::vector<std::string> short9 = Titles();
  short9.pop_back();
  EXPECT_FALSE(HeaderMatches(short9));
}

TEST(ReceiptRow, AGoodRowIsNormalised) {
  std::string error;
  auto r = CheckRow(Good(), error);
  ASSERT_TRUE(r) << error;
  EXPECT_EQ((*r)["fkssqq"], "2025-01");
  EXPECT_EQ((*r)["fkssqz"], "2025-12");
  EXPECT_EQ((*r)["jfrq"], "2025-03-05");
  EXPECT_EQ((*r)["je"], "300.5");
  EXPECT_DOUBLE_EQ((*r)["jfje"].get<double>(), 300.5);
  EXPECT_EQ((*r)["zjhm"], "11010119900101123x");  // upper-cased by the store, for type 201 only
}

TEST(ReceiptRow, EmptyColumnsInTemplateOrder) {
  for (size_t i = 0; i < kColumns.size(); ++i) {
    std::vector<std::string> cells = Good();
    cells[i] = "  ";
    EXPECT_EQ(ErrorOf(cells), kColumns[i].emptyMessage) << i;
  }
  EXPECT_EQ(ErrorOf({"张三"}), "证件类型列不可为空");
}

TEST(ReceiptRow, EachRuleWithItsMessage) {
  auto with = [](size_t col, std::string v) {
    std::vector<std::string> cells = Good();
    cells[col] = std::move(v);
    return ErrorOf(cells);
  };
  EXPECT_EQ(with(0, "Tom"), kBadName);
  EXPECT_EQ(with(0, "张 三"), kBadName);
  EXPECT_EQ(with(0, "\xe5\xbc"), kBadName);  // broken UTF-8
  EXPECT_EQ(with(2, "1101-01"), kBadZjhm);
  EXPECT_EQ(with(2, "１２３"), kBadZjhm);
  EXPECT_EQ(with(6, "2025-13"), kBadPeriod);
  EXPECT_EQ(with(7, "2025"), kBadPeriod);
  EXPECT_EQ(with(7, "2025-12-01"), kBadPeriod);
  EXPECT_EQ(with(6, "2026-01"), kPeriodReversed);
  EXPECT_EQ(with(8, "-0.01"), kBadAmount);
  EXPECT_EQ(with(8, "abc"), kBadAmount);
  EXPECT_EQ(with(8, "12abc"), kBadAmount);
  EXPECT_EQ(with(8, "nan"), kBadAmount);
  EXPECT_EQ(with(9, "2025-02-29"), kBadJfrq);
  EXPECT_EQ(with(9, "20250301"), kBadJfrq);
  // The first broken rule wins.
  std::vector<std::string> two = Good();
  two[0] = "Tom";
  two[8] = "-1";
  EXPECT_EQ(ErrorOf(two), kBadName);
}

TEST(ReceiptRow, NamesWithTheMiddleDotAndLeapDays) {
  std::vector<std::string> cells = Good();
  cells[0] = "欧阳·娜娜";
  cells[9] = "2024-02-29";
  std::string error;
  EXPECT_TRUE(CheckRow(cells, error)) << error;
  EXPECT_EQ(NormalDate("2024-2-9"), "2024-02-09");
  EXPECT_EQ(NormalDate("2024-02-09-"), "");
  EXPECT_EQ(NormalDate("24-02-09"), "");
}

}  // namespace
}  // namespace velmor::receipts
