#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "velmor/guid.h"
#include "velmor/platform.h"

namespace velmor {
namespace {

TEST(Guid, ParsesAndFormatsUpperCaseWithBraces) {
  auto g = Guid::Parse("{ed2e729b-499d-42a2-8a62-10901241aa07}");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->ToString(), "{ED2E729B-499D-42A2-8A62-10901241AA07}");
  auto bare = Guid::Parse("ED2E729B-499D-42A2-8A62-10901241AA07");
  ASSERT_TRUE(bare);
  EXPECT_EQ(*bare, *g);
}

TEST(Guid, RejectsMalformedText) {
  EXPECT_FALSE(Guid::Parse(""));
  EXPECT_FALSE(Guid::Parse("{ED2E729B-499D-42A2-8A62-10901241AA0}"));
  EXPECT_FALSE(Guid::Parse("{ED2E729B_499D-42A2-8A62-10901241AA07}"));
  EXPECT_FALSE(Guid::Parse("{ED2E729B-499D-42A2-8A62-10901241AA0G}"));
  EXPECT_FALSE(Guid::Parse("(ED2E729B-499D-42A2-8A62-10901241AA07)"));
  EXPECT_TRUE(Guid{}.IsNull());
}

TEST(WindowClasses, RegisterLookUpUnregister) {
  int record = 0;
  EXPECT_FALSE(platform::GetWindowClassInfo("TestClassA", nullptr));
  EXPECT_TRUE(platform::RegisterWindowClass({"TestClassA", &record}));
  EXPECT_FALSE(platform::RegisterWindowClass({"testclassa", nullptr})) << "names compare without case";
  platform::WindowClassInfo info;
  ASSERT_TRUE(platform::GetWindowClassInfo("TESTCLASSA", &info));
  EXPECT_EQ(info.windowProc, &record);
  EXPECT_TRUE(platform::UnregisterWindowClass("TestClassA"));
  EXPECT_FALSE(platform::UnregisterWindowClass("TestClassA"));
  EXPECT_FALSE(platform::GetWindowClassInfo("TestClassA", &info));
}

TEST(Windows, SendMessageReachesRegisteredWindowOnly) {
  uint32_t seen = 0;
  auto h = platform::RegisterWindow("home", [&](uint32_t msg, uintptr_t, intptr_t l) {
    seen = msg;
    return l * 2;
  });
  EXPECT_NE(h, 0u);
  EXPECT_EQ(platform::FindWindowByName("home"), h);
  EXPECT_EQ(platform::SendMessage(h, 1024, 0, 21), 42);
  EXPECT_EQ(seen, 1024u);
  platform::UnregisterWindow(h);
  EXPECT_EQ(platform::SendMessage(h, 1025, 0, 21), 0);
  EXPECT_EQ(seen, 1024u);
}

TEST(Windows, ApplicationHandleAndProcessMessagesHook) {
  platform::SetApplicationHandle(77);
  EXPECT_EQ(platform::GetApplicationHandle(), 77u);
  platform::SetApplicationHandle(0);
  platform::ProcessMessages();  // no hook: nothing happens
  int calls = 0;
  platform::SetProcessMessagesHook([&] { ++calls; });
  platform::ProcessMessages();
  platform::SetProcessMessagesHook(nullptr);
  platform::ProcessMessages();
  EXPECT_EQ(calls, 1);
}

TEST(WideStrings, AllocKeepsLengthAndTerminator) {
  std::u16string text = u"服务";
  char16_t* w = platform::velmor_wstr_alloc(text.data(), static_cast<uint32_t>(text.size()));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(platform::velmor_wstr_len(w), 2u);
  EXPECT_EQ(w[2], 0);
  EXPECT_EQ(std::u16string(w), text);
  platform::velmor_wstr_free(w);
  platform::velmor_wstr_free(nullptr);
  EXPECT_EQ(platform::velmor_wstr_len(nullptr), 0u);
}

TEST(WideStrings, Utf8RoundTripAndInvalidBytes) {
  std::string s = "SERVICEDLL=/a/服务.so;x=𝄞";
  EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16(s)), s);
  EXPECT_EQ(platform::Utf8ToUtf16("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(platform::Utf8ToUtf16("\xe6\x9c"), u"\uFFFD");  // truncated sequence
  EXPECT_EQ(platform::Utf8ToUtf16("\xc0\xaf"), u"\uFFFD\uFFFD");  // overlong form
}

TEST(Files, CopyFileRespectsFailIfExistsAndMissingSource) {
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteFile(dir.File("a.txt"), "hello"));
  EXPECT_TRUE(platform::CopyFile(dir.File("a.txt"), dir.File("b.txt"), true));
  EXPECT_EQ(testing::ReadFile(dir.File("b.txt")), "hello");
  ASSERT_TRUE(testing::WriteFile(dir.File("a.txt"), "changed"));
  EXPECT_FALSE(platform::CopyFile(dir.File("a.txt"), dir.File("b.txt"), true));
  EXPECT_EQ(testing::ReadFile(dir.File("b.txt")), "hello");
  EXPECT_TRUE(platform::CopyFile(dir.File("a.txt"), dir.File("b.txt"), false));
  EXPECT_EQ(testing::ReadFile(dir.File("b.txt")), "changed");
  EXPECT_FALSE(platform::CopyFile(dir.File("missing"), dir.File("c.txt"), false));
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.txt")));
}

TEST(DebugOutput, GoesToInstalledSink) {
  std::string got;
  platform::SetDebugOutputSink([&](std::string_view t) { got = t; });
  platform::DebugOutput("[TEPThread] started");
  platform::SetDebugOutputSink(nullptr);
  EXPECT_EQ(got, "[TEPThread] started");
}

TEST(Locale, UserSettingsAreFilled) {
  auto s = platform::GetUserLocaleSettings();
  EXPECT_FALSE(s.shortDateFormat.empty());
  EXPECT_NE(s.decimalSeparator, 0);
}

}  // namespace
}  // namespace velmor
