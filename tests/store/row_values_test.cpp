// Values of a JSON row read strictly for a statement: integers, numbers and integer lists that
// are not what they claim are refused by name instead of becoming 0 or reaching the SQL text.
#include "store/row_values.h"

#include <gtest/gtest.h>

#include <functional>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

using Json = nlohmann::ordered_json;

std::string Refusal(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "<none>";
}

TEST(RowValues, ReadsNumbersGivenAsTextOrNumbers) {
  const Json row = {{"a", "12"}, {"b", 7}, {"c", ""}, {"d", "12.50"}, {"e", 2.25}};
  EXPECT_EQ(RowInt(row, "a"), 12);
  EXPECT_EQ(RowInt(row, "b"), 7);
  EXPECT_EQ(RowInt(row, "c"), 0);
  EXPECT_EQ(RowInt(row, "missing"), 0);
  EXPECT_DOUBLE_EQ(RowNumber(row, "d"), 12.5);
  EXPECT_DOUBLE_EQ(RowNumber(row, "e"), 2.25);
  EXPECT_DOUBLE_EQ(RowNumber(row, "c"), 0);
}

TEST(RowValues, RefusesTextThatIsNoNumberByName) {
  const Json row = {{"ddzt", "unpaid"}, {"jfje", "12元"}, {"big", "99999999999"}};
  EXPECT_EQ(Refusal([&] { RowInt(row, "ddzt"); }), "ddzt[unpaid]不是整数。");
  EXPECT_EQ(Refusal([&] { RowInt(row, "big"); }), "big[99999999999]不是整数。");
  EXPECT_EQ(Refusal([&] { RowNumber(row, "jfje"); }), "jfje[12元]不是数字。");
}

TEST(RowValues, IntegerListsAreCheckedBeforeTheyReachSql) {
  EXPECT_EQ(IntegerList("2,6", "sbzt").str(), "2, 6");
  EXPECT_EQ(IntegerList(" 0 , 1,2 ", "ddzt").str(), "0, 1, 2");
  EXPECT_EQ(Refusal([] { IntegerList("1) or (1=1", "ddzt"); }), "查询条件ddzt[1) or (1=1]不是整数列表。");
  EXPECT_EQ(Refusal([] { IntegerList("1,,2", "ddzt"); }), "查询条件ddzt[1,,2]不是整数列表。");
  EXPECT_EQ(Refusal([] { IntegerList("-1", "ddzt"); }), "查询条件ddzt[-1]不是整数列表。");
}

}  // namespace
}  // namespace velmor
