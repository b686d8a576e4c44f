// The rules of the roster's import templates: captions per region, identity numbers, group paths,
// mobile numbers, and the name and content of the error workbook.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "roster/roster_workbook.h"
#include "velmor/exceptions.h"

namespace velmor::roster {
namespace {

namespace fs = std::filesystem;

TEST(RosterTemplates, CaptionsPerRegion) {
  ImportLayout other = WbryLayout("3100");
  EXPECT_EQ(other.captions, (std::vector<std::string>{"*姓名", "*证件类型", "*证件号码", "一级分组", "二级分组", "三级分组"}));
  ImportLayout shenzhen = WbryLayout("4403");
  EXPECT_EQ(shenzhen.captions.size(), 8u);
  EXPECT_EQ(shenzhen.captions.back(), "五级分组");
  ImportLayout phones = PhoneLayout("");
  EXPECT_EQ(phones.captions[3], "手机号码");
  EXPECT_EQ(phones.captions[7], "备注");
  EXPECT_EQ(phones.remark, 7);
  ImportLayout phones4403 = PhoneLayout("4403");
  EXPECT_EQ(phones4403.captions[7], "四级分组");
  EXPECT_EQ(phones4403.captions[9], "备注");
  EXPECT_EQ(phones4403.remark, 9);
}

TEST(RosterTemplates, CaptionCheckTrimsAndRefusesAnyDifference) {
  std::vector<std::string> threeLevels = {" *姓名", "*证件类型 ", "*证件号码", "一级分组", "二级分组", "三级分组", ""};
  ImportLayout l = WbryLayout("");
  EXPECT_NO_THROW(CheckCaptions(threeLevels, l, true));
  EXPECT_EQ(l.agency, -1);
  ImportLayout l4403 = WbryLayout("4403");
  try {
    CheckCaptions(threeLevels, l4403, true);
    FAIL() << "three group levels in region 4403";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), kHeaderMismatch);
  }
  std::vector<std::string> withAgency = threeLevels;
  withAgency.back() = "社保经办机构";
  EXPECT_NO_THROW(CheckCaptions(withAgency, l, true));
  EXPECT_EQ(l.agency, 6);
  ImportLayout p = PhoneLayout("");
  EXPECT_THROW(CheckCaptions(withAgency, p, false), Exception);
  std::vector<std::string> swapped = {"*证件类型", "*姓名", "*证件号码", "一级分组", "二级分组", "三级分组"};
  ImportLayout l2 = WbryLayout("");
  EXPECT_THROW(CheckCaptions(swapped, l2, true), Exception);
}

TEST(RosterTemplates, ResidentIdNumbers) {
  EXPECT_TRUE(ResidentIdNumberOk("11010120000101001x"));
  EXPECT_TRUE(ResidentIdNumberOk("11010120000101001X"));
  EXPECT_TRUE(ResidentIdNumberOk("110101200001010011"));
  EXPECT_TRUE(ResidentIdNumberOk("110101000101001"));
  EXPECT_FALSE(ResidentIdNumberOk("11010120000101001")) << "17 characters";
  EXPECT_FALSE(ResidentIdNumberOk("11010100010100A")) << "15 with a letter";
  EXPECT_FALSE(ResidentIdNumberOk("1101012000010100XX"));
  EXPECT_FALSE(ResidentIdNumberOk(""));
}

TEST(RosterTemplates, GroupPathStopsAtTheFirstEmptyLevel) {
  ImportLayout l = WbryLayout("4403");
  EXPECT_EQ(GroupPath({"a", "b", "c", " 一组 ", "二组", "", "四组"}, l), (std::vector<std::string>{"一组", "二组"}));
  EXPECT_TRUE(GroupPath({"a", "b", "c"}, l).empty());
  EXPECT_EQ(GroupPath({"a", "b", "c", "1", "2", "3", "4", "5", "6"}, l).size(), 5u);
}

TEST(RosterTemplates, MobileRule) {
  EXPECT_TRUE(MobileNumberOk("13800138000", ""));
  EXPECT_FALSE(MobileNumberOk("1380013800", ""));
  EXPECT_FALSE(MobileNumberOk("12800138000", ""));
  EXPECT_FALSE(MobileNumberOk("13800138000x", ""));
  EXPECT_TRUE(MobileNumberOk("0755-1234567", "0\\d{2,3}-\\d{7,8}"));
  EXPECT_THROW(MobileNumberOk("1", "[unclosed"), Exception);
}

TEST(RosterTemplates, ErrorWorkbookNamedBesideTheSourceAndNumberedWhenTaken) {
  const fs::path dir = fs::temp_directory_path() / ("velmor_errbook_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string source = (dir / "人员.xls").string();
  const std::string first = ErrorWorkbookName(source);
  EXPECT_EQ(fs::path(first).filename().string(), "人员_校验不通过.xlsx") << "XLSX content, XLSX name";
  std::ofstream(first) << "x";
  EXPECT_EQ(fs::path(ErrorWorkbookName(source)).filename().string(), "人员_校验不通过(1).xlsx");

  // The error column follows the captions; rows keep their place.
  workbook::Workbook book;
  workbook::Sheet& s = book.AddSheet("Sheet1");
  s.SetRow(0, {"*姓名", "*证件类型", "*证件号码"});
  s.SetRow(1, {"a", "居民身份证", "1"});
  s.SetRow(2, {"b", "居民身份证", "2"});
  const std::string path = (dir / "src.xlsx").string();
  book.Save(path);
  workbook::Workbook read = workbook::Workbook::Open(path);
  const std::string errors = WriteErrorWorkbook(read, {{2, "该人员不存在"}});
  EXPECT_EQ(fs::path(errors).filename().string(), "src_校验不通过.xlsx");
  auto rows = workbook::ReadFirstSheetRows(errors);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][3], kErrorCaption);
  EXPECT_EQ(rows[1].size(), 3u);
  EXPECT_EQ(rows[2][3], "该人员不存在");
  fs::remove_all(dir);
}

TEST(RosterTemplates, ShippedTemplatesMatchTheLayouts) {
  const fs::path dir = fs::path(VELMOR_SOURCE_DIR) / "data/M8/Templates/Import";
  for (const char* region : {"", "4403"}) {
    const std::string suffix = std::string(region).empty() ? "" : "_4403";
    ImportLayout wbry = WbryLayout(region);
    CheckCaptions(workbook::ReadFirstSheetRows((dir / ("外部人员导入模板" + suffix + ".xlsx")).string())[0], wbry, true);
    EXPECT_EQ(wbry.agency, static_cast<int>(wbry.captions.size())) << "the agency column comes last";
    ImportLayout phones = PhoneLayout(region);
    EXPECT_NO_THROW(
        CheckCaptions(workbook::ReadFirstSheetRows((dir / ("手机号码导入模板" + suffix + ".xlsx")).string())[0], phones, false));
  }
}

}  // namespace
}  // namespace velmor::roster
