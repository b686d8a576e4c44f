// Code tables built from rule objects and the built-in kinship table.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dictionary/dictionary.h"

namespace velmor {
namespace {

using json = nlohmann::json;

json ZjlxRule() {
  return {{"md5", "m"},
          {"gzLb",
           {{{"dm", "201"}, {"mc", "居民身份证"}, {"yxbz", "Y"}},
            {{"dm", "202"}, {"mc", ""}},
            {{"dm", ""}, {"mc", "无代码"}},
            {{"dm", "201"}, {"mc", "重复身份证"}},
            {{"dm", "Ab"}, {"mc", "字母代码"}, {"yxbz", "N"}},
            {{"mc", "缺代码"}},
            {{"dm", 208}, {"mc", "外国护照"}}}}};
}

TEST(JsonDictionary, FirstEntryOfACodeWinsAndEmptyEntriesAreSkipped) {
  Ref<TJSONDictionary> d = MakeDictionary<TJSONDictionary>(ZjlxRule());
  EXPECT_EQ(d->GetNameByCode("201"), "居民身份证");
  EXPECT_EQ(d->GetNameByCode("202"), "");
  EXPECT_EQ(d->GetCodeByName("无代码"), "");
  EXPECT_EQ(d->GetCodeByName("重复身份证"), "");
  EXPECT_EQ(d->GetNameByCode("208"), "外国护照");  // a numeric code reads as its text
  EXPECT_EQ(d->GetCodesText(), "201\r\nAb\r\n208");
  EXPECT_EQ(d->GetNamesText(), "居民身份证\r\n字母代码\r\n外国护照");
}

TEST(JsonDictionary, LookupsIgnoreCaseAndAbsentCodesAreEmpty) {
  Ref<TJSONDictionary> d = MakeDictionary<TJSONDictionary>(ZjlxRule());
  EXPECT_EQ(d->GetNameByCode("ab"), "字母代码");
  EXPECT_EQ(d->GetNameByCode("999"), "");
  EXPECT_EQ(d->GetCodeByName("居民身份证"), "201");
  EXPECT_EQ(d->GetCodeByName("没有"), "");
  EXPECT_EQ(d->GetYxbz("AB"), "N");
  EXPECT_EQ(d->GetYxbz("208"), "");
  EXPECT_EQ(json::parse(d->GetItemJson("201")), (json{{"dm", "201"}, {"mc", "居民身份证"}, {"yxbz", "Y"}}));
  EXPECT_EQ(d->GetItemJson("999"), "");
}

TEST(JsonDictionary, SetNameByCodeOnlyForAChange) {
  Ref<TJSONDictionary> d = MakeDictionary<TJSONDictionary>(ZjlxRule());
  EXPECT_FALSE(d->SetNameByCode("999", "x"));
  EXPECT_FALSE(d->SetNameByCode("201", "居民身份证"));
  EXPECT_TRUE(d->SetNameByCode("201", "身份证"));
  EXPECT_EQ(d->GetNameByCode("201"), "身份证");
  EXPECT_EQ(d->GetCodeByName("身份证"), "201");
  EXPECT_EQ(d->GetCodeByName("居民身份证"), "");
  EXPECT_EQ(json::parse(d->GetItemJson("201"))["mc"], "身份证");
}

TEST(JsonDictionary, MissingRuleOrRowsGiveAnEmptyTable) {
  for (const json& rule : {json(nullptr), json::object(), json{{"gzLb", json::object()}}, json("text")}) {
    Ref<TJSONDictionary> d = MakeDictionary<TJSONDictionary>(rule);
    EXPECT_EQ(d->Count(), 0u);
    EXPECT_EQ(d->GetCodesText(), "");
    EXPECT_EQ(d->GetNameByCode("201"), "");
  }
}

TEST(JsonDictionary, ReloadStartsAfresh) {
  Ref<TJSONDictionary> d = MakeDictionary<TJSONDictionary>(ZjlxRule());
  d->Reload();
  EXPECT_EQ(d->Count(), 3u);
}

TEST(CbxzDictionary, UsesTheInsuranceTypeColumns) {
  json rule = {{"gzLb", {{{"xzlxDm", "110"}, {"xzlxMc", "养老"}, {"dm", "x"}, {"mc", "y"}}}}};
  Ref<TRS_CbxzDictionary> d = MakeDictionary<TRS_CbxzDictionary>(rule);
  EXPECT_EQ(d->GetNameByCode("110"), "养老");
  EXPECT_EQ(d->GetNameByCode("x"), "");
}

TEST(QsgxDictionary, KinshipTableIsBuiltIn) {
  Ref<TQsgxDictionary> d = MakeDictionary<TQsgxDictionary>();
  EXPECT_EQ(d->GetNameByCode("04"), "父母");
  EXPECT_EQ(d->GetNameByCode("03"), "孙子、孙女，或外孙子、外孙女");
  EXPECT_EQ(d->GetCodeByName("兄、弟、姐、妹"), "06");
  EXPECT_EQ(d->GetCodesText(), "01\r\n02\r\n03\r\n04\r\n05\r\n06");
  EXPECT_EQ(d->GetNameByCode("07"), "");
}

}  // namespace
}  // namespace velmor
