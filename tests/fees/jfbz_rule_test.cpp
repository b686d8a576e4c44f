// The matching rules of the fee standards: ages, dates, amounts to the cent, the catch-all
// conditions and the ranking of found rows.
#include <gtest/gtest.h>

#include "fees/jfbz_rule.h"

namespace velmor::fees {
namespace {

using Json = nlohmann::ordered_json;

TEST(JfbzAge, WholeYearsOnFirstJanuaryOfTheReferenceYear) {
  // Born on 1 January: the birthday has come on the reference day itself.
  EXPECT_EQ(AgeOn("1964-01-01", "2024-07-01"), 60);
  EXPECT_EQ(AgeOn("1964-01-02", "2024-07-01"), 59);
  EXPECT_EQ(AgeOn("1964-12-31", "2024-01-01"), 59);
  // Born in July of the year before the payment year: age 0.
  EXPECT_EQ(AgeOn("2023-07-15", "2024-03-01"), 0);
  EXPECT_EQ(AgeOn("20000101", "20200601"), 20);
  // Born after the reference year: no negative ages.
  EXPECT_EQ(AgeOn("2025-05-01", "2024-03-01"), 0);
}

TEST(JfbzAge, ADateThatIsNoDateIsRefused) {
  EXPECT_THROW(AgeOn("1964-02-30", "2024-01-01"), std::invalid_argument);
  EXPECT_THROW(AgeOn("1964-01-01", "soon"), std::invalid_argument);
}

TEST(JfbzDates, NormalFormsAndRejects) {
  EXPECT_EQ(NormalDate("20240229"), "2024-02-29");
  EXPECT_EQ(NormalDate("2024-02-29 10:00:00"), "2024-02-29");
  EXPECT_EQ(NormalDate("2023-02-29"), std::nullopt);
  EXPECT_EQ(NormalDate("2024-1-1"), std::nullopt);
  EXPECT_EQ(NormalDate(""), std::nullopt);
  EXPECT_EQ(NormalDate("2024'01'01"), std::nullopt);
}

TEST(JfbzAmounts, ComparedToTheCent) {
  EXPECT_EQ(Cents(Json(0.1 + 0.2)), Cents(Json("0.30")));
  EXPECT_EQ(Cents(Json("380")), 38000);
  EXPECT_EQ(Cents(Json(379.995)), 38000);
  EXPECT_NE(Cents(Json("380.01")), Cents(Json(380)));
  EXPECT_EQ(Cents(Json("380元")), std::nullopt);
  EXPECT_EQ(Cents(Json()), std::nullopt);
  EXPECT_EQ(Cents(Json("")), std::nullopt);
  EXPECT_EQ(AmountText(Json("380.0")), "380.00");
  EXPECT_EQ(AmountText(Json(0.5)), "0.50");
  EXPECT_EQ(AmountText(Json(-0.05)), "-0.05");
  EXPECT_EQ(AmountText(Json("abc")), "abc");
}

TEST(JfbzConditions, CatchAllRowsJoinTheSpecificOnes) {
  EXPECT_TRUE(IsCatchAll(""));
  EXPECT_TRUE(IsCatchAll("NULL"));
  EXPECT_FALSE(IsCatchAll("nul"));
  EXPECT_EQ(CodeCondition("sbjbjgdm", "A1").str(),
            " and (sbjbjgdm = 'A1' or (sbjbjgdm isnull or lower(sbjbjgdm) = 'null' or sbjbjgdm=''))");
  EXPECT_EQ(CodeCondition("zszmdm", "null").str(), " and (zszmdm isnull or lower(zszmdm) = 'null' or zszmdm='')");
  EXPECT_EQ(CodeCondition("zszmdm", kOptionAll).str(), "");
  // Values are quote-doubled.
  EXPECT_NE(CodeCondition("sbjbjgdm", "x' or '1'='1").str().find("'x'' or ''1''=''1'"), std::string::npos);
}

TEST(JfbzConditions, AgeAndSexByItemType) {
  JfbzKey k{"10219", "102190100", "", "A1", "2024-05-01", "01", "1964-01-01", "2"};
  EXPECT_EQ(PersonCondition(k).str(),
            " and nldq <= 60 and (nldz >= 60 or nldz < 0) and (xb = '2' or (xb isnull or xb='' or lower(xb)='null' "
            "or xb<>'1' and xb<>'2'))");
  k.csrq = kOptionAll;
  k.xb = kOptionAll;
  EXPECT_EQ(PersonCondition(k).str(), "");
  k.pmlx = "00";
  EXPECT_EQ(PersonCondition(k).str(),
            " and nldq<0 and nldz<0 and (xb isnull or xb='' or lower(xb)='null' or xb<>'1' and xb<>'2')");
  k.pmlx = "01";
  k.csrq = "1964-13-01";
  EXPECT_THROW(PersonCondition(k), std::invalid_argument);
}

TEST(JfbzRanking, SpecificRowsFirstAndOnlyTheBestGroupOfGrades) {
  Json rows = Json::array({{{"sbjbjgdm", ""}, {"zszmdm", "null"}, {"xb", ""}, {"dcje", "380"}},
                           {{"sbjbjgdm", "A1"}, {"zszmdm", ""}, {"xb", "3"}, {"dcje", "400"}},
                           {{"sbjbjgdm", ""}, {"zszmdm", ""}, {"xb", "1"}, {"dcje", "200"}},
                           {{"sbjbjgdm", "A1"}, {"zszmdm", ""}, {"xb", ""}, {"dcje", "500"}}});
  Json first = MostSpecificFirst(rows, true);
  EXPECT_EQ(first[0]["dcje"], "400");
  EXPECT_EQ(first[1]["dcje"], "500");
  EXPECT_EQ(first[2]["dcje"], "200");
  EXPECT_EQ(first[3]["dcje"], "380");
  Json best = MostSpecificGroup(rows, true);
  ASSERT_EQ(best.size(), 2u);
  EXPECT_EQ(best[0]["dcje"], "400");
  EXPECT_EQ(best[1]["dcje"], "500");
  EXPECT_TRUE(MostSpecificGroup(Json::array(), true).empty());
  // Without a sex asked for, rows for one sex rank with those for both.
  rows.erase(rows.begin() + 1);
  rows.erase(rows.begin() + 2);
  EXPECT_EQ(MostSpecificGroup(rows, false).size(), 2u);
  EXPECT_EQ(MostSpecificGroup(rows, true).size(), 1u);
}

}  // namespace
}  // namespace velmor::fees
