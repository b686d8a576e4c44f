// The simulator's roster control: what each operation changes, and bad requests.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "taxsim/call.h"
#include "taxsim/codec.h"
#include "taxsim/handlers.h"
#include "taxsim/handlers/position_index.h"
#include "taxsim/handlers/roster_book.h"

namespace velmor::taxsim {
namespace {

std::string RefusalOf(State& s, RosterBook& book, const nlohmann::json& request) {
  try {
    RosterControl(s, book, request);
  } catch (const Refusal& r) {
    return r.code() + " " + r.what();
  }
  return "accepted";
}

class RosterBookTest : public ::testing::Test {
 protected:
  RosterBookTest() : state_(Generate({.persons = 6, .payers = 2, .seed = 1})) {}
  State state_;
  RosterBook book_;
};

TEST_F(RosterBookTest, StampsNeverRepeatNorGoBack) {
  std::string a = book_.NextStamp(), b = book_.NextStamp(), c = book_.NextStamp();
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_EQ(book_.PersonStamp("unknown"), kBaseStamp);
}

TEST_F(RosterBookTest, AddKeepsPersonsGroupedByPayerAndNumbersThem) {
  const std::string first = GeneratedDjxh(1);
  nlohmann::json r = RosterControl(state_, book_, {{"op", "add"}, {"djxh", first}, {"xm", "甲"}, {"xzlxDm", "310"}});
  ASSERT_TRUE(r["ok"].get<bool>());
  auto [b, e] = state_.PersonsOf(first);
  ASSERT_EQ(e - b, 4);
  EXPECT_EQ((e - 1)->xm, "甲") << "after the payer's last person, before the next payer's";
  EXPECT_EQ(state_.PersonsOf(GeneratedDjxh(2)).first->djxh, GeneratedDjxh(2));
  EXPECT_EQ(book_.regId[r["rydjxh"]], 7u);
  EXPECT_EQ(book_.ItemStamp(r["xzid"]), r["xgrq"]);
  EXPECT_EQ(state_.items.back().zsxmDm, "10212");
}

TEST_F(RosterBookTest, EndAndRemove) {
  const std::string rydjxh = state_.persons[0].rydjxh;
  RosterControl(state_, book_, {{"op", "end"}, {"rydjxh", rydjxh}});
  EXPECT_EQ(book_.FindEnrolment(state_, rydjxh)->yxbz, "N");
  for (const Item& it : state_.items)
    if (it.rydjxh == rydjxh) {
      EXPECT_EQ(it.yxbz, "N");
      EXPECT_NE(book_.ItemStamp(it.xzid), kBaseStamp);
    }
  RosterControl(state_, book_, {{"op", "remove"}, {"rydjxh", rydjxh}});
  EXPECT_EQ(book_.FindPerson(state_, rydjxh), nullptr);
  EXPECT_EQ(state_.persons.size(), 5u);
  for (const Item& it : state_.items) EXPECT_NE(it.rydjxh, rydjxh);
}

struct Keyed {
  std::string rydjxh;
};

// The rydjxh index against a map on random keys: shared prefixes and lengths, the empty key, keys held
// twice (the first or the last record found, as asked), keys never held, and more records than
// the first array holds (it grows past 1024 slots).
TEST(RydjxhIndex, FindsWhatAMapFinds) {
  std::mt19937 rng(7);
  std::vector<Keyed> records;
  for (int i = 0; i < 5000; ++i) {
    std::string key = i % 7 == 0 ? std::string() : "1000000000000" + std::to_string(rng() % 3000);
    if (i % 11 == 0) key += std::string(1, '\0') + "x";
    records.push_back({key});
  }
  std::map<std::string, size_t> first, last;
  for (size_t i = 0; i < records.size(); ++i) {
    first.emplace(records[i].rydjxh, i);
    last[records[i].rydjxh] = i;
  }
  RydjxhIndex firstWins, lastWins;
  firstWins.Build(records, false);
  lastWins.Build(records, true);
  for (const auto& [key, at] : first) EXPECT_EQ(firstWins.Find(records, key), at) << key;
  for (const auto& [key, at] : last) EXPECT_EQ(lastWins.Find(records, key), at) << key;
  for (int i = 0; i < 2000; ++i) {
    const std::string absent = "2000000000000" + std::to_string(rng() % 3000);
    EXPECT_EQ(firstWins.Find(records, absent), RydjxhIndex::kNone);
  }
  EXPECT_EQ(firstWins.Find(records, "1000000000000"), RydjxhIndex::kNone) << "a prefix of keys held";
  RydjxhIndex none;
  EXPECT_EQ(none.Find(records, records[1].rydjxh), RydjxhIndex::kNone) << "never built";
  none.Build(std::vector<Keyed>{}, true);
  EXPECT_EQ(none.Find(std::vector<Keyed>{}, ""), RydjxhIndex::kNone) << "built empty";
}

// Keys of two texts (a payer's item): found only when both agree, including texts that would
// read alike joined with a separator; the first of a key held twice.
TEST(PositionIndex, KeysOfTwoTextsMatchOnBoth) {
  struct Pair {
    std::string a, b;
  };
  std::vector<Pair> records;
  for (int payer = 0; payer < 3; ++payer)
    for (int i = 0; i < 700; ++i) records.push_back({"P" + std::to_string(payer), "X" + std::to_string(i)});
  records.push_back({"P0\nX1", "Y"});
  records.push_back({"P0", "X1\nY"});
  records.push_back({"P1", "X5"});  // held twice: the first is found
  PositionIndex index;
  index.Build(
      records.size(), [&](size_t i) { return PositionIndex::Hash(records[i].a, records[i].b); },
      [&](size_t i, size_t j) { return records[i].a == records[j].a && records[i].b == records[j].b; }, false);
  auto find = [&](const std::string& a, const std::string& b) {
    return index.Find(PositionIndex::Hash(a, b), [&](size_t at) { return records[at].a == a && records[at].b == b; });
  };
  for (size_t i = 0; i + 3 < records.size(); ++i) EXPECT_EQ(find(records[i].a, records[i].b), i);
  EXPECT_EQ(find("P0\nX1", "Y"), records.size() - 3);
  EXPECT_EQ(find("P0", "X1\nY"), records.size() - 2);
  EXPECT_EQ(find("P0\nX1\nY", ""), PositionIndex::kNone);
  EXPECT_EQ(find("P1", "X5"), 700u + 5u);
  EXPECT_EQ(find("P3", "X5"), PositionIndex::kNone) << "another payer's item";
  EXPECT_EQ(find("P1", "X700"), PositionIndex::kNone);
}

// Lookups follow the State as persons are added (the vector grows and moves) and removed.
TEST_F(RosterBookTest, LookupsFollowPersonsAddedAndRemoved) {
  const std::string kept = state_.persons[3].rydjxh;
  ASSERT_NE(book_.FindPerson(state_, kept), nullptr);
  for (int i = 0; i < 300; ++i) {
    Person p = state_.persons[0];
    p.rydjxh = "9" + std::to_string(100000 + i);
    state_.persons.push_back(p);
  }
  for (int i = 0; i < 300; i += 37) {
    const std::string rydjxh = "9" + std::to_string(100000 + i);
    const Person* found = book_.FindPerson(state_, rydjxh);
    ASSERT_NE(found, nullptr) << rydjxh;
    EXPECT_EQ(found->rydjxh, rydjxh);
  }
  EXPECT_EQ(book_.FindPerson(state_, kept)->rydjxh, kept);
  RosterControl(state_, book_, {{"op", "remove"}, {"rydjxh", kept}});
  EXPECT_EQ(book_.FindPerson(state_, kept), nullptr);
  EXPECT_EQ(book_.FindPerson(state_, "9100299")->rydjxh, "9100299");
}

TEST_F(RosterBookTest, BadRequestsAreRefused) {
  EXPECT_EQ(RefusalOf(state_, book_, nlohmann::json::array()), "10009 控制请求不是对象");
  EXPECT_EQ(RefusalOf(state_, book_, {{"op", "explode"}}), "10009 未知的控制操作：explode");
  EXPECT_EQ(RefusalOf(state_, book_, {{"op", "change"}, {"rydjxh", "nobody"}}), "10009 人员[nobody]不存在");
  EXPECT_EQ(RefusalOf(state_, book_, {{"op", "add"}, {"djxh", "nope"}}), "10009 缴费人[nope]不存在");
  EXPECT_EQ(RefusalOf(state_, book_, {{"op", "addPayer"}, {"djxh", GeneratedDjxh(1)}}),
            "10009 缴费人[" + GeneratedDjxh(1) + "]无效或已存在");
  const std::string existing = state_.persons[0].rydjxh;
  EXPECT_EQ(RefusalOf(state_, book_, {{"op", "add"}, {"djxh", GeneratedDjxh(1)}, {"rydjxh", existing}}),
            "10009 人员[" + existing + "]已存在");
}

}  // namespace
}  // namespace velmor::taxsim

