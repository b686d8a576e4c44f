// ArrearsLines against the general parser: answers of every shape read into the same list, the
// same failures and the same levy documents as a tree of each answer gives.
#include "payment/arrears_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::payment {
namespace {

using Json = nlohmann::ordered_json;

std::string TreeText(const Json& o, const char* key) {
  if (!o.is_object()) return "";
  auto it = o.find(key);
  if (it == o.end() || it->is_null()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_boolean()) return it->get<bool>() ? "Y" : "N";
  return it->dump();
}

std::string Trim(std::string s) {
  const auto a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// The list as trees give it: the reference the reader is held to.
struct Reference {
  explicit Reference(const ArrearsLines::ItemCodes& codes) : items(codes) {}
  const ArrearsLines::ItemCodes& items;
  Json lines = Json::array();
  std::set<std::string> seen;
  std::vector<std::pair<std::string, std::vector<std::string>>> failures;

  bool Absorb(const std::string& text) {
    const Json answer = Json::parse(text, nullptr, false);
    if (!answer.is_object()) return false;
    auto list = answer.find("qfxxList");
    if (list == answer.end() || !list->is_array()) return true;
    for (const Json& e : *list) {
      if (TreeText(e, "code") == "SUCCESS") {
        auto mx = e.find("qfxxMxList");
        if (mx == e.end() || !mx->is_array()) continue;
        for (const Json& l : *mx) {
          if (!items.count(TreeText(l, "zspmDm"))) continue;
          const std::string id = TreeText(l, "zsuuid");
          if (!id.empty() && !seen.insert(id).second) continue;
          lines.push_back(l);
        }
        continue;
      }
      std::string message = Trim(TreeText(e, "message"));
      if (message.empty()) message = "未知";
      const std::string office = TreeText(e, "zgswskfjdm");
      auto f = std::find_if(failures.begin(), failures.end(), [&](const auto& p) { return p.first == office; });
      if (f == failures.end()) f = failures.insert(failures.end(), {office, {}});
      if (std::find(f->second.begin(), f->second.end(), message) == f->second.end()) f->second.push_back(message);
    }
    return true;
  }
  std::string Sorted() const {
    std::vector<size_t> order(lines.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto key = [&](size_t i) {
      std::string jkqx = TreeText(lines[i], "jkqx");
      for (char& c : jkqx) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      return std::make_tuple(TreeText(lines[i], "hsjg"), TreeText(lines[i], "yzpzxh"), jkqx);
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
    Json out = Json::array();
    for (size_t i : order) out.push_back(lines[i]);
    return out.dump();
  }
  std::string Documents() const {
    Json out = Json::array();
    std::set<std::string> listed;
    for (const Json& l : lines)
      if (listed.insert(TreeText(l, "yzpzxh")).second) out.push_back(TreeText(l, "yzpzxh"));
    return out.dump();
  }
};

const ArrearsLines::ItemCodes kItems = {"102101000", "102102000"};

void ExpectSame(const std::vector<std::string>& answers) {
  ArrearsLines lines(kItems);
  Reference ref(kItems);
  for (const std::string& a : answers) {
    SCOPED_TRACE(a);
    EXPECT_EQ(lines.Absorb(a), ref.Absorb(a));
  }
  EXPECT_EQ(lines.DocumentsJson(), ref.Documents());
  EXPECT_EQ(lines.Failures(), ref.failures);
  EXPECT_EQ(lines.TakeSortedJson(), ref.Sorted());
  EXPECT_EQ(lines.TakeSortedJson(), "[]");
}

TEST(ArrearsLines, ReadAsTheGeneralParserReadsEachAnswer) {
  ExpectSame({R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"B-1","yzpzxh":"B","hsjg":"H2","jkqx":"2026-02-01","zspmDm":"102101000","qfje":1.50},
      {"zsuuid":"A-1","yzpzxh":"A","hsjg":"H1","jkqx":"2026-03-01","zspmDm":102101000, "x" : [1, {"b":2,"a":1}]},
      {"zsuuid":"A-2","yzpzxh":"A","hsjg":"H1","jkqx":"2026-01-0A","zspmDm":"102102000","bz":"\u00e9\n\/"},
      {"zsuuid":"A-3","yzpzxh":"A","hsjg":"H1","jkqx":"2026-01-0a","zspmDm":"999"},
      {"zsuuid":"","yzpzxh":"C","zspmDm":"102101000"}, {"zsuuid":"","yzpzxh":"C","zspmDm":"102101000"},
      {"zsuuid":"B-1","yzpzxh":"B","zspmDm":"102101000","bz":"again"},
      "not a line", null, 7]}]})",
              // The payment service's lines: seen ones left out, new ones added.
              R"({"code":"00000","qfxxList":[{"code":"SUCCESS","zgswskfjdm":"H1","qfxxMxList":[
      {"zsuuid":"A-1","yzpzxh":"A","zspmDm":"102101000"},{"zsuuid":"D-1","yzpzxh":"D","hsjg":"H0","zspmDm":"102101000",
       "zsuuid":"D-2"}]}]})"});
}

