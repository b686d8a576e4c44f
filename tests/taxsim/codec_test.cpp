#include "taxsim/codec.h"

#include <gtest/gtest.h>

namespace velmor::taxsim {
namespace {

TEST(TaxsimCodec, Base64KnownValuesAndPadding) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode(std::string("\xff\xfe\x00", 3)), "//4A");
  EXPECT_EQ(Base64Decode("YWJj"), "abc");
  EXPECT_EQ(Base64Decode("YQ=="), "a");
  EXPECT_EQ(Base64Decode("YWI="), "ab");
  EXPECT_EQ(Base64Decode(""), "");
  std::string all;
  for (int i = 0; i < 256; ++i) all += char(i);
  EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
}

TEST(TaxsimCodec, Base64RejectsMalformedText) {
  auto message = [](const std::string& text) {
    try {
      Base64Decode(text);
    } catch (const CodecError& e) {
      return std::string(e.what());
    }
    return std::string("decoded");
  };
  EXPECT_EQ(message("YWJ"), "Base64长度不是4的倍数（3）");
  EXPECT_EQ(message("YW*j"), "Base64含非法字符（第3个）");
  EXPECT_EQ(message("Y=Jj"), "Base64含非法字符（第2个）");
  EXPECT_EQ(message("YQ==YWJj"), "Base64含非法字符（第3个）") << "padding only at the very end";
  EXPECT_EQ(message("YW=j"), "Base64填充位置错误");
  EXPECT_EQ(message("YWJj\n"), "Base64长度不是4的倍数（5）");
}

TEST(TaxsimCodec, GzipRoundTripAndDamage) {
  std::string text(10000, 'x');
  text += "中文";
  std::string packed = Gzip(text);
  ASSERT_TRUE(LooksGzipped(packed));
  EXPECT_EQ(uint8_t(packed[2]), 8);
  EXPECT_EQ(Gunzip(packed), text);
  EXPECT_THROW(Gunzip(packed.substr(0, packed.size() - 3)), CodecError);
  std::string damaged = packed;
  damaged[packed.size() / 2] ^= 0x55;
  EXPECT_THROW(Gunzip(damaged), CodecError);
  EXPECT_THROW(Gunzip("plain"), CodecError);
  EXPECT_THROW(Gunzip(packed + "trailing"), CodecError);
}

TEST(TaxsimCodec, GbkRoundTripAndFailures) {
  std::string utf8 = "城乡居民&<>";
  std::string gbk = Utf8ToGbk(utf8);
  EXPECT_EQ(gbk.size(), 4 * 2 + 3u);
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
  EXPECT_THROW(Utf8ToGbk("\xF0\x9F\x98\x80"), CodecError) << "an emoji has no GBK form";
  EXPECT_THROW(GbkToUtf8("\x81"), CodecError) << "a lone lead byte";
  EXPECT_TRUE(IsUtf8(utf8));
  EXPECT_FALSE(IsUtf8(gbk));
  EXPECT_FALSE(IsUtf8("\xC0\x80")) << "overlong";
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80")) << "surrogate";
  EXPECT_FALSE(IsUtf8("\xE4\xB8")) << "cut short";
}

}  // namespace
}  // namespace velmor::taxsim
