#include "codec/gbk.h"

#include <gtest/gtest.h>

#include <string>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Gbk, KnownEncodingOfChineseText) {
  // 中 is D6 D0 and 文 is CE C4 in GBK.
  EXPECT_EQ(Utf8ToGbk("中文"), "\xd6\xd0\xce\xc4");
  EXPECT_EQ(GbkToUtf8("\xd6\xd0\xce\xc4"), "中文");
  EXPECT_EQ(Utf8ToGbk(""), "");
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(Utf8ToGbk("abc 123"), "abc 123");
}

TEST(Gbk, RoundTripsChineseText) {
  const std::string text =
      "<taxML><xm>张三</xm><bz>社会保险费缴费申报，金额：1,234.50元（含滞纳金）</bz></taxML>";
  const std::string gbk = Utf8ToGbk(text);
  EXPECT_NE(gbk, text);
  EXPECT_EQ(GbkToUtf8(gbk), text);
  // A text longer than the first output guess.
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "缴费";
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk(big)), big);
}

TEST(Gbk, UnmappableCharacterIsReported) {
  EXPECT_EQ(ErrorOf([] { Utf8ToGbk("姓名😀"); }), "字符“😀”无法转换为GBK编码（第7字节）");
  // Hangul has no GBK form either.
  EXPECT_EQ(ErrorOf([] { Utf8ToGbk("a한"); }), "字符“한”无法转换为GBK编码（第2字节）");
}

TEST(Gbk, MalformedUtf8IsReported) {
  EXPECT_EQ(ErrorOf([] { Utf8ToGbk("ab\xff"); }), "文本不是有效的UTF-8编码（第3字节）");
  EXPECT_EQ(ErrorOf([] { Utf8ToGbk("中\xe6\x96"); }), "文本不是有效的UTF-8编码（第4字节）");  // cut short
  EXPECT_EQ(ErrorOf([] { Utf8ToGbk("\xc0\xaf"); }), "文本不是有效的UTF-8编码（第1字节）");    // overlong
  // GBK bytes handed in as UTF-8.
  EXPECT_EQ(ErrorOf([] { Utf8ToGbk("\xd6\xd0\xce\xc4"); }), "文本不是有效的UTF-8编码（第1字节）");
}

TEST(Gbk, MalformedGbkIsReported) {
  EXPECT_EQ(ErrorOf([] { GbkToUtf8("ab\xd6"); }), "文本不是有效的GBK编码（第3字节）");  // lone lead byte
  EXPECT_EQ(ErrorOf([] { GbkToUtf8("\xd6\xd0\xff\xff"); }), "文本不是有效的GBK编码（第3字节）");
}

}  // namespace
}  // namespace velmor