// Lines that come in order are handed over as they were written; a line left out in between or
// out of order makes the list be written again.
TEST(ArrearsLines, ListsInOrderAndOutOfOrder) {
  const std::string inOrder = R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"A-1","yzpzxh":"A","hsjg":"H1","zspmDm":"102101000"},
      {"zsuuid":"A-2","yzpzxh":"A","hsjg":"H1","zspmDm":"102101000"},
      {"zsuuid":"B-1","yzpzxh":"B","hsjg":"H1","zspmDm":"102101000"}]}]})";
  ExpectSame({inOrder, inOrder});
  ExpectSame({R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"A-1","yzpzxh":"A","hsjg":"H1","zspmDm":"102101000"},
      {"zsuuid":"A-1","yzpzxh":"A","hsjg":"H1","zspmDm":"102101000","again":1},
      {"zsuuid":"B-1","yzpzxh":"B","hsjg":"H1","zspmDm":"102101000"}]}]})"});
  ExpectSame({R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[{"zsuuid":"B-1","yzpzxh":"B","zspmDm":"102101000"}]}]})",
              R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[{"zsuuid":"A-1","yzpzxh":"A","zspmDm":"102101000"}]}]})"});
}

// Thousands of levies (the set of those seen grows through many rehashes while the lines' keys
// grow after it), a second answer repeating every other one among new ones, and a repeat within
// an answer: each levy is listed once.
TEST(ArrearsLines, ManyLeviesAcrossAnswersAreEachListedOnce) {
  auto answer = [](int from, int to, int step) {
    Json lines = Json::array();
    for (int i = from; i < to; i += step)
      lines.push_back({{"zsuuid", "U" + std::to_string(i) + std::string(i % 7, 'x')},
                       {"yzpzxh", "Y" + std::to_string(i % 13)},
                       {"hsjg", "H"},
                       {"zspmDm", "102101000"}});
    return Json{{"qfxxList", Json::array({Json{{"code", "SUCCESS"}, {"qfxxMxList", lines}}})}}.dump();
  };
  ExpectSame({answer(0, 5000, 1), answer(0, 7000, 2), answer(6990, 7010, 1)});

  // Once the lines are handed over, their levies are forgotten with them: a later answer is read
  // afresh (and its levies are told apart again).
  ArrearsLines lines(kItems);
  ASSERT_TRUE(lines.Absorb(answer(0, 3000, 1)));
  EXPECT_EQ(Json::parse(lines.TakeSortedJson()).size(), 3000u);
  ASSERT_TRUE(lines.Absorb(answer(0, 3000, 3)));
  ASSERT_TRUE(lines.Absorb(answer(0, 3000, 2)));
  EXPECT_EQ(Json::parse(lines.TakeSortedJson()).size(), 2000u) << "1,000 + 1,500 - 500 twice";
}

