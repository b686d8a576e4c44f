#include "taxsim/codec.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(TaxsimCodec, GzipStreamPacksPiecesAsOneMember) {
  // Large and compressible enough to pass zlib's internal buffers several times over.
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "<row><xh>" + std::to_string(i * 7919 % 100003) + "</xh></row>";
  for (size_t piece : {size_t{1} << 20, size_t{4093}, text.size()}) {
    GzipStream gz;
    for (size_t at = 0; at < text.size(); at += piece) gz.Append(std::string_view(text).substr(at, piece));
    const std::string packed = gz.Finish();
    EXPECT_TRUE(LooksGzipped(packed));
    EXPECT_EQ(Gunzip(packed), text) << "pieces of " << piece;
    EXPECT_EQ(packed, Gzip(text)) << "the same bytes as packing the text at once";
  }
  GzipStream empty;
  EXPECT_EQ(Gunzip(empty.Finish()), "");
  EXPECT_THROW(empty.Finish(), CodecError) << "a member is finished once";
  EXPECT_THROW(empty.Append("x"), CodecError);
}

// Text is converted through a buffer of 64 KB: characters cut at its edges, a text of many such
// buffers and the place of a bad byte deep inside it.
TEST(TaxsimCodec, GbkConvertsBothWaysAcrossTheConversionBuffer) {
  const std::string gbkWord = "\xd6\xd0\xce\xc4";  // "中文"
  const std::string utf8Word = "\xe4\xb8\xad\xe6\x96\x87";
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(GbkToUtf8(gbkWord), utf8Word);
  for (size_t ascii : {size_t{0}, size_t{1}, size_t{43690}, size_t{65535}, size_t{65536}}) {
    std::string gbk(ascii, 'a'), utf8(ascii, 'a');
    for (int i = 0; i < 60000; ++i) {
      gbk += gbkWord;
      utf8 += utf8Word;
    }
    EXPECT_EQ(GbkToUtf8(gbk), utf8) << ascii << " bytes before";
    EXPECT_EQ(Utf8ToGbk(utf8), gbk) << ascii << " bytes before";
  }
  std::string bad(200000, 'a');
  bad[150000] = '\xff';
  try {
    GbkToUtf8(bad);
    FAIL() << "a bad byte was converted";
  } catch (const CodecError& e) {
    EXPECT_STREQ(e.what(), "文本不是有效的GBK编码或无法转换（第150001字节）");
  }
  EXPECT_THROW(Utf8ToGbk(std::string(100000, 'a') + "\xe4\xb8"), CodecError) << "cut inside the last character";
}

TEST(TaxsimCodec, GunzipTakesTheTrailersSizeOnlyAsAHint) {
  const std::string text(300000, 'x');
  std::string packed = Gzip(text);
  // A forged size in the trailer (4 GiB - 1): the unpacking neither reserves it nor trusts it.
  std::string forged = packed;
  for (size_t i = forged.size() - 4; i < forged.size(); ++i) forged[i] = '\xff';
  EXPECT_THROW(Gunzip(forged), CodecError) << "the trailer no longer matches";
  // Cut short: the size is missing, the stream incomplete.
  EXPECT_THROW(Gunzip(packed.substr(0, packed.size() - 6)), CodecError);
  EXPECT_EQ(Gunzip(packed), text);
}

}  // namespace
}  // namespace velmor::taxsim
