// The name rules: the special-character table, digits only, the weighted length.
#include <gtest/gtest.h>

#include <string>

#include "roster/name_check.h"

namespace velmor {
namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string Check(const std::string& name) {
  std::string message;
  bool ok = CheckPersonName(name, message);
  EXPECT_EQ(ok, message.empty()) << name;
  return ok ? "ok" : message;
}

TEST(NameCheck, EveryEntryOfTheSpecialCharacterTableIsRefused) {
  const char* table[] = {"~",  "?",  "!",  "@",  "#",  "$",  "%",  "^",  "&",  "*",  "\x7f", "\\", "/",  "{",  "}",
                         "+",  "=",  ";",  ":",  "\"", "|",  "｜", "]",  "[",  "～", "｀",   "＊", "︿", "！", "＠",
                         "＆", "＃", "￥", "％", "…",  "—",  "×",  "－", "＿", "＋", "＝",   "［", "］", "｛", "｝",
                         "【", "】", "＼", "：", "；", "“",  "《", "》", "。", "？", "／"};
  EXPECT_EQ(std::size(table), 56u) << "57 entries, the ellipsis listed twice";
  for (const char* c : table) EXPECT_EQ(Check(std::string("张") + c + "三"), "姓名存在特殊字符。") << c;
}

TEST(NameCheck, CharactersOutsideTheTablePass) {
  for (const char* name : {"张，三", "张·三", "Anna-Maria", "O'Neil", "张 三", "阿卜杜拉·买买提", "Ⅱ世"})
    EXPECT_EQ(Check(name), "ok") << name;
}

TEST(NameCheck, DigitsOnly) {
  EXPECT_EQ(Check("12345"), "姓名不能是纯数字。");
  EXPECT_EQ(Check("0"), "姓名不能是纯数字。");
  EXPECT_EQ(Check("张3"), "ok");
  EXPECT_EQ(Check("１２３"), "ok") << "full-width digits are not digits here";
}

TEST(NameCheck, WeightedLength) {
  EXPECT_EQ(NameWeight("张三"), 6);
  EXPECT_EQ(NameWeight("ab c"), 4);
  EXPECT_EQ(NameWeight("-·"), 6) << "hyphen and middle dot count as Chinese";
  EXPECT_EQ(NameWeight("㐀"), 3) << "extension A";
  EXPECT_EQ(NameWeight("\xef\xbd\x81"), 3) << "full-width forms";
  EXPECT_EQ(Check(Repeat("张", 25)), "ok");
  EXPECT_EQ(Check(Repeat("张", 26)), "姓名超过长度。");
  EXPECT_EQ(Check(Repeat("a", 75)), "ok");
  EXPECT_EQ(Check(Repeat("a", 76)), "姓名超过长度。");
  EXPECT_EQ(Check(Repeat("张", 25) + "a"), "姓名超过长度。");
}

TEST(NameCheck, BadInput) {
  EXPECT_EQ(Check(""), "姓名不能为空。");
  EXPECT_EQ(Check("\xe5\xbc"), "姓名存在特殊字符。") << "truncated UTF-8";
  EXPECT_EQ(Check("\xc0\xaf"), "姓名存在特殊字符。") << "overlong form";
  EXPECT_EQ(Check("\xed\xa0\x80"), "姓名存在特殊字符。") << "a surrogate";
  EXPECT_EQ(NameWeight("\xff"), -1);
}

}  // namespace
}  // namespace velmor
