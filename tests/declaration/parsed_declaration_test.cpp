// ParsedDeclaration: a declaration read once reads every person value as the JSON tree does, text
// of another shape is left to the tree, and the store keeps the same rows either way.
#include "declaration/parsed_declaration.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "store_env.h"
#include "velmor/rcsb_dao.h"

namespace velmor::testing {
namespace {

using Json = nlohmann::ordered_json;
using declaration::kPersonFieldCount;
using declaration::ParsedDeclaration;
using declaration::PersonField;

// A member's reading as text, integer and amount, or the failure's text.
template <class R>
std::string Readings(const R& record, PersonField f) {
  std::string out;
  out += declaration::Text(record, f) + "|";
  try {
    out += std::to_string(declaration::Int(record, f)) + "|";
  } catch (const std::exception& e) {
    out += std::string(e.what()) + "|";
  }
  try {
    out += std::to_string(declaration::Amount(record, f));
  } catch (const std::exception& e) {
    out += e.what();
  }
  return out;
}

// Persons whose values are every kind a member may have: quotes, escapes, empty, non-ASCII,
// numbers in their written and their printed forms, literals, nested values, repeated names.
const char* kTrickyPersons = R"([
  {"mxxh":"1","xm":"O'Neil \"Jr\"","zjhm":"","jfje":380,"yjfje":380.50,"ybtfe":"12.5","sjyjfe":-0,
   "jyzt":"1","bz":"\u0041\u00e9\ud83d\ude00","jffs":null,"jflx":true,"sbyy":false,"pmlx":"00",
   "cxjmhdid":{"b":[1,"x"],"a":null},"zjtzlsh":[],"sblsh":1e2,"fkssqq":"2026-01-01","other":{"deep":[[]]}},
  {"jfmxxh":"7","mxxh":"2","xm":"张三","jfje":"abc","jyzt":2.5,"yjfje":"","ybtfe":1E+400,"sjscrq":123456789012345678901,
   "xzjdDm":"","xz_xzjddm":"110101","sqczDm":"S1","xz_sqhczdm":"X1","xm":"李四","jfnd":2026,"zspmDm":"P\tQ"},
  {"jyzt":3000000000,"jfje":"1e3","yjfje":"-5","ybtfe":" 5","cbrytslbdm":"-0.0","jfnd":-0,"sblsh":0.1}
])";

TEST(ParsedDeclaration, ReadsEveryPersonValueAsTheJsonTreeDoes) {
  // 1E+400 is out of range for the general parser: that person list is kept for the tree.
  const Json tree = Json::parse(std::string(kTrickyPersons).replace(std::string(kTrickyPersons).find("1E+400"), 6, "7"));
  const std::string text = Json{{"swjgdm", "1"}, {"details", {{{"persons", tree}}}}}.dump();
  std::optional<ParsedDeclaration> sb = ParsedDeclaration::Read(text);
  ASSERT_TRUE(sb);
  ASSERT_EQ(sb->PersonCount(), tree.size());
  for (size_t i = 0; i < tree.size(); ++i) {
    for (size_t f = 0; f < kPersonFieldCount; ++f) {
      const auto field = static_cast<PersonField>(f);
      EXPECT_EQ(Readings(sb->Person(i), field), Readings(tree[i], field))
          << "person " << i << " member " << declaration::NameOf(field);
    }
    for (size_t f = 0; f < kPersonFieldCount; ++f) {
      const auto field = static_cast<PersonField>(f);
      EXPECT_EQ(declaration::PersonText(sb->Person(i), field), declaration::PersonText(tree[i], field));
    }
  }
  EXPECT_EQ(declaration::Text(sb->Person(1), PersonField::xm), "李四") << "a repeated name: the last value";
}

TEST(ParsedDeclaration, KeepsMasterAndDetailMembersAsTheTreeDoes) {
  const std::string text =
      R"({"zrs":2,"details":[{"zje":1.5,"persons":null,"x":{"y":1}},{"persons":[],"zrs":"3"}],"bz":"a\"b","zrs":3})";
  std::optional<ParsedDeclaration> sb = ParsedDeclaration::Read(text);
  ASSERT_TRUE(sb);
  const Json tree = Json::parse(text);
  Json master = tree;
  master.erase("details");
  EXPECT_EQ(sb->master, master);
  ASSERT_EQ(sb->details.size(), 2u);
  EXPECT_EQ(sb->details[0].members, (Json{{"zje", 1.5}, {"x", {{"y", 1}}}}));
  EXPECT_EQ(sb->details[1].members, (Json{{"zrs", "3"}}));
  EXPECT_EQ(sb->PersonCount(), 0u);
  EXPECT_TRUE(ParsedDeclaration::Read(R"({"details":null})"));
  EXPECT_TRUE(ParsedDeclaration::Read("{}"));
}

