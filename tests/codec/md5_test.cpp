// MD5 against the digests of RFC 1321's test suite.
#include "codec/md5.h"

#include <gtest/gtest.h>

namespace velmor {
namespace {

TEST(Md5Hex, KnownDigests) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(Md5Hex(std::string("a\0b", 3)).size(), 32u);
  EXPECT_NE(Md5Hex(std::string("a\0b", 3)), Md5Hex("a"));
}

}  // namespace
}  // namespace velmor