// Later answers that repeat the lines: in their order (the payment service's), in reverse, every
// third among lines without a levy and new ones, and the first line again at the end: each levy
// is listed once, wherever the repeat falls.
TEST(ArrearsLines, RepeatedLinesAreFoundInAnyOrder) {
  auto answer = [](const std::vector<int>& ids) {
    Json lines = Json::array();
    for (const int i : ids)
      lines.push_back({{"zsuuid", i < 0 ? "" : "R-" + std::to_string(i)},
                       {"yzpzxh", "R"},
                       {"hsjg", "H"},
                       {"zspmDm", "102101000"},
                       {"n", i}});
    return Json{{"qfxxList", Json::array({Json{{"code", "SUCCESS"}, {"qfxxMxList", lines}}})}}.dump();
  };
  std::vector<int> forward, backward, mixed;
  for (int i = 0; i < 1000; ++i) forward.push_back(i);
  backward.assign(forward.rbegin(), forward.rend());
  for (int i = 0; i < 1000; i += 3) mixed.insert(mixed.end(), {i, -1, 1000 + i});
  mixed.push_back(0);
  ExpectSame({answer(forward), answer(forward), answer(backward), answer(mixed), answer({999, 0, 1000, 1001})});
}

TEST(ArrearsLines, FailuresAndOddShapesAsTheGeneralParserReadsThem) {
  ExpectSame({R"({"qfxxList":[
      {"code":"E1","message":" 维护 ","zgswskfjdm":"X","qfxxMxList":[{"zsuuid":"X-1","zspmDm":"102101000"}]},
      {"code":"E2","message":"维护","zgswskfjdm":"X"}, {"code":"E3","message":"其他","zgswskfjdm":"X"},
      {"code":"E4","zgswskfjdm":"Y"}, 5, {"message":true,"zgswskfjdm":12}, {"code":"SUCCESS","qfxxMxList":"null"},
      {"code":"SUCCESS"}, {"code":"FAIL","code":"SUCCESS","qfxxMxList":[{"zsuuid":"Z-1","zspmDm":"102101000"}],
       "qfxxMxList":[{"zsuuid":"Z-2","zspmDm":"102101000"}]},
      {"code":"SUCCESS","qfxxMxList":[{"zsuuid":"W-1","zspmDm":"102101000"}],"code":"FAIL"}]})",
              R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[{"zsuuid":"Q-1","zspmDm":"102101000"}]}],
                  "qfxxList":[{"code":"SUCCESS","qfxxMxList":[{"zsuuid":"Q-2","zspmDm":"102101000"}]}]})",
              R"({"qfxxList":{"code":"SUCCESS"}})", R"({})"});
}

TEST(ArrearsLines, TextsThatAreNoObjectAreRefusedAndTakeNothing) {
  ExpectSame({R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[{"zsuuid":"A-1","zspmDm":"102101000"}]}]})",
              R"([{"qfxxList":[]}])", R"("text")", "", "{\"qfxxList\":[{\"code\":\"SUCCESS\",\"qfxxMxList\":[{\"zsuuid\"",
              R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[{"zsuuid":"A-9","zspmDm":"102101000"}]}]} trailing)"});
  // Taken by the general parser though not by the cursor: a byte-order mark.
  ExpectSame({"\xEF\xBB\xBF{\"qfxxList\":[{\"code\":\"SUCCESS\",\"qfxxMxList\":[{\"zsuuid\":\"M-1\",\"zspmDm\":"
              "\"102101000\",\"bz\":\"\\u00e9\"}]}]}"});
}

// A later answer, mostly lines already held: names given twice, escaped names and values, and
// item codes or levies of every kind decide which lines are new as the tree reads them.
TEST(ArrearsLines, LaterAnswersKeepTheLinesTheTreeKeeps) {
  const std::string first = R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"A-1","yzpzxh":"A","zspmDm":"102101000"},{"zsuuid":"7","yzpzxh":"A","zspmDm":"102101000"},
      {"zsuuid":"Y","yzpzxh":"A","zspmDm":"102101000"}]}]})";
  ExpectSame({first, R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"A-1","yzpzxh":"A","zspmDm":"102101000","bz":{"x":[1,2,{"zsuuid":"B-9"}]}},
      {"zsuuid":"A-1","yzpzxh":"B","zspmDm":"102101000","zsuuid":"B-1"},
      {"zsuuid":"B-2","yzpzxh":"B","zspmDm":"102101000","zsuuid":"A-1"},
      {"zsuu\u0069d":"B-3","yzpzxh":"B","zspmDm":"102101000"},
      {"zsuuid":"B-\u0034","yzpzxh":"B","zspm\u0044m":"102102000"},
      {"zsuuid":7,"yzpzxh":"B","zspmDm":"102101000"},
      {"zsuuid":true,"yzpzxh":"B","zspmDm":"102101000"},
      {"zsuuid":8,"yzpzxh":"B","zspmDm":102101000},
      {"zsuuid":"B-5","yzpzxh":"B","zspmDm":1.021010e8},
      {"zsuuid":"B-6","yzpzxh":"B","zspmDm":"999","zspmDm":"102101000"},
      {"zsuuid":"B-7","yzpzxh":"B","zspmDm":"102101000","zspmDm":null},
      {"zsuuid":null,"yzpzxh":"B","zspmDm":"102101000"},{"yzpzxh":"B","zspmDm":"102101000"},
      {"zsuuid":"B-8","yzpzxh":"B"}, {}, [], "B-9"]}]})",
              first});
}

