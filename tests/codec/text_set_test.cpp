// TextSet against the standard hash set: the same answers for texts that share prefixes, differ
// in one byte, are empty or hold NUL bytes, across the growth of the table, with and without
// room reserved first.
#include "codec/text_set.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_set>

namespace velmor {
namespace {

std::string RandomText(std::mt19937& random) {
  static const std::string kBytes(
      "ab\0\x1f"
      "2026X0",
      10);
  std::string text;
  const size_t size = random() % 12;
  for (size_t i = 0; i < size; ++i) text += kBytes[random() % kBytes.size()];
  return text;
}

TEST(TextSet, AnswersAsTheStandardSetThroughItsGrowth) {
  for (const size_t reserved : {size_t{0}, size_t{50000}}) {
    std::mt19937 random(11);
    TextSet set;
    set.Reserve(reserved);
    std::unordered_set<std::string> reference;
    for (int i = 0; i < 60000; ++i) {
      const std::string text = RandomText(random);
      ASSERT_EQ(set.Insert(text), reference.insert(text).second) << i << " reserved " << reserved;
      const std::string other = RandomText(random);
      ASSERT_EQ(set.Contains(other), reference.count(other) == 1) << i;
    }
    EXPECT_EQ(set.Size(), reference.size());
    for (const std::string& text : reference) ASSERT_TRUE(set.Contains(text));
  }
}

TEST(TextSet, KeysOfManyStates) {
  TextSet set;
  EXPECT_FALSE(set.Contains("")) << "an empty set holds nothing, not even the empty text";
  EXPECT_TRUE(set.Insert(""));
  EXPECT_FALSE(set.Insert(""));
  for (int i = 0; i < 200000; ++i) ASSERT_TRUE(set.Insert("2026\x1fX" + std::to_string(i)));
  for (int i = 0; i < 200000; i += 997) ASSERT_FALSE(set.Insert("2026\x1fX" + std::to_string(i)));
  EXPECT_FALSE(set.Contains("2026\x1fX200000"));
  EXPECT_FALSE(set.Contains("2025\x1fX1"));
  EXPECT_EQ(set.Size(), 200001u);
  // Numbered in the order first added: the empty text first.
  EXPECT_EQ(set.Add(""), std::make_pair(size_t{0}, false));
  EXPECT_EQ(set.Add("2026\x1fX41"), std::make_pair(size_t{42}, false));
  EXPECT_EQ(set.Add("2027\x1fX0"), std::make_pair(size_t{200001}, true));
}

}  // namespace
}  // namespace velmor
