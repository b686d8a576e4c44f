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

}  // namespace
}  // namespace velmor::taxsim