// The guess of the levy documents from the bytes: the list a first Absorb gives when every line
// is kept, however many lines and documents; where lines are left out or written otherwise it may
// differ, and says nothing ("[]") rather than misread an escaped value.
TEST(ArrearsLines, TheDocumentsGuessedFromTheTextAreThoseReadWhenEveryLineIsKept) {
  auto guessedAndRead = [](const std::string& answer) {
    ArrearsLines lines(kItems);
    EXPECT_TRUE(lines.Absorb(answer));
    return std::make_pair(ArrearsLines::GuessDocumentsJson(answer), lines.DocumentsJson());
  };
  Json many = Json::array();
  for (int i = 0; i < 3000; ++i)
    many.push_back(
        {{"zsuuid", "U" + std::to_string(i)}, {"yzpzxh", "Y" + std::to_string(i % 17)}, {"zspmDm", "102101000"}});
  const auto [guess, read] =
      guessedAndRead(Json{{"qfxxList", Json::array({Json{{"code", "SUCCESS"}, {"qfxxMxList", many}}})}}.dump());
  EXPECT_EQ(guess, read);
  EXPECT_EQ(Json::parse(guess).size(), 17u);
  EXPECT_EQ(guessedAndRead(R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"1","yzpzxh":"缴费凭证一","zspmDm":"102101000"},{"zsuuid":"2","yzpzxh":"B","zspmDm":"102102000"},
      {"zsuuid":"3","yzpzxh":"缴费凭证一","zspmDm":"102101000"}]}]})"),
            std::make_pair(std::string(R"(["缴费凭证一","B"])"), std::string(R"(["缴费凭证一","B"])")));

  // Where they differ the caller sees it: a line left out (not a residents' item, a failed
  // office), a value the search does not read, a text with no lines.
  EXPECT_EQ(guessedAndRead(R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"1","yzpzxh":"A","zspmDm":"999"},{"zsuuid":"2","yzpzxh":"B","zspmDm":"102101000"}]}]})"),
            std::make_pair(std::string(R"(["A","B"])"), std::string(R"(["B"])")));
  EXPECT_EQ(
      guessedAndRead(R"({"qfxxList":[{"code":"E1","qfxxMxList":[{"zsuuid":"1","yzpzxh":"A","zspmDm":"102101000"}]}]})"),
      std::make_pair(std::string(R"(["A"])"), std::string("[]")));
  EXPECT_EQ(guessedAndRead(R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"1","yzpzxh":"A","zspmDm":"102101000"},{"zsuuid":"2","yzpzxh":"\u0042","zspmDm":"102101000"}]}]})"),
            std::make_pair(std::string("[]"), std::string(R"(["A","B"])")));
  EXPECT_EQ(guessedAndRead(R"({"qfxxList":[{"code":"SUCCESS","qfxxMxList":[
      {"zsuuid":"1", "yzpzxh" : "A","zspmDm":"102101000"},{"zsuuid":"2","yzpzxh":7,"zspmDm":"102101000"}]}]})"),
            std::make_pair(std::string("[]"), std::string(R"(["A","7"])")));
  EXPECT_EQ(ArrearsLines::GuessDocumentsJson(""), "[]");
  EXPECT_EQ(ArrearsLines::GuessDocumentsJson(R"({"qfxxList":[{"qfxxMxList":[{"yzpzxh":"A)"), "[]") << "cut short";
}

}  // namespace
}  // namespace velmor::payment
