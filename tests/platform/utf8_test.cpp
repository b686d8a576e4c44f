// The UTF-8 check the host and the command line apply to what they take in: every kind of
// malformed sequence refused, at every position of the eight-byte words read at once, and the
// boundaries of each sequence length accepted.
#include "velmor/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmor {
namespace {

TEST(Utf8, Validity) {
  EXPECT_TRUE(IsWellFormedUtf8(""));
  EXPECT_TRUE(IsWellFormedUtf8("abc 中文 😀"));
  EXPECT_TRUE(IsWellFormedUtf8("\xf4\x8f\xbf\xbf"));  // U+10FFFF
  EXPECT_FALSE(IsWellFormedUtf8("\xf4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsWellFormedUtf8("\xed\xa0\x80"));      // surrogate
  EXPECT_FALSE(IsWellFormedUtf8("\xe0\x80\xaf"));      // overlong
  EXPECT_FALSE(IsWellFormedUtf8("\xc3"));              // cut short
  EXPECT_FALSE(IsWellFormedUtf8("\x80"));              // lone continuation
  EXPECT_FALSE(IsWellFormedUtf8("\xd6\xd0"));          // GBK 中
}

TEST(Utf8, WellFormedTextsAndTheBoundariesOfEachLength) {
  for (const char* ok : {"", "a", "plain ascii text longer than a word", "税务所", "\x7F", "\xC2\x80", "\xDF\xBF",
                         "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80",
                         "\xF4\x8F\xBF\xBF", "\xF0\x9F\x98\x80 emoji"})
    EXPECT_TRUE(IsWellFormedUtf8(ok)) << ok;
  EXPECT_TRUE(IsWellFormedUtf8(std::string("nul\0inside", 10))) << "NUL is a character";
}

TEST(Utf8, MalformedSequencesAreRefusedWhereverTheyStand) {
  const std::vector<std::string> bad = {
      "\x80",              // a lone continuation
      "\xC0\xAF",          // overlong, two bytes
      "\xC1\xBF",          // overlong, two bytes
      "\xE0\x9F\xBF",      // overlong, three bytes
      "\xF0\x8F\xBF\xBF",  // overlong, four bytes
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // past U+10FFFF
      "\xF5\x80\x80\x80",  // a lead byte never used
      "\xFF",              // a byte never used
      "\xE7\xA8",          // truncated
      "\xE7\x41\x80",      // a continuation that is none
  };
  for (const std::string& b : bad) {
    EXPECT_FALSE(IsWellFormedUtf8(b)) << testing::PrintToString(b);
    // Before and after plain text of every length, so the sequence falls at each place of a word.
    for (size_t before = 0; before < 17; ++before) {
      const std::string text = std::string(before, 'a') + b + std::string(9, 'z');
      EXPECT_FALSE(IsWellFormedUtf8(text)) << before << " " << testing::PrintToString(b);
      EXPECT_TRUE(IsWellFormedUtf8(std::string(before, 'a') + "税" + std::string(9, 'z'))) << before;
    }
  }
  EXPECT_FALSE(IsWellFormedUtf8(std::string(16, 'a') + "\xE7")) << "truncated at the very end";
}

}  // namespace
}  // namespace velmor