TEST(ParsedDeclaration, LeavesTextOfAnotherShapeToTheTree) {
  for (const char* text : {"not json", "", "[]", "\xEF\xBB\xBF{}", R"({"details":{}})", R"({"details":[1]})",
                           R"({"details":[],"details":[]})", R"({"details":[{"persons":{}}]})",
                           R"({"details":[{"persons":[1]}]})", R"({"details":[{"persons":[],"persons":[]}]})",
                           R"({"zje":1e999})", R"({"a":1} x)"}) {
    EXPECT_FALSE(ParsedDeclaration::Read(text)) << text;
  }
  std::string many = R"({"details":[{"persons":[{)";
  for (int i = 0; i < 300; ++i) many += std::string(i ? "," : "") + R"("xm":"x")";
  many += "}]}]}";
  EXPECT_FALSE(ParsedDeclaration::Read(many)) << "more values than a row keeps";
}

// The store: the rows of a declaration read once are those of the same declaration read as a
// tree (a byte-order mark sends the text to the tree; the general parser skips it).
class ParsedDeclarationStore : public ::testing::Test {
 protected:
  std::vector<std::string> Stored(int32_t id) {
    Ref<IDBMechanism> db = env_.Db();
    const std::string master = std::to_string(id);
    std::vector<std::string> rows = Column(
        *db, "select djxh||'|'||yblsh||'|'||sblx||'|'||swjgdm||'|'||zrs||'|'||zje||'|'||sbzt||'|'||jkzt||'|'||"
             "jywyid||'|'||bz||'|'||yjfjeHj||'|'||ybtfeHJ from ds_sbzb where id = " + master);
    for (const std::string& r : Column(*db, "select zrs||'|'||zje||'|'||jfnd||'|'||zsxmdm||'|'||zspmdm||'|'||zszmdm||"
                                            "'|'||sjly||'|'||dwbh||'|'||sbjbjgdm||'|'||sfyrymx||'|'||sfyxzrymx||'|'||"
                                            "fkssqq||'|'||fkssqz||'|'||yjfjeHj||'|'||ybtfeHJ from ds_sbmxb where zbid = " +
                                                master + " order by id"))
      rows.push_back(r);
    for (const std::string& r :
         Column(*db, "select quote(mxxh)||quote(xm)||quote(zjlx)||quote(zjhm)||quote(sbjbjgdm)||quote(rybh)||"
                     "quote(xz_xzjddm)||quote(xz_sqhczdm)||quote(jfnd)||quote(zsxmdm)||quote(zspmdm)||quote(zszmdm)||"
                     "quote(jfje)||quote(jffs)||quote(jflx)||quote(sbyy)||quote(pmlx)||quote(cbrytslbdm)||"
                     "quote(cxjmhdid)||quote(zjtzlsh)||quote(sblsh)||quote(fkssqq)||quote(fkssqz)||quote(sjscrq)||"
                     "quote(jyzt)||quote(bz)||quote(yjfje)||quote(ybtfe)||quote(sjyjfe) from ds_sbrymxb "
                     "where mxbid = " + master + " order by id"))
      rows.push_back(r);
    return rows;
  }

  StoreEnv env_;
  Ref<IRcsbDAO> dao_ = env_.Create<IRcsbDAO>();
};

TEST_F(ParsedDeclarationStore, StoresTheRowsTheTreeStores) {
  Json persons = Json::parse(std::string(kTrickyPersons).replace(std::string(kTrickyPersons).find("1E+400"), 6, "7"));
  for (Json& p : persons) p["jyzt"] = 1;  // a valid state, so that the save goes through
  persons[1]["jfje"] = 5;
  persons[2]["jfje"] = "7.25";
  persons[2]["ybtfe"] = 5;
  const Json sb = {{"djxh", "10011"}, {"swjgdm", "O'Brien"}, {"zrs", "3"}, {"zje", 12.345}, {"sbzt", 0},
                   {"bz", "引号\"与'"},   {"details",
                    {{{"zrs", 2}, {"jfnd", 2026}, {"sjly", "00"}, {"persons", {persons[0], persons[1]}}},
                     {{"zrs", 1}, {"persons", {persons[2]}}, {"zje", 7.25}},
                     {{"zrs", 0}}}}};
  const std::string text = sb.dump();
  ASSERT_TRUE(ParsedDeclaration::Read(text));
  ASSERT_FALSE(ParsedDeclaration::Read("\xEF\xBB\xBF" + text));
  int32_t once = 0, tree = 0;
  ASSERT_TRUE(dao_->SaveSbData(text, once)) << dao_->GetErrorMessage();
  ASSERT_TRUE(dao_->SaveSbData("\xEF\xBB\xBF" + text, tree)) << dao_->GetErrorMessage();
  const std::vector<std::string> rows = Stored(once);
  EXPECT_EQ(rows.size(), 1u + 3u + 3u);
  EXPECT_EQ(rows, Stored(tree));
}

TEST_F(ParsedDeclarationStore, RefusesABadValueWithTheTreesMessageAndStoresNothing) {
  Json sb = {{"zrs", 1}, {"details", {{{"persons", {{{"xm", "x"}, {"jyzt", "abc"}}}}}}}};
  int32_t id = 0;
  EXPECT_FALSE(dao_->SaveSbData(sb.dump(), id));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行异常");
  EXPECT_NE(env_.Log().find("[TRcsbDAO.SaveSbData]异常：字段[jyzt]不是数值：abc"), std::string::npos);
  Ref<IDBMechanism> db = env_.Db();
  EXPECT_EQ(Scalar(*db, "select count(*) from ds_sbzb"), "0");
}

}  // namespace
}  // namespace velmor::testing