namespace velmor::taxsim {
namespace {

// The enrolment answer of the simulator as the plug-in reads it.
nlohmann::json Records(const Answer& a) {
  if (a.envelope.response == "null") return nlohmann::json::array();
  return nlohmann::json::parse(Gunzip(Base64Decode(a.envelope.response)));
}

TEST(RosterHandlers, EnrolmentsComeNewestFirstAndOnlyThoseChangedAfterTheGivenTime) {
  State s = Generate({.persons = 5, .payers = 1, .seed = 2});
  HandlerRegistry registry;
  RegisterRosterHandlers(registry);
  auto call = [&](const std::string& code, nlohmann::ordered_json body) {
    return registry.Find(code)(DecodeCall(Call::Endpoint::kService, code, "", body.dump()), s);
  };
  const std::string djxh = GeneratedDjxh(1);
  nlohmann::json all = Records(call("0058", {{"yblsh", "1"}, {"djxh", djxh}, {"xzlxDm", "110"}, {"gxsj", ""}}));
  ASSERT_EQ(all.size(), 5u) << "every person has an item of the first kind";
  const std::string base = all[0]["xgrq"];
  EXPECT_EQ(base, kBaseStamp);

  call("9002", {{"op", "change"}, {"rydjxh", s.persons[3].rydjxh}, {"xm", "改"}});
  nlohmann::json changed = Records(call("0058", {{"yblsh", "2"}, {"djxh", djxh}, {"xzlxDm", "110"}, {"gxsj", base}}));
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0]["cbxxID"], "CB" + s.persons[3].rydjxh);
  nlohmann::json again = Records(call("0058", {{"yblsh", "3"}, {"djxh", djxh}, {"xzlxDm", "110"}, {"gxsj", changed[0]["xgrq"]}}));
  EXPECT_TRUE(again.empty()) << "strictly after the given time";
  all = Records(call("0058", {{"yblsh", "4"}, {"djxh", djxh}, {"xzlxDm", "110"}, {"gxsj", ""}}));
  EXPECT_EQ(all[0]["cbxxID"], "CB" + s.persons[3].rydjxh) << "newest first";

