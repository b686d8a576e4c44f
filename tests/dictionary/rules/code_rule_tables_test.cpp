// Rule tables of codes and their relations, built from rule objects alone (no host needed):
// the insurance-type tree, fee-standard grades, payment methods, agency sub-items, bank kinds,
// document types by country, regions, person statuses and key-value rules.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dictionary/rules/cbxm_impl.h"
#include "dictionary/rules/jfbz_gz.h"
#include "dictionary/rules/key_value_gz.h"
#include "dictionary/rules/ryzt_gz.h"
#include "dictionary/rules/sbjbjg_zspm_dz_gz.h"
#include "dictionary/rules/sfzjlx_gj_gz.h"
#include "dictionary/rules/xzqh_gz.h"
#include "dictionary/rules/xzylgx_gz.h"
#include "dictionary/rules/yhhb_gz.h"

namespace velmor {
namespace {

using json = nlohmann::json;

json Rule(json rows) { return {{"md5", "m"}, {"gzLb", std::move(rows)}}; }

// Rules that give every table nothing to stand on.
const json kEmptyRules[] = {json(nullptr), json::object(), json{{"gzLb", "rows"}}, json{{"gzLb", json::object()}},
                            Rule(json::array({1, "x", nullptr}))};

TEST(Cbxm, TreeIsFlattenedIntoLevelsOfKeys) {
  json rule = Rule({{{"dm", "310"}, {"mc", "医疗"},
                     {"zspmLb", {{{"dm", "P2"}, {"mc", "医疗单位"}, {"zszmLb", {{{"dm", "Z1"}, {"mc", "单位部分"}}}}},
                                 {{"dm", "P1"}, {"mc", "医疗个人"}}}}},
                    {{"dm", "110"}, {"mc", "养老"}},
                    {{"dm", "310"}, {"mc", "重复"}, {"zspmLb", {{{"dm", "P3"}, {"mc", "补充"}}}}},
                    {{"dm", ""}, {"mc", "无代码"}, {"zspmLb", {{{"dm", "P9"}, {"mc", "孤儿"}}}}},
                    {{"dm", "410"}, {"mc", ""}}});
  Ref<TCbxmImpl> t = New<TCbxmImpl>(rule);
  EXPECT_EQ(t->GetCbxmList(""), "110=养老\r\n310=医疗");
  // A repeated type keeps its first name; its sub-items join those of the first.
  EXPECT_EQ(t->GetCbxmList("310"), "310#P1=医疗个人\r\n310#P2=医疗单位\r\n310#P3=补充");
  EXPECT_EQ(t->GetCbxmList("310#p2"), "310#P2#Z1=单位部分");
  EXPECT_EQ(t->GetCbxmMc("310#P2#Z1"), "单位部分");
  EXPECT_EQ(t->GetCbxmMc("310"), "医疗");
  EXPECT_EQ(t->GetCbxmMc("P9"), "");  // under an entry without a code: left out
  EXPECT_EQ(t->GetCbxmList("999"), "");
  EXPECT_EQ(t->GetCbxmList("110"), "");
}

TEST(Cbxm, NestedListsThatAreNoArraysAreIgnored) {
  Ref<TCbxmImpl> t = New<TCbxmImpl>(Rule({{{"dm", "1"}, {"mc", "a"}, {"zspmLb", "x"}}, {{"dm", "2"}, {"mc", "b"}, {"zspmLb", 5}}}));
  EXPECT_EQ(t->GetCbxmList(""), "1=a\r\n2=b");
  EXPECT_EQ(t->GetCbxmList("1"), "");
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TCbxmImpl>(r)->GetCbxmList(""), "");
}

json JfbzRule() {
  auto row = [](const char* xm, const char* pm, const char* jg, json q, json z, json nq, json nz, json je) {
    return json{{"zsxmDm", xm}, {"zspmDm", pm}, {"sbjbjgDm", jg}, {"yxqq", q}, {"yxqz", z},
                {"nldq", nq}, {"nldz", nz}, {"dcje", je}};
  };
  return Rule({row("10210", "P1", "J1", 20240101, 20241231, 16, 59, 1000),
               row("10210", "P1", "J1", 20240101, 20241231, 16, 59, 300),
               row("10210", "P1", "J1", 20240101, 20241231, 60, 200, 500),
               row("10210", "P1", "J1", 20230101, 20231231, 16, 59, 900),
               row("10210", "P1", "J1", 20240101, 20241231, 16, 59, "300.0"),
               row("10210", "P1", "J1", "", "", "", "", 77),
               row("10210", "P1", "J1", "bad", 20241231, 0, 200, 66),
               row("10210", "P1", "J1", 20240101, 20241231, 0, 200, "无"),
               row("10212", "M1", "J1", 20240101, 20241231, 0, 17, 250)});
}

TEST(JfbzGz, AmountsByCodesDateAndAge) {
  Ref<TJfbzGzImpl> t = New<TJfbzGzImpl>(JfbzRule());
  // Ascending by value, each once; open bounds hold; bad dates and amounts never match.
  EXPECT_EQ(t->GetJfdcByAge("10210", "P1", "J1", "2024-06-30", 30), "77\r\n300\r\n1000");
  EXPECT_EQ(t->GetJfdcByAge("10210", "p1", "j1", "20240630", 60), "77\r\n500");
  EXPECT_EQ(t->GetJfdcByAge("10210", "P1", "J1", "2023-06-30", 30), "77\r\n900");
  EXPECT_EQ(t->GetJfdc("10210", "P1", "J1", "2024-01-01"), "77\r\n300\r\n500\r\n1000");
  EXPECT_EQ(t->GetJfdc("10210", "P1", "J2", "2024-01-01"), "");
  EXPECT_EQ(t->GetJfdc("10210", "P1", "J1", "2024/01/01"), "");
  EXPECT_EQ(t->GetJfdc("10210", "P1", "J1", ""), "");
}

TEST(JfbzGz, MedicalItemIgnoresAge) {
  EXPECT_EQ(New<TJfbzGzImpl>(JfbzRule())->GetJfdcByAge("10212", "M1", "J1", "2024-03-01", 45), "250");
  // Another code named by the system parameter: then 10212 is an ordinary item.
  Ref<TJfbzGzImpl> t = New<TJfbzGzImpl>(JfbzRule(), "10210");
  EXPECT_EQ(t->GetJfdcByAge("10212", "M1", "J1", "2024-03-01", 45), "");
  EXPECT_EQ(t->GetJfdcByAge("10210", "P1", "J1", "2024-03-01", 100), "77\r\n300\r\n500\r\n1000");
}

TEST(XzylgxGz, RelatedTypeValidAtTheDate) {
  auto row = [](const char* jg, const char* lx, const char* yl, const char* q, const char* z) {
    return json{{"sbjbjgDm", jg}, {"xzlxDm", lx}, {"ylxzlxDm", yl}, {"yxqq", q}, {"yxqz", z}};
  };
  Ref<TXzylgxGz> t = New<TXzylgxGz>(Rule({row("J1", "110", "", "20000101", "20991231"),
                                          row("J1", "110", "11", "20000101", "20231231"),
                                          row("J1", "110", "12", "20240101", ""),
                                          row("%", "310", "31", "", "20991231")}));
  EXPECT_EQ(t->GetYlxzlxDm("J1", "110", "2023-12-31"), "11");  // the empty type row is skipped
  EXPECT_EQ(t->GetYlxzlxDm("j1", "110", "20240101"), "12");
  EXPECT_EQ(t->GetYlxzlxDm("J1", "110", "1999-12-31"), "");
  EXPECT_EQ(t->GetYlxzlxDm("J7", "310", "2030-01-01"), "31");
  EXPECT_EQ(t->GetYlxzlxDm("J1", "410", "2024-01-01"), "");
  EXPECT_EQ(t->GetYlxzlxDm("J1", "110", "not a date"), "");
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TXzylgxGz>(r)->GetYlxzlxDm("J1", "110", "2024-01-01"), "");
}

