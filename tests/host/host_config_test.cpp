#include <gtest/gtest.h>

#include <filesystem>

#include "host/host_config.h"
#include "host/host_error.h"
#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

using host::HostConfig;

std::string ParseError(const std::string& text) {
  try {
    HostConfig::Parse(text, "velmor.conf");
  } catch (const host::HostError& e) {
    return e.what();
  }
  return "parsed";
}

TEST(HostConfig, ReadsSectionsKeysAndValues) {
  auto c = HostConfig::Parse(
      "\xEF\xBB\xBF# comment\r\n"
      "[server]\r\n"
      "  url =  http://127.0.0.1:8080/api#frag  \r\n"
      "\n"
      "; another comment\n"
      "[ Differ ]\n"
      "cbxzDjNf_YANGL=2019\n"
      "empty =\n"
      "eq = a=b",
      "velmor.conf");
  EXPECT_EQ(c.Get("server", "url"), "http://127.0.0.1:8080/api#frag") << "no inline comments, ends trimmed";
  EXPECT_EQ(c.Get("SERVER", "URL"), "http://127.0.0.1:8080/api#frag") << "names compare without case";
  EXPECT_EQ(c.Get("differ", "cbxzdjnf_yangl"), "2019");
  EXPECT_EQ(c.Find("differ", "empty"), std::optional<std::string>(""));
  EXPECT_EQ(c.Get("differ", "eq"), "a=b");
  EXPECT_EQ(c.Find("differ", "missing"), std::nullopt);
  EXPECT_EQ(c.Get("portal", "djxh", "none"), "none");
  EXPECT_TRUE(c.HasSection("differ"));
  auto entries = c.Section("DIFFER");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0], (std::pair<std::string, std::string>("cbxzDjNf_YANGL", "2019")));
}

TEST(HostConfig, MalformedTextNamesFileAndLine) {
  EXPECT_EQ(ParseError("[server]\nurl http://x\n"),
            "velmor.conf:2: expected \"key = value\", \"[section]\" or a comment, got \"url http://x\"");
  EXPECT_EQ(ParseError("url = x\n"), "velmor.conf:1: \"key = value\" before any [section]");
  EXPECT_EQ(ParseError("# c\n[server\n"), "velmor.conf:2: unterminated section header \"[server\"");
  EXPECT_EQ(ParseError("[ ]\n"), "velmor.conf:1: empty section name");
  EXPECT_EQ(ParseError("[a]b]\n"), "velmor.conf:1: bad section name \"a]b\"");
  EXPECT_EQ(ParseError("[log]\n = 3\n"), "velmor.conf:2: empty key");
  EXPECT_EQ(ParseError("[log]\nlevel = 1\nLEVEL = 2\n"), "velmor.conf:3: duplicate key \"LEVEL\" in [log]");
  EXPECT_EQ(ParseError("[log]\n[server]\n[Log]\n"), "velmor.conf:3: duplicate section [Log]");
}

TEST(HostConfig, SetKeepsCommentsAndOrderOfAHandEditedFile) {
  const std::string text =
      "# my notes\n"
      "[server]\n"
      "url=http://old\n"
      "# keep me\n"
      "\n"
      "[differ]\n"
      "a = 1\n";
  auto c = HostConfig::Parse(text, "velmor.conf");
  EXPECT_EQ(c.ToText(), text) << "an unchanged file is written back byte for byte";
  c.Set("server", "url", "http://new");
  c.Set("Differ", "b", "2");
  c.Set("portal", "djxh", "10114403000012345678");
  EXPECT_EQ(c.ToText(),
            "# my notes\n"
            "[server]\n"
            "url = http://new\n"
            "# keep me\n"
            "\n"
            "[differ]\n"
            "a = 1\n"
            "b = 2\n"
            "\n"
            "[portal]\n"
            "djxh = 10114403000012345678\n");
  auto again = HostConfig::Parse(c.ToText(), "velmor.conf");
  EXPECT_EQ(again.Get("portal", "djxh"), "10114403000012345678");
  EXPECT_EQ(again.Get("differ", "b"), "2");
}

TEST(HostConfig, SetRefusesWhatWouldNotReadBack) {
  HostConfig c;
  EXPECT_THROW(c.Set("server", "url", "http://x\n[log]"), host::HostError);
  EXPECT_THROW(c.Set("server", "url", " padded"), host::HostError);
  EXPECT_THROW(c.Set("server", "a=b", "x"), host::HostError);
  EXPECT_THROW(c.Set("server", "#url", "x"), host::HostError);
  EXPECT_THROW(c.Set("", "url", "x"), host::HostError);
  EXPECT_THROW(c.Set("se]rver", "url", "x"), host::HostError);
  try {
    c.Set("server", "url", "a\nb");
  } catch (const host::HostError& e) {
    EXPECT_STREQ(e.what(), "bad value for [server] url: line breaks and spaces at the ends cannot be stored");
  }
  EXPECT_EQ(c.ToText(), "") << "nothing was added";
}

TEST(HostConfig, SaveAndLoadRoundTrip) {
  TempDir dir;
  std::string path = dir.File("velmor.conf");
  EXPECT_EQ(HostConfig::Load(path).ToText(), "") << "a missing file is an empty configuration";
  auto c = HostConfig::Template();
  c.Set("server", "url", "https://tax.example:8443");
  c.Set("portal", "djxh", "10114403000012345678");
  c.Set("differ", "cbxzDjNf_YANGL", "2019");
  c.Set("log", "level", "2");
  c.Save(path);
  auto back = HostConfig::Load(path);
  EXPECT_EQ(back.ToText(), c.ToText());
  EXPECT_EQ(back.Get("server", "url"), "https://tax.example:8443");
  EXPECT_EQ(back.Get("portal", "djxh"), "10114403000012345678");
  EXPECT_EQ(back.Get("differ", "cbxzDjNf_YANGL"), "2019");
  EXPECT_EQ(back.Get("log", "level"), "2");
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST(HostConfig, LoadAndSaveFailuresAreReported) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("velmor.conf"), "[server]\nurl = x\nbroken\n"));
  try {
    HostConfig::Load(dir.File("velmor.conf"));
    FAIL() << "no exception";
  } catch (const host::HostError& e) {
    EXPECT_EQ(std::string(e.what()),
              dir.File("velmor.conf") + ":3: expected \"key = value\", \"[section]\" or a comment, got \"broken\"");
  }
  std::string target = dir.File("no-such-dir/velmor.conf");
  try {
    HostConfig::Template().Save(target);
    FAIL() << "no exception";
  } catch (const host::HostError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write " + target + ": No such file or directory");
  }
  std::filesystem::create_directory(dir.File("a-directory"));
  try {
    HostConfig::Load(dir.File("a-directory"));
    FAIL() << "no exception";
  } catch (const host::HostError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot read " + dir.File("a-directory") + ": not a file");
  }
}

}  // namespace
}  // namespace velmor::testing
