// The demo's split of the arrears lines: the halves hold the lines exactly as listed, the sums and
// the deducted documents are those of a reading through the general parser, and bad texts fail
// by name.
#include "cli/demo/arrears_split.h"
#include "cli/json_rows.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <stdexcept>

namespace velmor::cli {
namespace {

using Json = nlohmann::ordered_json;

TEST(ArrearsSplit, HalvesTheLinesAsListedWithTheirSumsAndDocuments) {
  // Five lines: three to deduct (rounded up), two for vouchers; amounts as text and as numbers,
  // a document seen twice, escapes and nested members kept byte for byte.
  const std::string text =
      R"([{"yzpzxh":"A","qfje":"10.50","zsuuid":"A-1"},)"
      R"( {"qfje":2.25,"yzpzxh":"B","note":"a\"b\u00e9","list":[1,{"x":null}]},)"
      R"({"yzpzxh":"A","qfje":"1"},{"yzpzxh":"C","qfje":4},{"yzpzxh":"D","qfje":""}])";
  const ArrearsSplit s = SplitArrears(text);
  EXPECT_EQ(s.deductionLines, 3u);
  EXPECT_EQ(s.voucherLines, 2u);
  EXPECT_DOUBLE_EQ(s.deductionAmount, 13.75);
  EXPECT_DOUBLE_EQ(s.voucherAmount, 4);
  EXPECT_EQ(s.deductedDocuments, (std::vector<std::string>{"A", "B"}));

  const Json all = Json::parse(text);
  Json first = Json::array(), second = Json::array();
  for (size_t i = 0; i < all.size(); ++i) (i < 3 ? first : second).push_back(all[i]);
  EXPECT_EQ(Json::parse(s.deduction), first);
  EXPECT_EQ(Json::parse(s.voucher), second);
  EXPECT_NE(s.deduction.find(R"("note":"a\"b\u00e9")"), std::string::npos) << s.deduction;
}

TEST(ArrearsSplit, OneLineIsDeductedAndNoneIsEmpty) {
  const ArrearsSplit one = SplitArrears(R"([{"yzpzxh":"A","qfje":"3"}])");
  EXPECT_EQ(one.deductionLines, 1u);
  EXPECT_EQ(one.voucherLines, 0u);
  EXPECT_EQ(one.voucher, "[]");
  const ArrearsSplit none = SplitArrears(" [ ] ");
  EXPECT_EQ(none.deductionLines, 0u);
  EXPECT_EQ(none.deduction, "[]");
  EXPECT_TRUE(none.deductedDocuments.empty());
}

TEST(ArrearsSplit, RefusesTextsThatAreNoArrayOfObjects) {
  for (const char* bad : {"", "{}", "[1]", R"([{"qfje":"1"},])", R"([{"qfje":"1"}] x)", R"([{"a":1})", "null"}) {
    EXPECT_THROW(SplitArrears(bad), std::runtime_error) << bad;
  }
}

TEST(JsonRows, HandsEachRowsSpanAndTheTextsOfItsMembers) {
  const std::string text = R"([{"a":"x\"y","b":12.50,"c":null,"d":{"a":"inner"}},{"b":true,"a":[1]},{}])";
  std::vector<std::vector<std::string>> seen;
  std::vector<std::string> spans;
  ForEachRow(text, {"a", "b", "c", "d"}, [&](std::string_view span, const std::vector<std::string>& v) {
    spans.emplace_back(span);
    seen.push_back(v);
  });
  ASSERT_EQ(seen.size(), 3u);
  // Strings decoded, numbers as written, anything else (and a member of a nested object) empty.
  EXPECT_EQ(seen[0], (std::vector<std::string>{"x\"y", "12.50", "", ""}));
  EXPECT_EQ(seen[1], (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(seen[2], (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(spans[0], R"({"a":"x\"y","b":12.50,"c":null,"d":{"a":"inner"}})");
  EXPECT_EQ(spans[2], "{}");
}

// Blanks around the rows stay out of their spans; a name written with an escape is the name; a
// member given twice counts last; a bad row after good ones is raised after those were handed.
TEST(JsonRows, SpansLeaveBlanksOutAndNamesReadDecoded) {
  const std::string text = " [ {\"\\u0061\":\"1\", \"a\" : \"2\" ,\"b\":\"z\"} ,\n{ \"b\":-3 }\t] ";
  std::vector<std::string> spans;
  std::vector<std::vector<std::string>> seen;
  ForEachRow(text, {"a", "b"}, [&](std::string_view span, const std::vector<std::string>& v) {
    spans.emplace_back(span);
    seen.push_back(v);
  });
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0], "{\"\\u0061\":\"1\", \"a\" : \"2\" ,\"b\":\"z\"}");
  EXPECT_EQ(spans[1], "{ \"b\":-3 }");
  EXPECT_EQ(seen[0], (std::vector<std::string>{"2", "z"}));
  EXPECT_EQ(seen[1], (std::vector<std::string>{"", "-3"}));

  int handed = 0;
  EXPECT_THROW(ForEachRow(R"([{"a":"1"},{"a":"2"},{"a":"3",}])", {"a"},
                          [&](std::string_view, const std::vector<std::string>&) { ++handed; }),
               std::runtime_error);
  EXPECT_EQ(handed, 2);
}

}  // namespace
}  // namespace velmor::cli