TEST(SbjbjgZspmDzGz, SubItemsAndDetailsOfAnAgency) {
  auto row = [](const char* jg, const char* pm, const char* zm) {
    return json{{"sbjbjgDm", jg}, {"zspmDm", pm}, {"zszmDm", zm}};
  };
  Ref<TSbjbjgZspmDzGz> t = New<TSbjbjgZspmDzGz>(
      Rule({row("J1", "P2", "Z21"), row("J1", "P1", "Z12"), row("J1", "P1", "Z11"), row("J1", "P1", "Z11"),
            row("J2", "P1", ""), row("", "P9", "Z9"), row("J3", "", "Z9")}));
  EXPECT_EQ(t->GetZspmList("J1"), "P1\r\nP2");
  EXPECT_EQ(t->GetZspmList("j2"), "P1");
  EXPECT_EQ(t->GetZszmList("J1", "P1"), "Z11\r\nZ12");
  EXPECT_EQ(t->GetZszmList("J2", "P1"), "");
  EXPECT_TRUE(t->HasZspm("J2", "P1"));
  EXPECT_TRUE(t->HasZszm("J1", "p1", "z12"));
  EXPECT_FALSE(t->HasZszm("J1", "P2", "Z11"));  // a detail of another sub-item
  EXPECT_FALSE(t->HasZspm("J3", ""));
  EXPECT_FALSE(t->HasZszm("", "P9", "Z9"));
  EXPECT_EQ(t->GetZspmList(""), "");
}

TEST(YhhbGz, NameOfABankKindFirstRowWins) {
  Ref<TYhhbGzImpl> t = New<TYhhbGzImpl>(Rule({{{"yhhbDm", "102"}, {"yhhbMc", "工商银行"}, {"yhhbJc", "工行"}},
                                               {{"yhhbDm", "102"}, {"yhhbMc", "重复"}},
                                               {{"yhhbDm", "B01"}, {"yhhbMc", "村镇银行"}},
                                               {{"yhhbDm", ""}, {"yhhbMc", "无代码"}}}));
  EXPECT_EQ(t->GetYhhbMc("102"), "工商银行");
  EXPECT_EQ(t->GetYhhbMc("B01"), "村镇银行");
  EXPECT_EQ(t->GetYhhbMc("b01"), "");  // the hash table's keys are exact
  EXPECT_EQ(t->GetYhhbMc(""), "");
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TYhhbGzImpl>(r)->GetYhhbMc("102"), "");
}

