#include "codec/crc16.h"

#include <gtest/gtest.h>

namespace velmor {
namespace {

TEST(Crc16, TableIsTheReflectedA001Table) {
  const auto& t = Crc16Table();
  EXPECT_EQ(t[0], 0x0000);
  EXPECT_EQ(t[1], 0xC0C1);
  EXPECT_EQ(t[2], 0xC181);
  EXPECT_EQ(t[128], 0xA001);
  EXPECT_EQ(t[255], 0x4040);
  static_assert(Crc16Table()[1] == 0xC0C1);
}

TEST(Crc16, KnownCheckValues) {
  // The CRC-16/ARC check value of "123456789".
  EXPECT_EQ(Crc16("123456789"), 0xBB3D);
  // CRC-16/MODBUS is the same table started from 0xFFFF.
  EXPECT_EQ(Crc16("123456789", 0xFFFF), 0x4B37);
  static_assert(Crc16("123456789") == 0xBB3D);
}

TEST(Crc16, EmptyTextReturnsStartValue) {
  EXPECT_EQ(Crc16("", 0), 0);
  EXPECT_EQ(Crc16("", 0x1234), 0x1234);
  EXPECT_EQ(Crc16("", 255, true), 255);
}

TEST(Crc16, FoldingMapsOnlyAsciiCapitals) {
  EXPECT_EQ(Crc16("Name", 0, true), Crc16("name", 0, true));
  EXPECT_EQ(Crc16("Name", 0, true), Crc16("name", 0, false));
  EXPECT_NE(Crc16("Name", 0, false), Crc16("name", 0, false));
  EXPECT_EQ(Crc16("ZSXMDM", 17, true), Crc16("zsxmdm", 17));
  // Characters beside the letter range and non-ASCII bytes are not folded.
  EXPECT_NE(Crc16("@[", 0, true), Crc16("`{", 0, true));
  EXPECT_NE(Crc16("\xc3\x80", 0, true), Crc16("\xc3\xa0", 0, true));
}

TEST(Crc16, ByteWiseFormMatchesWholeText) {
  const std::string_view text = "rydjXh";
  for (uint16_t seed : {0, 1, 77, 255}) {
    uint16_t crc = seed;
    for (char c : text) crc = Crc16Update(crc, c, true);
    EXPECT_EQ(crc, Crc16(text, seed, true));
  }
  // One step by hand: (crc >> 8) ^ table[(b ^ crc) & 255].
  EXPECT_EQ(Crc16Update(0x1234, 'a'), (0x1234 >> 8) ^ Crc16Table()[('a' ^ 0x34) & 0xFF]);
  // High bytes are treated as unsigned.
  EXPECT_EQ(Crc16Update(0, '\xff'), Crc16Table()[0xFF]);
}

}  // namespace
}  // namespace velmor
