#include "codec/text_utils.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace velmor {
namespace {

// The obvious quadratic replacement, to compare the skip-table search with.
std::string NaiveReplaceAll(const std::string& text, const std::string& pattern, const std::string& repl,
                            bool ignore_case) {
  auto eq = [&](char a, char b) {
    if (!ignore_case) return a == b;
    auto f = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return f(a) == f(b);
  };
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    bool match = i + pattern.size() <= text.size();
    for (std::size_t k = 0; match && k < pattern.size(); ++k) match = eq(text[i + k], pattern[k]);
    if (match) {
      out += repl;
      i += pattern.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

TEST(ReplaceAll, OccurrencesDoNotOverlap) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("abababa", "aba", "X"), "XbX");
}

TEST(ReplaceAll, ReplacementIsNotScannedAgain) {
  EXPECT_EQ(ReplaceAll("a", "a", "aa"), "aa");
  EXPECT_EQ(ReplaceAll("xax", "a", "xax"), "xxaxx");
  EXPECT_EQ(ReplaceAll("&&", "&", "&amp;"), "&amp;&amp;");
}

TEST(ReplaceAll, EdgesOfText) {
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
  EXPECT_EQ(ReplaceAll("abc", "abc", ""), "");
  EXPECT_EQ(ReplaceAll("ab", "abc", "x"), "ab");
  EXPECT_EQ(ReplaceAll("abcab", "ab", "<>"), "<>c<>");
  EXPECT_EQ(ReplaceAll("no match here", "zz", "y"), "no match here");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");  // an empty pattern matches nothing
}

TEST(ReplaceAll, CaseFolding) {
  EXPECT_EQ(ReplaceAll("Select FROM from From", "from", "F", true), "Select F F F");
  EXPECT_EQ(ReplaceAll("Select FROM from From", "from", "F", false), "Select FROM F From");
  EXPECT_EQ(ReplaceAll("ABC", "abc", "x", true), "x");
  // Only ASCII letters fold: "@" and "`" (beside the letter ranges) stay distinct, and the
  // bytes of multi-byte characters are left alone.
  EXPECT_EQ(ReplaceAll("@`", "`", "x", true), "@x");
  EXPECT_EQ(ReplaceAll("缴费ABC缴费", "abc", "-", true), "缴费-缴费");
  EXPECT_EQ(ReplaceAll("\xc3\x80\xc3\xa0", "\xc3\xa0", "a", true), "\xc3\x80" "a");
}

TEST(ReplaceAll, AgreesWithNaiveSearchOnRandomTexts) {
  std::mt19937 rng(3);
  const std::string alphabet = "aAbB\xe4";
  auto random_text = [&](std::size_t max) {
    std::string s(rng() % (max + 1), '\0');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 5000; ++i) {
    const std::string text = random_text(40), repl = random_text(4);
    std::string pattern = random_text(5);
    if (pattern.empty()) pattern = "a";
    const bool fold = i % 2;
    ASSERT_EQ(ReplaceAll(text, pattern, repl, fold), NaiveReplaceAll(text, pattern, repl, fold))
        << text << " / " << pattern << " / " << repl << " / " << fold;
  }
}

TEST(EscapeXml, FullEscapingOfSample) {
  EXPECT_EQ(EscapeXmlText("a<b & \"c\" #1"), "a&lt;b &amp; &quot;c&quot; &#35;1");
  EXPECT_EQ(EscapeXmlText("'>"), "&apos;&gt;");
  EXPECT_EQ(EscapeXmlText(""), "");
  EXPECT_EQ(EscapeXmlText("张三"), "张三");
}

TEST(EscapeXml, AmpersandsOfEntitiesAreNotEscapedAgain) {
  EXPECT_EQ(EscapeXmlText("&amp;"), "&amp;amp;");
  EXPECT_EQ(EscapeXmlText("#&#"), "&#35;&amp;&#35;");
}

TEST(EscapeXml, EqualsSixReplaceAllPassesInOrder) {
  const std::string samples[] = {"a<b & \"c\" #1", "&#35;", "'''", "<&>\"#'", "x&y#z<"};
  for (const std::string& s : samples) {
    std::string expected = s;
    expected = ReplaceAll(expected, "&", "&amp;");
    expected = ReplaceAll(expected, ">", "&gt;");
    expected = ReplaceAll(expected, "<", "&lt;");
    expected = ReplaceAll(expected, "'", "&apos;");
    expected = ReplaceAll(expected, "\"", "&quot;");
    EXPECT_EQ(EscapeXmlShort(s), expected) << s;
    expected = ReplaceAll(expected, "#", "&#35;");
    EXPECT_EQ(EscapeXmlText(s), expected) << s;
  }
}

TEST(EscapeXml, ShortEscapingKeepsNumberSign) {
  EXPECT_EQ(EscapeXmlShort("a<b & \"c\" #1 'd'>"), "a&lt;b &amp; &quot;c&quot; #1 &apos;d&apos;&gt;");
}

TEST(FormatAmountWithSeparators, ListedValues) {
  EXPECT_EQ(FormatAmountWithSeparators(999.99), "999.99");
  EXPECT_EQ(FormatAmountWithSeparators(1000), "1,000.00");
  EXPECT_EQ(FormatAmountWithSeparators(1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatAmountWithSeparators(-123.45), "-123.45");
  EXPECT_EQ(FormatAmountWithSeparators(-123456.78), "-123,456.78");
  EXPECT_EQ(FormatAmountWithSeparators(-1234567.89), "-1,234,567.89");
}

TEST(FormatAmountWithSeparators, GroupBoundaries) {
  EXPECT_EQ(FormatAmountWithSeparators(0), "0.00");
  EXPECT_EQ(FormatAmountWithSeparators(0.005), "0.01");  // 0.005 is stored just above
  EXPECT_EQ(FormatAmountWithSeparators(-1000), "-1,000.00");
  EXPECT_EQ(FormatAmountWithSeparators(-999.99), "-999.99");
  EXPECT_EQ(FormatAmountWithSeparators(100000), "100,000.00");
  EXPECT_EQ(FormatAmountWithSeparators(999999.999), "1,000,000.00");  // rounding adds a group
  EXPECT_EQ(FormatAmountWithSeparators(12345678901.5), "12,345,678,901.50");
  EXPECT_EQ(FormatAmountWithSeparators(1e21), "1,000,000,000,000,000,000,000.00");
}

TEST(FirstWord, UpToFirstBlank) {
  EXPECT_EQ(FirstWord("2024-01-31 12:00:00"), "2024-01-31");
  EXPECT_EQ(FirstWord("2024-01-31"), "2024-01-31");
  EXPECT_EQ(FirstWord(" lead"), "");
  EXPECT_EQ(FirstWord(""), "");
  EXPECT_EQ(FirstWord("a\tb c"), "a\tb");  // only the blank separates
}

TEST(TrimBlanks, BothEndsOnly) {
  EXPECT_EQ(TrimBlanks("  2024-01 \t\r\n"), "2024-01");
  EXPECT_EQ(TrimBlanks(" a b "), "a b");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimBlanks("城乡 "), "城乡");
}

TEST(SplitText, PiecesTrimmedAndEmptiesLeftOut) {
  EXPECT_EQ(SplitText("a, ,b,", ','), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitText("一组/甲班", '/'), (std::vector<std::string>{"一组", "甲班"}));
  EXPECT_TRUE(SplitText("", ',').empty());
  EXPECT_EQ(SplitText(" x |y=1\r\n\n z=2", '\n', false), (std::vector<std::string>{" x |y=1", " z=2"}))
      << "untrimmed lines lose only their CR";
}

}  // namespace
}  // namespace velmor
