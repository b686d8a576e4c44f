// The common-functions component: serials unique across calls, threads, instances and restarts;
// date conversion; amounts in Chinese capitals.
#include "host/components/common_functions.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "host/components/chinese_amount.h"
#include "host/components/date_time.h"
#include "support/temp_dir.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

using host::net::CommonFunctions;

TEST(CommonFunctions, SerialsAreUniqueAcrossCallsThreadsAndRestarts) {
  TempDir dir;
  std::string state = dir.File("serial.seq");
  std::set<std::string> seen;
  {
    Ref<CommonFunctions> f = Make<CommonFunctions>(state);
    for (int i = 0; i < 2500; ++i) ASSERT_TRUE(seen.insert(f->NewSerialNo()).second);
    std::string s = *seen.begin();
    EXPECT_EQ(s.size(), 30u) << s;
    EXPECT_EQ(s.find_first_not_of("0123456789"), std::string::npos) << s;
  }
  // A restart, and two instances (two processes on one data directory) at once.
  Ref<CommonFunctions> a = Make<CommonFunctions>(state);
  Ref<CommonFunctions> b = Make<CommonFunctions>(state);
  std::vector<std::string> fromA, fromB;
  std::thread ta([&] {
    for (int i = 0; i < 3000; ++i) fromA.push_back(a->NewSerialNo());
  });
  std::thread tb([&] {
    for (int i = 0; i < 3000; ++i) fromB.push_back(b->NewSerialNo());
  });
  ta.join();
  tb.join();
  for (auto& s : fromA) ASSERT_TRUE(seen.insert(s).second) << s;
  for (auto& s : fromB) ASSERT_TRUE(seen.insert(s).second) << s;
  EXPECT_EQ(testing::ReadFile(state).back(), '\n');
}

TEST(CommonFunctions, TheCounterPartDoesNotDependOnTheClock) {
  TempDir dir;
  Ref<CommonFunctions> f = Make<CommonFunctions>(dir.File("serial.seq"));
  std::string first = f->NewSerialNo(), second = f->NewSerialNo();
  EXPECT_EQ(first.substr(14), "0000000000000001");
  EXPECT_EQ(second.substr(14), "0000000000000002");
  Ref<CommonFunctions> restarted = Make<CommonFunctions>(dir.File("serial.seq"));
  EXPECT_EQ(restarted->NewSerialNo().substr(14), "0000000000001001") << "the rest of the old block is skipped";
}

TEST(CommonFunctions, ADamagedOrUnwritableStateIsReported) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("serial.seq"), "12x4\n"));
  Ref<CommonFunctions> f = Make<CommonFunctions>(dir.File("serial.seq"));
  try {
    f->NewSerialNo();
    ADD_FAILURE() << "a damaged state was accepted";
  } catch (const velmor::Exception& e) {
    EXPECT_EQ(std::string(e.what()), "流水号状态文件" + dir.File("serial.seq") + "已损坏：12x4");
  }
  Ref<CommonFunctions> g = Make<CommonFunctions>(dir.File("missing/serial.seq"));
  try {
    g->NewSerialNo();
    ADD_FAILURE() << "an unwritable state was accepted";
  } catch (const velmor::Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "流水号状态文件" + dir.File("missing/serial.seq") + ".lock无法打开：No such file or directory");
  }
}

TEST(CommonFunctions, WithoutAStateFileSerialsAreUniqueInTheProcess) {
  Ref<CommonFunctions> f = Make<CommonFunctions>("");
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(seen.insert(f->NewSerialNo()).second);
}

TEST(CommonFunctions, DatesFormatAndParse) {
  Ref<CommonFunctions> f = Make<CommonFunctions>("");
  double d = 0;
  ASSERT_TRUE(f->ParseDateTime("2024-03-05", d));
  EXPECT_DOUBLE_EQ(d, 45356.0);
  EXPECT_EQ(f->FormatDateTime("yyyy年mm月dd日", d), "2024年03月05日");
  ASSERT_TRUE(f->ParseDateTime("2024/03/05 13:04:05", d));
  EXPECT_EQ(f->FormatDateTime("yyyy-mm-dd hh:nn:ss", d), "2024-03-05 13:04:05");
  EXPECT_EQ(f->FormatDateTime("yyyymmddhhnnss", d), "20240305130405");
  ASSERT_TRUE(f->ParseDateTime("20240229 23:59", d));
  EXPECT_EQ(f->FormatDateTime("yyyy-mm-dd hh:nn:ss", d), "2024-02-29 23:59:00");
  EXPECT_EQ(f->FormatDateTime("yyyy-mm-dd", 0), "1899-12-30");
  EXPECT_EQ(f->FormatDateTime("yyyy-mm-dd hh:nn", -1.25), "1899-12-29 06:00");
  ASSERT_TRUE(f->ParseDateTime("1899-12-29 06:00", d));
  EXPECT_DOUBLE_EQ(d, -1.25);
  EXPECT_EQ(f->FormatDateTime("hh:nn:ss", 45356.9999999), "00:00:00") << "rounding reaches midnight";
  EXPECT_EQ(f->FormatDateTime("dd", 45356.9999999), "06");
  EXPECT_EQ(f->FormatDateTime("yyyy", 1e9), "");

  d = 7;
  for (const char* bad : {"2023-02-29", "2024-13-01", "2024-3-5", "2024-03-05 24:00:00", "2024-03-05T10:00",
                          "20240305 1:00", "", "abcd-ef-gh", "2024-03/05", "0000-01-01"}) {
    EXPECT_FALSE(f->ParseDateTime(bad, d)) << bad;
  }
  EXPECT_EQ(d, 7) << "untouched on failure";
  double now = f->Now();
  EXPECT_GT(now, 45000.0);
}

TEST(CommonFunctions, AmountsInChineseCapitals) {
  struct Case {
    double amount;
    const char* text;
  } cases[] = {
      {0, "零元整"},
      {1, "壹元整"},
      {10, "壹拾元整"},
      {100, "壹佰元整"},
      {1010, "壹仟零壹拾元整"},
      {1001, "壹仟零壹元整"},
      {1234.56, "壹仟贰佰叁拾肆元伍角陆分"},
      {10000, "壹万元整"},
      {100000, "壹拾万元整"},
      {11000, "壹万壹仟元整"},
      {100010, "壹拾万零壹拾元整"},
      {10000001, "壹仟万零壹元整"},
      {100000000, "壹亿元整"},
      {100010000, "壹亿零壹万元整"},
      {1000000000000.0, "壹万亿元整"},
      {1234567890123.45, "壹万贰仟叁佰肆拾伍亿陆仟柒佰捌拾玖万零壹佰贰拾叁元肆角伍分"},
      {0.5, "伍角整"},
      {0.05, "伍分"},
      {0.56, "伍角陆分"},
      {3.05, "叁元零伍分"},
      {3.5, "叁元伍角整"},
      {-0.5, "负伍角整"},
      {-1234.5, "负壹仟贰佰叁拾肆元伍角整"},
      {0.004, "零元整"},
      {0.005, "壹分"},
      {-0.001, "零元整"},
      {9999999999999999.0, ""},
  };
  Ref<CommonFunctions> f = Make<CommonFunctions>("");
  for (const auto& c : cases) EXPECT_EQ(f->AmountInCapitals(c.amount), c.text) << c.amount;
  EXPECT_EQ(f->AmountInCapitals(std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(f->AmountInCapitals(std::numeric_limits<double>::quiet_NaN()), "");
}

}  // namespace
}  // namespace velmor::testing