TEST(SfzjlxGjGz, LooksUpBothDirections) {
  auto row = [](const char* lx, const char* gj) { return json{{"sfzjlxDm", lx}, {"gjDm", gj}}; };
  Ref<TSfzjlxGjGzImpl> t = New<TSfzjlxGjGzImpl>(
      Rule({row("210", "446"), row("201", "156"), row("210", "344"), row("227", "156"), row("210", "344"), row("", "156")}));
  EXPECT_EQ(t->GetGjList("210"), "344\r\n446");
  EXPECT_EQ(t->GetSfzjlxList("156"), "201\r\n227");
  EXPECT_EQ(t->GetSfzjlxList("344"), "210");
  EXPECT_EQ(t->GetGjList("999"), "");
  EXPECT_EQ(t->GetGjList(""), "");
}

TEST(XzqhGz, PlaceholdersMeanNoCode) {
  auto row = [](const char* dm, const char* sj) { return json{{"xzqhDm", dm}, {"sjxzqhDm", sj}}; };
  Ref<TXzqhGzImpl> t = New<TXzqhGzImpl>(Rule({row("110000", "000000"), row("110100", "110000"), row("110101", "110100"),
                                              row("110102", "110100"), row("110101", "120100"), row("000000", "110000"),
                                              row("null", "110000"), row("120000", "null")}));
  EXPECT_TRUE(t->IsXzqh("110101"));
  EXPECT_FALSE(t->IsXzqh("000000"));
  EXPECT_FALSE(t->IsXzqh("null"));
  EXPECT_EQ(t->GetSjxzqhDm("110101"), "110100");  // first row wins
  EXPECT_EQ(t->GetSjxzqhDm("110000"), "");
  EXPECT_EQ(t->GetSjxzqhDm("120000"), "");
  EXPECT_EQ(t->GetXjxzqhList("110100"), "110101\r\n110102");
  EXPECT_EQ(t->GetXjxzqhList("110000"), "110100");
  EXPECT_EQ(t->GetXjxzqhList("000000"), "");
  EXPECT_EQ(RegionCode(" 110101 "), "110101");
  EXPECT_EQ(RegionCode("NULL"), "");
}

TEST(RyztGz, StatusesAndTheirAttributes) {
  Ref<TRyztGzImpl> t = New<TRyztGzImpl>(Rule({{{"ryztDm", "2"}, {"ryztMc", "暂停参保"}, {"sfjf", "N"}},
                                              {{"ryztDm", "1"}, {"ryztMc", "正常参保"}, {"sfjf", "Y"}, {"px", 1}},
                                              {{"ryztDm", "1"}, {"ryztMc", "重复"}, {"sfjf", "N"}},
                                              {{"ryztDm", "A"}, {"ryztMc", "字母"}},
                                              {{"ryztDm", "3"}, {"ryztMc", ""}}}));
  EXPECT_EQ(t->GetCount(), 3);
  EXPECT_EQ(t->GetRyztList(), "1=正常参保\r\n2=暂停参保\r\nA=字母");
  EXPECT_EQ(t->GetRyztMc("a"), "字母");
  EXPECT_EQ(t->GetRyztDm("正常参保"), "1");
  EXPECT_EQ(t->GetRyztDm("重复"), "");
  EXPECT_TRUE(t->IsSfjf("1"));
  EXPECT_FALSE(t->IsSfjf("2"));
  EXPECT_FALSE(t->IsSfjf("A"));
  EXPECT_FALSE(t->IsRyzt("3"));
  EXPECT_EQ(t->GetAttribute("1", "px"), "1");
  EXPECT_EQ(t->GetAttribute("1", "none"), "");
  EXPECT_EQ(t->GetAttribute("9", "sfjf"), "");
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TRyztGzImpl>(r)->GetCount(), 0);
}

TEST(KeyValueGz, KeyValueRowsOrCodeTableRows) {
  Ref<TKeyValueGzImpl> t = New<TKeyValueGzImpl>(Rule({{{"key", "K2"}, {"value", "二"}},
                                                      {{"key", "k2"}, {"value", "重复"}},
                                                      {{"dm", "01"}, {"mc", "正常死亡"}},
                                                      {{"key", ""}, {"value", "无键"}},
                                                      {{"key", "K3"}, {"value", ""}}}));
  EXPECT_EQ(t->GetValue("k2"), "二");
  EXPECT_EQ(t->GetValue("01"), "正常死亡");
  EXPECT_EQ(t->GetValue("K3"), "");
  EXPECT_EQ(t->GetKeyValueList(), "01=正常死亡\r\nK2=二");
  for (const json& r : kEmptyRules) EXPECT_EQ(New<TKeyValueGzImpl>(r)->GetKeyValueList(), "");
}

}  // namespace
}  // namespace velmor