  nlohmann::json persons = Records(call("0059", {{"yblsh", "5"}, {"djxh", djxh}, {"cbxxIds", {changed[0]["cbxxID"], "CBnobody", 7}}}));
  ASSERT_EQ(persons.size(), 1u) << "unknown ids and non-text values are skipped";
  EXPECT_EQ(persons[0]["xm"], "改");
  nlohmann::ordered_json tooMany = nlohmann::ordered_json::array();
  for (int i = 0; i < 1001; ++i) tooMany.push_back("CB" + std::to_string(i));
  EXPECT_THROW(call("0059", {{"yblsh", "6"}, {"djxh", djxh}, {"cbxxIds", tooMany}}), Refusal);
  EXPECT_THROW(call("0058", {{"yblsh", "7"}, {"djxh", "nobody"}, {"xzlxDm", "110"}}), Refusal);
}

TEST(RosterHandlers, PersonTextsAreEscapedAndReadBackAsTheyAre) {
  State s = Generate({.persons = 2, .payers = 1, .seed = 3});
  s.persons[0].xm = std::string("a\"b\\c\x01") + "d\n改\x7f";
  s.persons[0].lxdh = "";
  s.persons[1].xm = "张\x7f三";  // nothing to escape: written as it is
  HandlerRegistry registry;
  RegisterRosterHandlers(registry);
  nlohmann::ordered_json body = {{"yblsh", "1"}, {"djxh", GeneratedDjxh(1)}, {"cbxxIds", {"CB" + s.persons[0].rydjxh}}};
  const Answer plain = registry.Find("0059")(
      DecodeCall(
          Call::Endpoint::kService, "0059", "",
          nlohmann::ordered_json{{"yblsh", "2"}, {"djxh", GeneratedDjxh(1)}, {"cbxxIds", {"CB" + s.persons[1].rydjxh}}}
              .dump()),
      s);
  const std::string plainText = Gunzip(Base64Decode(plain.envelope.response));
  EXPECT_NE(plainText.find("\"xm\":\"张\x7f三\","), std::string::npos) << plainText;
  EXPECT_EQ(plainText.rfind("[{\"cbxxID\":\"CB", 0), 0u) << plainText;
  const Answer a = registry.Find("0059")(DecodeCall(Call::Endpoint::kService, "0059", "", body.dump()), s);
  const std::string text = Gunzip(Base64Decode(a.envelope.response));
  EXPECT_NE(text.find(R"("xm":"a\"b\\c\u0001d\u000a改)" "\x7f\""), std::string::npos) << text;
  EXPECT_NE(text.find(R"("lxdh":"")"), std::string::npos) << text;
  const nlohmann::json records = nlohmann::json::parse(text);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["xm"], s.persons[0].xm);
  EXPECT_EQ(a.envelope.responseData, "1");
}

