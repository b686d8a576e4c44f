#include "taxsim/codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

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
  // Inside a long text (the groups before the last are decoded four characters at once).
  const std::string clean = Base64Encode(std::string(3000, 'x'));
  for (size_t at : {size_t{0}, size_t{5}, size_t{1998}, clean.size() - 5}) {
    for (char bad : {'*', '=', '\n', '\x80'}) {
      std::string text = clean;
      text[at] = bad;
      EXPECT_EQ(message(text), "Base64含非法字符（第" + std::to_string(at + 1) + "个）") << at << " " << int(bad);
    }
  }
}

TEST(TaxsimCodec, Base64RoundTripsEveryLengthAndByte) {
  std::string data;
  uint32_t x = 12345;
  for (int n = 0; n < 300; ++n) {
    EXPECT_EQ(Base64Decode(Base64Encode(data)), data) << n;
    x = x * 1103515245 + 12345;
    data += char(x >> 24);
  }
  std::string big(1 << 20, '\0');
  for (char& c : big) c = char((x = x * 1103515245 + 12345) >> 24);
  const std::string text = Base64Encode(big);
  ASSERT_EQ(text.size(), (big.size() + 2) / 3 * 4);
  EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
            std::string::npos);
  EXPECT_EQ(Base64Decode(text), big);
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

// A piece of kSplitAt bytes or more is packed in two halves at once: with pieces before and
// after it, alone, and of an odd length, the member unpacks to the text and its trailer (checked
// by the unpacking) holds the text's checksum and size.
TEST(TaxsimCodec, GzipStreamPacksALargePieceInHalvesAsOneMember) {
  std::string big;
  for (int i = 0; big.size() < GzipStream::kSplitAt + 12345; ++i)
    big += "<row><xh>" + std::to_string(i * 7919 % 100003) + "</xh><mc>名称" + std::to_string(i % 97) + "</mc></row>";
  big += "x";  // an odd length: the halves differ by a byte
  const std::string head = "<?xml version=\"1.0\"?><list>", tail = "</list>";
  {
    GzipStream gz;
    gz.Append(head);
    gz.Append(big);
    gz.Append(tail);
    gz.Append(big.substr(0, 1000));  // refers back across the halves' boundary
    EXPECT_EQ(Gunzip(gz.Finish()), head + big + tail + big.substr(0, 1000));
  }
  const std::string alone = Gzip(big);
  EXPECT_TRUE(LooksGzipped(alone));
  EXPECT_EQ(Gunzip(alone), big);
  EXPECT_LT(alone.size(), big.size() / 4) << "still packed";
  // A corrupted checksum is caught: the trailer is the member's own.
  std::string forged = alone;
  forged[forged.size() - 8] = static_cast<char>(forged[forged.size() - 8] ^ 1);
  EXPECT_THROW(Gunzip(forged), CodecError);
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

// GBK to UTF-8 copies the runs of ASCII and converts what lies between: against one conversion of
// the whole text, random texts of ASCII, characters of two bytes (some with a second byte in
// the ASCII range), bytes that lead nothing and characters cut at the end give the same text or
// the same failure, naming the same byte.
std::string WholeGbkToUtf8(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::string out(gbk.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(gbk.data());
  char* dst = out.data();
  size_t srcLeft = gbk.size(), dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1))
    return "文本不是有效的GBK编码或无法转换（第" + std::to_string(gbk.size() - srcLeft + 1) + "字节）";
  out.resize(out.size() - dstLeft);
  return out;
}

TEST(TaxsimCodec, GbkRunsOfAsciiConvertAsTheWholeText) {
  std::mt19937 random(7);
  const std::vector<std::string> pieces = {"<xm>",     "a",    "0123", "\xd6\xd0", "\xce\xc4", "\x81\x40", "\x81\x7e",
                                           "\xfe\x41", "\x80", "\xff", "\x81\x0a", "\xd6",     "\n"};
  int failures = 0;
  for (int t = 0; t < 3000; ++t) {
    std::string gbk;
    const int n = static_cast<int>(random() % 40);
    for (int k = 0; k < n; ++k) gbk += pieces[random() % pieces.size()];
    const std::string expected = WholeGbkToUtf8(gbk);
    std::string got;
    try {
      got = GbkToUtf8(gbk);
    } catch (const CodecError& e) {
      got = e.what();
      ++failures;
    }
    ASSERT_EQ(got, expected) << "case " << t;
    // The same text in pieces cut anywhere, characters included: the same text or failure.
    std::string streamed;
    try {
      GbkToUtf8Stream stream(streamed);
      for (size_t at = 0; at < gbk.size();) {
        const size_t n = std::min<size_t>(gbk.size() - at, random() % 4);
        stream.Append(std::string_view(gbk).substr(at, n));
        at += n;
      }
      stream.Finish();
    } catch (const CodecError& e) {
      streamed = e.what();
    }
    ASSERT_EQ(streamed, expected) << "case " << t << " in pieces";
  }
  EXPECT_GT(failures, 100) << "bad bytes were among the cases";
  EXPECT_LT(failures, 2900) << "so were good texts";
}

// Unpacked in pieces of any size, a member gives its text; damage is raised, and a cut member is
// never taken for whole.
TEST(TaxsimCodec, GunzipHandsOverPiecesOfTheText) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += std::to_string(i * 7919 % 10007) + (i % 3 ? "," : "\n");
  const std::string packed = Gzip(text);
  for (size_t piece : {size_t{1}, size_t{7}, size_t{4096}, size_t{1} << 20}) {
    std::string joined;
    size_t largest = 0;
    GunzipPieces(
        packed,
        [&](std::string_view p) {
          largest = std::max(largest, p.size());
          joined.append(p);
        },
        piece);
    EXPECT_EQ(joined, text) << "pieces of " << piece;
    EXPECT_LE(largest, piece);
  }
  std::string damaged = packed;
  damaged[damaged.size() / 2] ^= 0x55;
  EXPECT_THROW(GunzipPieces(
                   damaged, [](std::string_view) {}, 64),
               CodecError);
  EXPECT_THROW(GunzipPieces(packed.substr(0, packed.size() - 1), [](std::string_view) {}), CodecError);
  EXPECT_THROW(GunzipPieces("plain", [](std::string_view) {}), CodecError);
  EXPECT_EQ(GunzippedSizeHint(packed), text.size());
  EXPECT_EQ(GunzippedSizeHint("short"), 0u);
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
