#include "codec/gzip.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

std::string Sample() {
  std::string s;
  for (int i = 0; i < 2000; ++i) s += "<row><djxh>1014403000" + std::to_string(i) + "</djxh></row>";
  return s;
}

std::string ErrorOf(std::string_view member) {
  try {
    GzipDecompress(member);
  } catch (const Exception& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Gzip, MemberStartsWithGzipHeader) {
  const std::string z = GzipCompress("abc");
  ASSERT_GE(z.size(), 18u);
  EXPECT_EQ(static_cast<unsigned char>(z[0]), 31);
  EXPECT_EQ(static_cast<unsigned char>(z[1]), 139);
  EXPECT_EQ(static_cast<unsigned char>(z[2]), 8);
  EXPECT_EQ(z[8], 0);  // extra flags: neither best (2) nor fastest (4) compression
  // Trailer: CRC-32 then the length, little-endian.
  const auto* b = reinterpret_cast<const unsigned char*>(z.data()) + z.size() - 8;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>("abc"), 3);
  EXPECT_EQ(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uLong>(b[3]) << 24, crc);
  EXPECT_EQ(b[4], 3);
  EXPECT_EQ(b[5] | b[6] | b[7], 0);
}

TEST(Gzip, RoundTrips) {
  for (const std::string& s : {std::string(), std::string("x"), Sample(), std::string(1 << 20, '\0')}) {
    const std::string z = GzipCompress(s);
    EXPECT_EQ(GzipDecompress(z), s);
  }
  std::mt19937 rng(7);
  std::string noise(100000, '\0');
  for (char& c : noise) c = static_cast<char>(rng());
  EXPECT_EQ(GzipDecompress(GzipCompress(noise)), noise);
}

TEST(Gzip, DecompressesMemberWrittenByZlibGzipInterface) {
  // A member with a file name in its header (FNAME flag), as a gzip tool writes it.
  std::string s = "Hello 世界";
  z_stream st{};
  ASSERT_EQ(deflateInit2(&st, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY), Z_OK);
  gz_header h{};
  h.name = reinterpret_cast<Bytef*>(const_cast<char*>("a.json"));
  ASSERT_EQ(deflateSetHeader(&st, &h), Z_OK);
  std::string out(256, '\0');
  st.next_in = reinterpret_cast<Bytef*>(s.data());
  st.avail_in = s.size();
  st.next_out = reinterpret_cast<Bytef*>(out.data());
  st.avail_out = out.size();
  ASSERT_EQ(deflate(&st, Z_FINISH), Z_STREAM_END);
  out.resize(st.total_out);
  deflateEnd(&st);
  EXPECT_EQ(GzipDecompress(out), s);
}

TEST(Gzip, RejectsWhatIsNotGzip) {
  EXPECT_EQ(ErrorOf(""), "gzip解压失败：数据不完整（不足一个gzip成员）");
  EXPECT_EQ(ErrorOf("abc"), "gzip解压失败：数据不完整（不足一个gzip成员）");
  EXPECT_EQ(ErrorOf("this is plain text, not gzip"), "gzip解压失败：不是gzip数据");
  std::string z = GzipCompress(Sample());
  z[2] = 7;
  EXPECT_EQ(ErrorOf(z), "gzip解压失败：不支持的压缩方法");
  // A zlib stream (not a gzip member) is refused as well.
  std::string zz(1024, '\0');
  uLongf n = zz.size();
  compress2(reinterpret_cast<Bytef*>(zz.data()), &n, reinterpret_cast<const Bytef*>("abcabcabc"), 9, 6);
  zz.resize(n + 20);
  EXPECT_EQ(ErrorOf(zz), "gzip解压失败：不是gzip数据");
}

TEST(Gzip, ReportsDamagedMember) {
  const std::string good = GzipCompress(Sample());
  std::string bad_crc = good;
  bad_crc[bad_crc.size() - 8] ^= 1;
  EXPECT_EQ(ErrorOf(bad_crc), "gzip解压失败：数据已损坏（incorrect data check）");
  std::string bad_len = good;
  bad_len[bad_len.size() - 4] ^= 1;
  EXPECT_EQ(ErrorOf(bad_len), "gzip解压失败：数据已损坏（incorrect length check）");
  std::string bad_flags = good;
  bad_flags[3] = static_cast<char>(0xE0);  // reserved flag bits
  EXPECT_EQ(ErrorOf(bad_flags), "gzip解压失败：数据已损坏（unknown header flags set）");
  std::string bad_block = good;
  bad_block[10] = static_cast<char>(0xFF);  // block type 3 is reserved
  EXPECT_EQ(ErrorOf(bad_block), "gzip解压失败：数据已损坏（invalid block type）");
}

TEST(Gzip, ReportsTruncatedMemberAtEveryLength) {
  const std::string good = GzipCompress(Sample());
  for (std::size_t n = 18; n < good.size(); n += 7)
    EXPECT_EQ(ErrorOf(good.substr(0, n)), "gzip解压失败：数据不完整（gzip成员被截断）") << n;
  EXPECT_EQ(ErrorOf(good.substr(0, good.size() - 1)), "gzip解压失败：数据不完整（gzip成员被截断）");
}

TEST(Gzip, ReportsBytesAfterTheMember) {
  const std::string good = GzipCompress("abc");
  EXPECT_EQ(ErrorOf(good + "x"), "gzip解压失败：gzip成员之后还有多余的数据");
  EXPECT_EQ(ErrorOf(good + good), "gzip解压失败：gzip成员之后还有多余的数据");
}

TEST(Gzip, SurvivesRandomCorruption) {
  const std::string good = GzipCompress(Sample());
  std::mt19937 rng(11);
  for (int i = 0; i < 500; ++i) {
    std::string z = good;
    for (int k = 0; k < 3; ++k) z[rng() % z.size()] = static_cast<char>(rng());
    try {
      const std::string out = GzipDecompress(z);
      // A flip that zlib cannot see (a header byte such as the time stamp) leaves the content.
      EXPECT_EQ(out, Sample());
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind("gzip解压失败：", 0), 0u);
    }
  }
}

TEST(Gzip, PiecesAddUpToTheWholeAndFaultsRaiseAsForTheWhole) {
  const std::string good = GzipCompress(Sample());
  for (std::size_t size : {std::size_t{1}, std::size_t{300}, std::size_t{4096}, std::size_t{1} << 20}) {
    std::string joined;
    std::size_t pieces = 0, largest = 0;
    GzipDecompressPieces(good, size, [&](std::string_view p) {
      joined.append(p);
      ++pieces;
      largest = std::max(largest, p.size());
    });
    EXPECT_EQ(joined, Sample()) << size;
    EXPECT_LE(largest, std::max<std::size_t>(size, 256)) << "pieces are never larger than asked (at least 256)";
    if (size < Sample().size()) {
      EXPECT_GT(pieces, 1u) << size;
    }
  }
  auto errorOf = [](std::string_view member) {
    try {
      GzipDecompressPieces(member, 512, [](std::string_view) {});
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(errorOf(good.substr(0, good.size() / 2)), "gzip解压失败：数据不完整（gzip成员被截断）");
  EXPECT_EQ(errorOf(good + "x"), "gzip解压失败：gzip成员之后还有多余的数据");
  EXPECT_EQ(errorOf("not gzip at all, but long enough"), "gzip解压失败：不是gzip数据");
}

}  // namespace
}  // namespace velmor