TEST(RosterHandlers, DeclarationStatePagesFollowTheItemsAsTheControlChangesThem) {
  State s = Generate({.persons = 6, .payers = 2, .seed = 4});
  HandlerRegistry registry;
  RegisterRosterHandlers(registry);
  auto call = [&](const std::string& code, nlohmann::ordered_json body) {
    return registry.Find(code)(DecodeCall(Call::Endpoint::kService, code, "", body.dump()), s);
  };
  const std::string djxh = GeneratedDjxh(1);
  auto page = [&](const std::string& from, const std::string& to) {
    return nlohmann::json::parse(
        call("0108", {{"yblsh", "1"}, {"djxh", djxh}, {"isQueryCount", "N"}, {"recBeginNo", from}, {"recEndNo", to}})
            .ResponseJson());
  };
  std::vector<std::string> mine;
  for (const Item& it : s.items)
    if (it.djxh == djxh) mine.push_back(it.xzid);
  ASSERT_GE(mine.size(), 3u);
  nlohmann::json first = page("2", "3");
  EXPECT_EQ(first["jltj"], mine.size());
  ASSERT_EQ(first["sbztList"].size(), 2u);
  EXPECT_EQ(first["sbztList"][0]["xzid"], mine[1]);
  EXPECT_EQ(first["sbztList"][1]["xzid"], mine[2]);

  // An added person's item is counted and paged; a removed person's items are gone.
  const std::string added = call("9002", {{"op", "add"}, {"djxh", djxh}}).envelope.response;
  const std::string xzid = nlohmann::json::parse(added)["xzid"];
  nlohmann::json all = page("1", "1000");
  EXPECT_EQ(all["jltj"], mine.size() + 1);
  EXPECT_EQ(all["sbztList"].back()["xzid"], xzid);
  const std::string gone = s.items[0].djxh == djxh ? s.items[0].rydjxh : "";
  ASSERT_FALSE(gone.empty());
  call("9002", {{"op", "remove"}, {"rydjxh", gone}});
  all = page("1", "1000");
  for (const auto& row : all["sbztList"]) EXPECT_NE(row["xzid"], mine[0]);
  EXPECT_EQ(all["sbztList"].size(), all["jltj"].get<size_t>());
  EXPECT_EQ(page("900", "1000")["sbztList"].size(), 0u) << "a page past the end is empty";
}

TEST(RosterHandlers, DeclarationStatePagesAreTheTextOfTheirTree) {
  State s = Generate({.persons = 4, .payers = 1, .seed = 5});
  s.items[0].jfnd = "20\"2\\4\x01";
  s.items[1].xzid = std::string("X\xff") + "中";  // not UTF-8: replaced as the library's dump does
  s.items[1].yjfe = 12.5;
  s.items[2].yxbz = "N";
  HandlerRegistry registry;
  RegisterRosterHandlers(registry);
  const std::string djxh = GeneratedDjxh(1);
  nlohmann::ordered_json body = {{"yblsh", "1"},         {"djxh", djxh},         {"isQueryCount", "N"},
                                 {"recBeginNo", "1"},    {"recEndNo", "3"}};
  const Answer a = registry.Find("0108")(DecodeCall(Call::Endpoint::kService, "0108", "", body.dump()), s);
  // The page as a tree of the items, dumped as the library dumps it.
  std::vector<const Item*> mine;
  for (const Item& it : s.items)
    if (it.djxh == djxh) mine.push_back(&it);
  nlohmann::json tree = {{"jltj", mine.size()}};
  nlohmann::json list = nlohmann::json::array();
  for (size_t i = 1; i <= 3; ++i) {
    const Item& it = *mine[i - 1];
    list.push_back({{"jfnd", it.jfnd}, {"xzid", it.xzid}, {"sbrq", "2024-01-15"}, {"ybtfe", it.yjfe},
                    {"sbzt", it.yxbz == "N" ? "0" : "1"}, {"jfzt", i % 2 ? "1" : "0"}});
  }
  tree["sbztList"] = std::move(list);
  EXPECT_EQ(a.ResponseJson(), tree.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  body["recBeginNo"] = "9";
  body["recEndNo"] = "20";
  const Answer none = registry.Find("0108")(DecodeCall(Call::Endpoint::kService, "0108", "", body.dump()), s);
  EXPECT_EQ(none.ResponseJson(), R"({"jltj":)" + std::to_string(mine.size()) + R"(,"sbztList":[]})");
}

}  // namespace
}  // namespace velmor::taxsim
