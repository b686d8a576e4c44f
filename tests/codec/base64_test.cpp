#include "codec/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace velmor {
namespace {

TEST(Base64, EncodesKnownVectors) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
  EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
  EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
  // Both characters past the letters and digits, and no line break in long output.
  EXPECT_EQ(Base64Encode("\xfb\xff\xbf"), "+/+/");
  EXPECT_EQ(Base64Encode(std::string(300, 'x')).find_first_of("\r\n"), std::string::npos);
}

TEST(Base64, DecodesKnownVectors) {
  EXPECT_EQ(Base64Decode("YWJj"), "abc");
  EXPECT_EQ(Base64Decode("Zg=="), "f");
  EXPECT_EQ(Base64Decode("Zm8="), "fo");
  EXPECT_EQ(Base64Decode("Zm9vYmFy"), "foobar");
  EXPECT_EQ(Base64Decode("+/+/"), "\xfb\xff\xbf");
  EXPECT_EQ(Base64Decode(""), "");
}

TEST(Base64, RoundTripsEveryByteAndEveryTailLength) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  for (std::size_t n = 0; n <= all.size(); ++n) {
    const std::string data = all.substr(256 - n);
    const std::string text = Base64Encode(data);
    ASSERT_EQ(text.size(), (n + 2) / 3 * 4);
    ASSERT_EQ(Base64Decode(text), data) << n;
  }
}

TEST(Base64, LengthNotMultipleOfFourGivesEmpty) {
  EXPECT_EQ(Base64Decode("YWJ"), "");
  EXPECT_EQ(Base64Decode("YWJjZ"), "");
  EXPECT_EQ(Base64Decode("Zg="), "");
  EXPECT_EQ(Base64Decode("YWJj\r\n"), "");
}

TEST(Base64, CharacterOutsideAlphabetGivesEmpty) {
  EXPECT_EQ(Base64Decode("YW-j"), "");  // URL-safe alphabet is not accepted
  EXPECT_EQ(Base64Decode("YW_j"), "");
  EXPECT_EQ(Base64Decode("YW j"), "");
  EXPECT_EQ(Base64Decode(std::string("YW\0j", 4)), "");
  EXPECT_EQ(Base64Decode("YWJjYW\xc3j"), "");
  EXPECT_EQ(Base64Decode("YWJj\r\nYWJj"), "");  // a line break inside, at a multiple of four
  // A bad character in the last group and in an earlier one.
  EXPECT_EQ(Base64Decode("YWJjYW*="), "");
  EXPECT_EQ(Base64Decode("*WJjYWJj"), "");
}

TEST(Base64, MisplacedFillingGivesEmpty) {
  EXPECT_EQ(Base64Decode("===="), "");
  EXPECT_EQ(Base64Decode("Y==="), "");
  EXPECT_EQ(Base64Decode("Y=Jj"), "");
  EXPECT_EQ(Base64Decode("YW=j"), "");
  EXPECT_EQ(Base64Decode("Zg==YWJj"), "");  // filling in a group that is not the last
}

TEST(Base64, IgnoresUnusedLowBitsOfLastGroup) {
  // "Zh==" carries the same first byte as "Zg==" with non-zero unused bits.
  EXPECT_EQ(Base64Decode("Zh=="), "f");
  EXPECT_EQ(Base64Decode("Zm9="), "fo");
}

}  // namespace
}  // namespace velmor
