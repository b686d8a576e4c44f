// The host's home-page window: what it records of the notices it receives, and what it ignores.
#include <gtest/gtest.h>

#include "host/components/home_page.h"

namespace velmor::testing {
namespace {

using host::components::HomePage;

TEST(HomePage, RecordsTheTwoNoticesAndIgnoresOtherMessages) {
  HomePage page;
  ASSERT_NE(page.Handle(), 0u);
  EXPECT_EQ(platform::FindWindowByName(HomePage::kWindowName), page.Handle());
  std::vector<std::string> sunk;
  page.SetSink([&](const HomePage::Notice& n) { sunk.push_back(n.text); });
  const std::string text = R"({"action": "add"})";
  EXPECT_EQ(platform::SendMessage(page.Handle(), HomePage::kArrearsNotice, 0, reinterpret_cast<intptr_t>(text.c_str())), 1);
  EXPECT_EQ(platform::SendMessage(page.Handle(), HomePage::kOverdueNotice, 0, 0), 0) << "no text";
  EXPECT_EQ(platform::SendMessage(page.Handle(), 0x400, 0, reinterpret_cast<intptr_t>(text.c_str())), 0);
  ASSERT_EQ(page.Notices().size(), 1u);
  EXPECT_EQ(page.Notices()[0].message, HomePage::kArrearsNotice);
  EXPECT_EQ(sunk, std::vector<std::string>{text});
  EXPECT_EQ(page.StoreHandleSql(),
            "INSERT OR REPLACE INTO sb_xtcsb(djxh, \"key\", \"value\") VALUES('global_param', 'homepage_handle', '" +
                std::to_string(page.Handle()) + "')");
}

TEST(HomePage, AGoneWindowReceivesNothing) {
  platform::WindowHandle handle = 0;
  {
    HomePage page;
    handle = page.Handle();
  }
  const char* text = "{}";
  EXPECT_EQ(platform::SendMessage(handle, HomePage::kArrearsNotice, 0, reinterpret_cast<intptr_t>(text)), 0);
}

}  // namespace
}  // namespace velmor::testing
