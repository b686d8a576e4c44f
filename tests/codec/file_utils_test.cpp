#include "codec/file_utils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace velmor {
namespace {

using velmor::testing::TempDir;
using velmor::testing::WriteFile;

TEST(MakeUniqueFileName, FreeNameComesBackUnchanged) {
  TempDir dir;
  EXPECT_EQ(MakeUniqueFileName(dir.File("x.xls")), dir.File("x.xls"));
}

TEST(MakeUniqueFileName, CountsPastTakenNames) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("x.xls"), "1"));
  EXPECT_EQ(MakeUniqueFileName(dir.File("x.xls")), dir.File("x(1).xls"));
  ASSERT_TRUE(WriteFile(dir.File("x(1).xls"), "2"));
  EXPECT_EQ(MakeUniqueFileName(dir.File("x.xls")), dir.File("x(2).xls"));
  // A gap further on does not matter: the first free number wins.
  ASSERT_TRUE(WriteFile(dir.File("x(3).xls"), "3"));
  EXPECT_EQ(MakeUniqueFileName(dir.File("x.xls")), dir.File("x(2).xls"));
}

TEST(MakeUniqueFileName, ExtensionIsTheLastDotOfTheFileName) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("a.tar.gz"), ""));
  EXPECT_EQ(MakeUniqueFileName(dir.File("a.tar.gz")), dir.File("a.tar(1).gz"));
  ASSERT_TRUE(WriteFile(dir.File("noext"), ""));
  EXPECT_EQ(MakeUniqueFileName(dir.File("noext")), dir.File("noext(1)"));
  // A dot in a folder name is not an extension.
  std::filesystem::create_directory(dir.File("v1.2"));
  ASSERT_TRUE(WriteFile(dir.File("v1.2/report"), ""));
  EXPECT_EQ(MakeUniqueFileName(dir.File("v1.2/report")), dir.File("v1.2/report(1)"));
}

TEST(MakeUniqueFileName, DirectoriesAndDanglingLinksTakeTheirNames) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("out.xlsx"));
  EXPECT_EQ(MakeUniqueFileName(dir.File("out.xlsx")), dir.File("out(1).xlsx"));
  ASSERT_EQ(::symlink("missing-target", dir.File("l.xls").c_str()), 0);
  EXPECT_EQ(MakeUniqueFileName(dir.File("l.xls")), dir.File("l(1).xls"));
}

}  // namespace
}  // namespace velmor
