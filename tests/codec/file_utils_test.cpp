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

namespace velmor::testing {
namespace {

TEST(WriteFileAtomically, ReplacesTheFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("state.ini");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "old", error)) << error;
  ASSERT_TRUE(WriteFileAtomically(path, std::string("new\0text", 8), error)) << error;
  EXPECT_EQ(ReadFile(path), std::string("new\0text", 8));
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST(WriteFileAtomically, AFailureNamesTheCauseAndKeepsTheOldFile) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(dir.File("missing/state.ini"), "x", error));
  EXPECT_NE(error.find("创建临时文件失败"), std::string::npos) << error;
  // A folder in the way of the rename: the old content stays and the temporary goes.
  const std::string blocked = dir.File("blocked");
  std::filesystem::create_directories(blocked + "/inner");
  EXPECT_FALSE(WriteFileAtomically(blocked, "x", error));
  EXPECT_NE(error.find("替换文件失败"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_directory(blocked + "/inner"));
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);
}

}  // namespace
}  // namespace velmor::testing
