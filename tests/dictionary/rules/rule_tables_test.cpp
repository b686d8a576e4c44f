// Rule tables built from rule objects alone (no host needed).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dictionary/rules/cxjm_fkssq_gz.h"
#include "dictionary/rules/pmlx_gz.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {
namespace {

using json = nlohmann::json;

json XzjdRule() {
  auto row = [](const char* jg, const char* jd, const char* jdmc, const char* sq, const char* sqmc) {
    return json{{"sbjbjgDm", jg}, {"jdxzDm", jd}, {"jdxzMc", jdmc}, {"sqczDm", sq}, {"sqczMc", sqmc}};
  };
  return {{"md5", "x"},
          {"gzLb",
           {row("J1", "JD02", "二街道", "SQ21", "二一社区"), row("J1", "JD01", "一街道", "SQ11", "一一社区"),
            row("J1", "JD01", "一街道", "SQ12", "一二社区"), row("J2", "JD03", "三街道", "SQ31", "三一社区"),
            row("J2", "JD01", "一街道(重)", "SQ13", "一三社区")}}};
}

TEST(XzjdSqcz, SubDistrictListsAreSortedWithoutDuplicates) {
  Ref<TRS_xzjd_sqcz> t = New<TRS_xzjd_sqcz>(XzjdRule());
  EXPECT_EQ(t->GetJdxzList(""), "JD01=一街道\r\nJD01=一街道(重)\r\nJD02=二街道\r\nJD03=三街道");
  EXPECT_EQ(t->GetJdxzList("J1"), "JD01=一街道\r\nJD02=二街道");
  EXPECT_EQ(t->GetJdxzList("J2\r\nJ1\n"), t->GetJdxzList(""));
  EXPECT_EQ(t->GetJdxzList("J9"), "");
}

TEST(XzjdSqcz, NamesTakeTheFirstPairAndIgnoreCase) {
  Ref<TRS_xzjd_sqcz> t = New<TRS_xzjd_sqcz>(XzjdRule());
  EXPECT_EQ(t->GetJdxzName("JD01"), "一街道");
  EXPECT_EQ(t->GetJdxzName("jd01"), "一街道");
  EXPECT_EQ(t->GetJdxzName("JD99"), "");
  EXPECT_EQ(t->GetSqczName("SQ31"), "三一社区");
  EXPECT_EQ(t->GetSqczName(""), "");
}

TEST(XzjdSqcz, CommunityListFiltersByAgencyAndSubDistrict) {
  Ref<TRS_xzjd_sqcz> t = New<TRS_xzjd_sqcz>(XzjdRule());
  EXPECT_EQ(t->GetSqczList("", ""), "SQ11=一一社区\r\nSQ12=一二社区\r\nSQ13=一三社区\r\nSQ21=二一社区\r\nSQ31=三一社区");
  EXPECT_EQ(t->GetSqczList("J2", ""), "SQ13=一三社区\r\nSQ31=三一社区");
  EXPECT_EQ(t->GetSqczList("", "jd01"), "SQ11=一一社区\r\nSQ12=一二社区\r\nSQ13=一三社区");
  EXPECT_EQ(t->GetSqczList("J1", "Jd01"), "SQ11=一一社区\r\nSQ12=一二社区");
  EXPECT_EQ(t->GetSqczList("J1", "JD03"), "");
}

TEST(XzjdSqcz, CombinationMustMatchOneRowExactly) {
  Ref<TRS_xzjd_sqcz> t = New<TRS_xzjd_sqcz>(XzjdRule());
  EXPECT_TRUE(t->IsValidCombination("J1", "JD01", "SQ11"));
  EXPECT_FALSE(t->IsValidCombination("J1", "JD02", "SQ11"));  // community of another sub-district
  EXPECT_FALSE(t->IsValidCombination("J2", "JD01", "SQ11"));  // another agency
  EXPECT_FALSE(t->IsValidCombination("j1", "JD01", "SQ11"));  // case counts here
}

TEST(XzjdSqcz, MissingOrMalformedRuleIsEmpty) {
  for (const json& rule : {json(nullptr), json::object(), json{{"gzLb", "rows"}}, json{{"gzLb", json::object()}}}) {
    Ref<TRS_xzjd_sqcz> t = New<TRS_xzjd_sqcz>(rule);
    EXPECT_EQ(t->GetJdxzList(""), "");
    EXPECT_EQ(t->GetSqczList("", ""), "");
    EXPECT_FALSE(t->IsValidCombination("J1", "JD01", "SQ11"));
    EXPECT_EQ(t->GetSqczName("SQ11"), "");
  }
}

TEST(PmlxGz, OnlyListedPairsInTheirRoles) {
  json rule = {{"gzLb", {{{"zspmDm", "102101000"}, {"pmlx", "01"}}, {{"zspmDm", "102121000"}, {"pmlx", "02"}}}}};
  Ref<TPmlxGzImpl> t = New<TPmlxGzImpl>(rule);
  EXPECT_TRUE(t->IsPmlx("102101000", "01"));
  EXPECT_FALSE(t->IsPmlx("01", "102101000"));
  EXPECT_FALSE(t->IsPmlx("102101000", "02"));
  EXPECT_FALSE(New<TPmlxGzImpl>(json(nullptr))->IsPmlx("102101000", "01"));
}

json FkssqRule() {
  auto row = [](const char* jg, const char* lx, const char* q, const char* z) {
    return json{{"sbjbjgDm", jg}, {"fkssqlx", lx}, {"fkssqq", q}, {"fkssqz", z}};
  };
  return {{"gzLb",
           {row("J1", "01", "DN03", "DN11"), row("J1", "01", "DN01", "DN02"), row("%", "02", "DN09", "CN08"),
            row("J2", "01", "CN01", "DN12"), row("J3", "01", "XN01", "DN12"), row("J4", "01", "DN1", "DN12")}}};
}

TEST(CxjmFkssq, RowOfTheJoinedKeyThenOfTheModeAlone) {
  Ref<TCxjmFkssqGzImpl> t = New<TCxjmFkssqGzImpl>(FkssqRule());
  std::string q, z, err;
  EXPECT_TRUE(t->GetFkssq("J1", "01", "2024", q, z, err));
  EXPECT_EQ(q + "|" + z, "2024-03|2024-11");  // first row of the key wins
  EXPECT_TRUE(t->GetFkssq("J1", "02", "2024", q, z, err));
  EXPECT_EQ(q + "|" + z, "2024-09|2025-08");
  EXPECT_TRUE(t->GetFkssq("J9", "02", "1999", q, z, err));
  EXPECT_EQ(q + "|" + z, "1999-09|2000-08");
}

TEST(CxjmFkssq, MissingRowIsTheWholeYear) {
  Ref<TCxjmFkssqGzImpl> t = New<TCxjmFkssqGzImpl>(FkssqRule());
  std::string q = "x", z = "x", err;
  EXPECT_TRUE(t->GetFkssq("J9", "01", "2024", q, z, err));
  EXPECT_EQ(q + "|" + z, "2024-01|2024-12");
  EXPECT_TRUE(New<TCxjmFkssqGzImpl>(json(nullptr))->GetFkssq("J1", "01", "2023", q, z, err));
  EXPECT_EQ(q + "|" + z, "2023-01|2023-12");
}

TEST(CxjmFkssq, InconsistentRowsAreRejected) {
  Ref<TCxjmFkssqGzImpl> t = New<TCxjmFkssqGzImpl>(FkssqRule());
  std::string q, z, err;
  EXPECT_FALSE(t->GetFkssq("J2", "01", "2024", q, z, err));  // CN start, DN end
  EXPECT_EQ(err, "城乡居民费款所属期配置异常");
  EXPECT_EQ(q + z, "");
  EXPECT_FALSE(t->GetFkssq("J3", "01", "2024", q, z, err));  // unknown year letters
  EXPECT_FALSE(t->GetFkssq("J4", "01", "2024", q, z, err));  // three-character specification
  EXPECT_FALSE(t->GetFkssq("J1", "01", "20x4", q, z, err));  // a year that is not a number
  EXPECT_EQ(err, "城乡居民费款所属期配置异常");
}

}  // namespace
}  // namespace velmor
