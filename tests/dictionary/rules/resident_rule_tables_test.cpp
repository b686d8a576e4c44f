// Rule tables of residents' insurance built from rule objects alone: insurance types and
// special categories by personal status and region, payable-amount grades, applicable-group
// types, the co-operative scheme's classification marks; and the shared matching helpers.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dictionary/rules/cxjm_syrqlx_dz_gz.h"
#include "dictionary/rules/cxjmyjfedc_gz.h"
#include "dictionary/rules/grcbrytslbdz_gz.h"
#include "dictionary/rules/grdjxzdz_gz.h"
#include "dictionary/rules/rule_match.h"
#include "dictionary/rules/xnhflbs_gz.h"

namespace velmor {
namespace {

using json = nlohmann::json;

json Rule(json rows) { return {{"md5", "m"}, {"gzLb", std::move(rows)}}; }
const json kEmptyRules[] = {json(nullptr), json::object(), json{{"gzLb", "rows"}}, Rule(json::array({1, nullptr}))};

TEST(RuleMatch, WildcardDatesAndRanges) {
  EXPECT_TRUE(dict::CodeMatches("%", "anything"));
  EXPECT_TRUE(dict::CodeMatches("Ab", "aB"));
  EXPECT_FALSE(dict::CodeMatches("", "A"));
  EXPECT_FALSE(dict::CodeMatches("A%", "AB"));  // only a whole "%" is a wildcard
  EXPECT_EQ(dict::DateNumber("2024-02-29"), 20240229);
  EXPECT_EQ(dict::DateNumber("2024-02-29 10:00:00"), 20240229);
  EXPECT_EQ(dict::JsonDateNumber(json(20240229)), 20240229);
  for (const char* bad : {"", "2024-2-29", "2024022", "2024x229", "2024-02-29T10", "abcdefgh"})
    EXPECT_FALSE(dict::DateNumber(bad)) << bad;
  EXPECT_FALSE(dict::JsonDateNumber(json(true)));
  json row = {{"lo", "16"}, {"hi", 59}, {"bad", "x"}, {"open", ""}};
  EXPECT_TRUE(dict::InNumberRange(16, row, "lo", "hi"));
  EXPECT_TRUE(dict::InNumberRange(59, row, "lo", "hi"));
  EXPECT_FALSE(dict::InNumberRange(60, row, "lo", "hi"));
  EXPECT_TRUE(dict::InNumberRange(1000, row, "lo", "open"));
  EXPECT_TRUE(dict::InNumberRange(-5, row, "missing", "hi"));
  EXPECT_FALSE(dict::InNumberRange(20, row, "bad", "hi"));  // a bound that is no number never matches
  EXPECT_EQ(dict::JoinKey({"J1", "P", ""}), "j1_p_");
}

json GrdjRule() {
  auto row = [](const char* sf, const char* lb, const char* qh, const char* lx) {
    return json{{"grsfDm", sf}, {"tsrylbDm", lb}, {"xzqhDm", qh}, {"xzlxDm", lx}};
  };
  return Rule({row("11", "%", "110101", "390"), row("11", "01", "110101", "370"), row("12", "%", "%", "390"),
               row("11", "%", "110101", "390"), row("11", "%", "110101", "")});
}

TEST(GrdjxzdzGz, TypesOfACombinationWithWildcards) {
  Ref<TGrdjxzdzGzImpl> t = New<TGrdjxzdzGzImpl>(GrdjRule());
  EXPECT_EQ(t->GetXzlxList("11", "01", "110101"), "370\r\n390");
  EXPECT_EQ(t->GetXzlxList("11", "00", "110101"), "390");
  EXPECT_EQ(t->GetXzlxList("12", "02", "999999"), "390");
  EXPECT_EQ(t->GetXzlxList("11", "00", "110102"), "");
  EXPECT_TRUE(t->IsValidXzlx("11", "01", "110101", "370"));
  EXPECT_FALSE(t->IsValidXzlx("11", "00", "110101", "370"));
  EXPECT_FALSE(t->IsValidXzlx("11", "00", "110101", ""));  // the row without a type is left out
  Ref<IGrdjxzdzGzItems> items = t->GetItems("11", "01", "110101");
  ASSERT_EQ(items->GetCount(), 3);  // rule order, repeated rows included
  EXPECT_EQ(items->GetGrdjxzdzGzItem(0)->GetXzlxDm(), "390");
  EXPECT_EQ(items->GetGrdjxzdzGzItem(1)->GetXzlxDm(), "370");
  EXPECT_EQ(items->GetGrdjxzdzGzItem(1)->GetTsrylbDm(), "01");
  EXPECT_FALSE(items->GetGrdjxzdzGzItem(3));
  // The list is the caller's: emptying it leaves the table as it was.
  items->Clear();
  EXPECT_EQ(t->GetItems("11", "01", "110101")->GetCount(), 3);
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TGrdjxzdzGzImpl>(r)->GetItems("11", "01", "110101")->GetCount(), 0);
}

TEST(GrcbrytslbdzGz, CategoriesOfAFourCodeCombination) {
  auto row = [](const char* sf, const char* lb, const char* qh, const char* lx, const char* cb) {
    return json{{"grsfDm", sf}, {"tsrylbDm", lb}, {"xzqhDm", qh}, {"xzlxDm", lx}, {"cbrytslbDm", cb}};
  };
  Ref<TGrcbrytslbdzGzImpl> t = New<TGrcbrytslbdzGzImpl>(Rule({row("11", "%", "110101", "390", "00"),
                                                              row("11", "02", "%", "390", "05"),
                                                              row("11", "02", "110101", "370", "06"),
                                                              row("11", "02", "110101", "390", "")}));
  EXPECT_EQ(t->GetCbrytslbList("11", "02", "110101", "390"), "00\r\n05");
  EXPECT_EQ(t->GetCbrytslbList("11", "02", "110101", "370"), "06");
  EXPECT_EQ(t->GetCbrytslbList("12", "02", "110101", "390"), "");
  Ref<IGrcbrytslbdzGzItems> items = t->GetItems("11", "02", "120101", "390");
  ASSERT_EQ(items->GetCount(), 1);
  EXPECT_EQ(items->GetGrcbrytslbdzGzItem(0)->GetCbrytslbDm(), "05");
  EXPECT_EQ(items->GetGrcbrytslbdzGzItem(0)->GetXzqhDm(), "%");
}

json GradeRow(const char* dc, const char* jg, const char* zm, const char* q, const char* z, const char* nq,
              const char* nz, const char* sex, const char* rq) {
  return {{"dcDm", dc}, {"dcmc", std::string("档") + dc}, {"sbjbjgDm", jg}, {"zsxmDm", "10219"}, {"zspmDm", "P1"},
          {"zszmDm", zm}, {"nldq", nq}, {"nldz", nz}, {"sex", sex}, {"grsjje", "380"}, {"jfndq", q}, {"jfndz", z},
          {"dtjfbz", "N"}, {"czbtje", "100"}, {"bzje", "10"}, {"zfdjje", "5"}, {"syrqlxDm", rq}};
}

json GradeRule() {
  return Rule({GradeRow("01", "J1", "Z1", "2020", "2099", "0", "17", "%", "%"),
               GradeRow("02", "J1", "Z1", "2020", "2099", "18", "", "1", "01"),
               GradeRow("03", "J1", "Z2", "2020", "2099", "0", "200", "%", "%"),
               GradeRow("04", "J1", "Z1", "2025", "2099", "0", "200", "%", "%"),
               GradeRow("05", "%", "Z1", "2020", "2099", "0", "200", "2", ""),
               GradeRow("06", "J2", "Z1", "2020", "2099", "0", "200", "%", "%")});
}

std::string Codes(ICxjmyjfedcGzItems* items) {
  std::string out;
  for (int32_t i = 0; i < items->GetCount(); ++i) out += items->GetYjfedcItem(i)->GetDcDm() + ",";
  return out;
}

TEST(CxjmyjfedcGz, FirstQueryByKeyDetailAndYear) {
  Ref<TCxjmyjfedcGzImpl> t = New<TCxjmyjfedcGzImpl>(GradeRule());
  EXPECT_EQ(Codes(t->GetYjfedcList("J1", "10219", "P1", "Z1", "2024").get()), "01,02,05,");
  EXPECT_EQ(Codes(t->GetYjfedcList("j1", "10219", "p1", "Z1", "2025").get()), "01,02,04,05,");
  EXPECT_EQ(Codes(t->GetYjfedcList("J1", "10219", "P1", "z1", "2024").get()), "");  // detail is exact
  EXPECT_EQ(Codes(t->GetYjfedcList("J1", "10219", "P1", "Z1", "2019").get()), "");
  EXPECT_EQ(Codes(t->GetYjfedcList("J9", "10219", "P1", "Z1", "2024").get()), "05,");
  EXPECT_EQ(Codes(t->GetYjfedcList("J1", "10210", "P1", "Z1", "2024").get()), "");
}

TEST(CxjmyjfedcGz, ItemsAreClonesWithEveryField) {
  Ref<TCxjmyjfedcGzImpl> t = New<TCxjmyjfedcGzImpl>(GradeRule());
  Ref<ICxjmyjfedcGzItem> item = t->GetYjfedcList("J1", "10219", "P1", "Z2", "2024")->GetYjfedcItem(0);
  ASSERT_TRUE(item);
  std::string all = item->GetBzje() + "|" + item->GetCzbtje() + "|" + item->GetDcDm() + "|" + item->GetDcmc() + "|" +
                    item->GetDtjfbz() + "|" + item->GetGrsjje() + "|" + item->GetJfndq() + "|" + item->GetJfndz() +
                    "|" + item->GetNldq() + "|" + item->GetNldz() + "|" + item->GetSbjbjgDm() + "|" + item->GetSex() +
                    "|" + item->GetSyrqlxDm() + "|" + item->GetZfdjje() + "|" + item->GetZspmDm() + "|" +
                    item->GetZsxmDm() + "|" + item->GetZszmDm();
  EXPECT_EQ(all, "10|100|03|档03|N|380|2020|2099|0|200|J1|%|%|5|P1|10219|Z2");
  // Changing a handed-out item leaves the table's row alone.
  item->SetGrsjje("1");
  item->SetZszmDm("Z9");
  EXPECT_EQ(t->GetYjfedc("J1", "10219", "P1", "Z2", "2024", "03")->GetGrsjje(), "380");
  Ref<ICxjmyjfedcGzItem> copy = item->Clone();
  EXPECT_EQ(copy->GetGrsjje() + copy->GetZszmDm(), "1Z9");
  EXPECT_FALSE(t->GetYjfedc("J1", "10219", "P1", "Z2", "2024", "01"));
}

TEST(CxjmyjfedcGz, PersonQueryNarrowsByAgeSexAndGroup) {
  Ref<TCxjmyjfedcGzImpl> t = New<TCxjmyjfedcGzImpl>(GradeRule());
  EXPECT_EQ(Codes(t->GetYjfedcListOfPerson("J1", "10219", "P1", "Z1", "2024", 10, "1", "01").get()), "01,");
  EXPECT_EQ(Codes(t->GetYjfedcListOfPerson("J1", "10219", "P1", "Z1", "2024", 40, "1", "01").get()), "02,");
  EXPECT_EQ(Codes(t->GetYjfedcListOfPerson("J1", "10219", "P1", "Z1", "2024", 40, "2", "01").get()), "05,");
  EXPECT_EQ(Codes(t->GetYjfedcListOfPerson("J1", "10219", "P1", "Z1", "2024", 40, "1", "02").get()), "");
  EXPECT_EQ(Codes(t->GetYjfedcListOfPerson("J1", "10219", "P1", "Z1", "2024", 40, "1", "").get()), "02,");
  EXPECT_EQ(Codes(t->GetYjfedcListOfPerson("J1", "10219", "P1", "Z1", "2024", 201, "2", "").get()), "");
  for (const json& r : kEmptyRules)
    EXPECT_EQ(New<TCxjmyjfedcGzImpl>(r)->GetYjfedcList("J1", "10219", "P1", "Z1", "2024")->GetCount(), 0);
}

TEST(CxjmSyrqlxDz, CategoryRowThenWildcard) {
  auto row = [](const char* lb, const char* lx) { return json{{"cbrytslbDm", lb}, {"syrqlxDm", lx}}; };
  Ref<TCxjmCbrytslbSyrqlxDzGzImpl> t = New<TCxjmCbrytslbSyrqlxDzGzImpl>(
      Rule({row("%", "01"), row("02", "02"), row("03", "03"), row("03", "04"), row("04", ""), row("05", "05"),
            row("05", "05")}));
  std::string lx = "x", err = "x";
  EXPECT_TRUE(t->GetSyrqlxDm("02", lx, err));
  EXPECT_EQ(lx + "|" + err, "02|");
  EXPECT_TRUE(t->GetSyrqlxDm("99", lx, err));
  EXPECT_EQ(lx, "01");
  EXPECT_TRUE(t->GetSyrqlxDm("05", lx, err));  // the same row twice is no conflict
  EXPECT_EQ(lx, "05");
  for (const char* bad : {"03", "04"}) {
    EXPECT_FALSE(t->GetSyrqlxDm(bad, lx, err)) << bad;
    EXPECT_EQ(lx, "");
    EXPECT_EQ(err, "适用人群类型对照配置异常");
  }
}

TEST(CxjmSyrqlxDz, NoRowAndNoWildcardIsAConfigurationError) {
  std::string lx, err;
  EXPECT_FALSE(New<TCxjmCbrytslbSyrqlxDzGzImpl>(Rule({{{"cbrytslbDm", "02"}, {"syrqlxDm", "02"}}}))
                   ->GetSyrqlxDm("01", lx, err));
  EXPECT_EQ(err, "适用人群类型对照配置异常");
  for (const json& r : kEmptyRules) EXPECT_FALSE(New<TCxjmCbrytslbSyrqlxDzGzImpl>(r)->GetSyrqlxDm("01", lx, err));
}

TEST(XnhflbsGz, EveryRowInOrder) {
  Ref<TXnhflbsGzImpl> t = New<TXnhflbsGzImpl>(
      Rule({{{"flbsDm", "02"}, {"flbsMc", "资助参合"}, {"zzbz", "Y"}}, {{"flbsDm", "01"}, {"flbsMc", "普通参合"}}, 7}));
  Ref<IXnhflbsItems> list = t->GetXnhflbsList();
  ASSERT_EQ(list->GetCount(), 2);
  EXPECT_EQ(list->GetXnhflbsItem(0)->GetFlbsDm() + list->GetXnhflbsItem(0)->GetFlbsMc(), "02资助参合");
  EXPECT_EQ(list->GetXnhflbsItem(0)->GetValue("zzbz"), "Y");
  EXPECT_EQ(list->GetXnhflbsItem(1)->GetValue("zzbz"), "");
  list->Delete(0);
  EXPECT_EQ(t->GetXnhflbsList()->GetCount(), 2);
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TXnhflbsGzImpl>(r)->GetXnhflbsList()->GetCount(), 0);
}

}  // namespace
}  // namespace velmor
