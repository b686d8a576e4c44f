// SelectedLines: the lines read in the walk that also checks the text; which error a bad text
// gives is the same as when the whole text was checked first.
#include "payment/selected_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "velmor/exceptions.h"

namespace velmor::payment {
namespace {

std::string Error(const std::string& text) {
  try {
    SelectedLines lines(text, "欠费信息", {"zsuuid"});
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

TEST(SelectedLines, LinesAreReadWithTheirKeysAndWrittenAsTheParserWrites) {
  const std::string text = R"( [{"zsuuid":"A-1","qfje":"1.50"}, null ,{"qfje":2,"zsuuid":"A-2","x":[1,{"b":2}]}] )";
  SelectedLines lines(text, "欠费信息", {"zsuuid"});  // it views the text, which outlives it
  ASSERT_EQ(lines.Size(), 3u);
  EXPECT_EQ(lines.Key(0, 0), "A-1");
  EXPECT_EQ(lines.Key(1, 0), "") << "null reads as an empty object";
  EXPECT_EQ(lines.Key(2, 0), "A-2");
  std::string out;
  lines.Write(2, out, {});
  EXPECT_EQ(out, R"({"qfje":2,"zsuuid":"A-2","x":[1,{"b":2}]})");
}

// A line of another kind is named only for a text that is JSON; a text that is no JSON is named
// as such, wherever the odd line stands.
TEST(SelectedLines, BadTextsAreNamedAsWhenCheckedWhole) {
  EXPECT_EQ(Error(R"([{"zsuuid":"A-1"}, 7, {"zsuuid":"A-2"}])"), "欠费信息须为JSON对象的数组。");
  EXPECT_EQ(Error(R"([7, {"zsuuid":"A-1"}, )"), "欠费信息不是JSON数组。");
  EXPECT_EQ(Error(R"([{"zsuuid":"A-1"}, "x", {"zsuuid":)"), "欠费信息不是JSON数组。");
  EXPECT_EQ(Error(R"({"zsuuid":"A-1"})"), "欠费信息不是JSON数组。");
  EXPECT_EQ(Error(""), "欠费信息不是JSON数组。");
  EXPECT_EQ(Error("[]"), "");
}

// A text the cursor refuses late (bytes after a NUL, which the general parser takes for the end)
// is read again from the parser's text: the lines of the first reading are not kept twice.
TEST(SelectedLines, ATextRefusedLateIsReadAgainFromTheParsersText) {
  const std::string text = std::string(R"([{"zsuuid":"A-1"},{"zsuuid":"A-2"}])") + '\0' + "[";
  SelectedLines lines(text, "欠费信息", {"zsuuid"});
  ASSERT_EQ(lines.Size(), 2u);
  EXPECT_EQ(lines.Key(1, 0), "A-2");
  EXPECT_EQ(lines.TextSize(), std::string(R"([{"zsuuid":"A-1"},{"zsuuid":"A-2"}])").size());
}

}  // namespace
}  // namespace velmor::payment
