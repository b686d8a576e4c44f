// Runs the built `velmor` binary as a user would.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/host_config.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";

ProcessResult Velmor(std::vector<std::string> args, std::vector<std::string> env = {}) {
  args.insert(args.begin(), kVelmor);
  return RunProcess(args, env);
}

TEST(Cli, ServicesLoadsThePluginBesideTheExecutableAndExitsZero) {
  TempDir dir;
  ProcessResult r = Velmor({"--data", dir.path(), "services"}, {"VELMOR_PLUGIN="});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}  TSysParamImpl\n"), std::string::npos) << r.out;
  std::string log = ReadFile(dir.File("velmor.log"));
  EXPECT_NE(log.find("host started"), std::string::npos);
  EXPECT_NE(log.find("host stopped"), std::string::npos);
}

TEST(Cli, VerboseEchoesTheLogAndOptionsMayFollowTheCommand) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("fresh"));
  ProcessResult r = Velmor({"services", "--data", dir.File("fresh"), "-v"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("[host] host started, data directory " + dir.File("fresh")), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" service classes registered\n"), std::string::npos) << r.err;
}

TEST(Cli, OnlyInitMakesADataDirectory) {
  TempDir dir;
  for (std::vector<std::string> args : {std::vector<std::string>{"services"}, {"roster", "count"}, {"log"}}) {
    args.insert(args.begin(), {"--data", dir.File("typo")});
    ProcessResult r = Velmor(args);
    EXPECT_EQ(r.exitCode, 1) << args.back();
    EXPECT_EQ(r.err, "velmor: not a data directory: " + dir.File("typo") + " (run velmor init --data " +
                         dir.File("typo") + ")\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("typo"))) << args.back();
  }
  EXPECT_EQ(Velmor({"--data", dir.File("typo"), "init"}).exitCode, 0);
  EXPECT_EQ(Velmor({"--data", dir.File("typo"), "services"}).exitCode, 0);
}

TEST(Cli, ALogThatCannotBeWrittenGoesToStderr) {
  TempDir dir;
  ASSERT_EQ(Velmor({"--data", dir.path(), "init"}).exitCode, 0);
  std::filesystem::remove(dir.File("velmor.log"));
  std::filesystem::create_directory(dir.File("velmor.log"));  // unopenable even for root
  ProcessResult r = Velmor({"--data", dir.path(), "roster", "count"});
  EXPECT_EQ(r.exitCode, 1) << "no payer configured";
  EXPECT_NE(r.err.find("cannot open log file " + dir.File("velmor.log")), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("(see "), std::string::npos) << "no log to point at\n" << r.err;
  EXPECT_EQ(Velmor({"--data", dir.path(), "services"}).exitCode, 0);
}

TEST(Cli, InitWritesTheConfigurationAndKeepsWhatIsNotGiven) {
  TempDir dir;
  std::string data = dir.File("data");
  ProcessResult r = Velmor({"init", "--data", data, "--server", "http://127.0.0.1:18080", "--djxh", "10114403000012345678"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "已写入 " + data + "/velmor.conf\n");
  auto c = host::HostConfig::Load(data + "/velmor.conf");
  EXPECT_EQ(c.Get("server", "url"), "http://127.0.0.1:18080");
  EXPECT_EQ(c.Get("portal", "djxh"), "10114403000012345678");

  ASSERT_TRUE(WriteFile(data + "/velmor.conf", ReadFile(data + "/velmor.conf") + "[M8]\nsbztcxExistsJfzt = 1\n"));
  r = Velmor({"--data", data, "init", "--djxh", "20000000000000000001"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  c = host::HostConfig::Load(data + "/velmor.conf");
  EXPECT_EQ(c.Get("server", "url"), "http://127.0.0.1:18080");
  EXPECT_EQ(c.Get("portal", "djxh"), "20000000000000000001");
  EXPECT_EQ(c.Get("M8", "sbztcxExistsJfzt"), "1");

  r = Velmor({"--data", data, "services"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(Cli, FailuresEndWithOneLineAndNonZeroExit) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  ASSERT_TRUE(WriteFile(dir.File("velmor.conf"), "[server]\nurl http://x\n"));
  std::vector<Case> cases = {
      {{"bogus"}, 2, "velmor: unknown command \"bogus\" (see velmor --help)\n"},
      {{}, 2, "velmor: A subcommand is required (see velmor --help)\n"},
      {{"services", "extra"}, 2, "velmor: unexpected argument \"extra\" (see velmor services --help)\n"},
      {{"--data", dir.path(), "--plugin", "/nonexistent/lib.so", "services"}, 1,
       "velmor: plug-in not found: /nonexistent/lib.so\n"},
      {{"--data", dir.path(), "services"}, 1,
       "velmor: " + dir.File("velmor.conf") +
           ":2: expected \"key = value\", \"[section]\" or a comment, got \"url http://x\"\n"},
      {{"--data", dir.path(), "init", "--server", "x"}, 1,
       "velmor: --server: expected an http:// or https:// address, not \"x\"\n"},
      // Text that is not UTF-8 is refused where it enters, before anything is stored.
      {{"--data", dir.path(), "param", "set", "key\xff", "v"}, 2, "velmor: argument 5 is not valid UTF-8 text\n"},
  };
  for (const Case& c : cases) {
    ProcessResult r = Velmor(c.args);
    EXPECT_EQ(r.exitCode, c.code) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(ReadFile(dir.File("velmor.conf")), "[server]\nurl http://x\n") << "a malformed file is left alone";
}

TEST(Cli, PluginFromTheEnvironmentMustExist) {
  TempDir dir;
  ProcessResult r = Velmor({"--data", dir.path(), "services"}, {"VELMOR_PLUGIN=/nonexistent/p.so"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: plug-in not found: /nonexistent/p.so (from VELMOR_PLUGIN)\n");
}

TEST(Cli, LogShowsTheWholeLogOrItsLastLines) {
  TempDir dir;
  std::string data = dir.File("data");
  std::filesystem::create_directory(data);
  ProcessResult r = Velmor({"--data", data, "log"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("尚无日志"), std::string::npos) << r.err;

  ASSERT_EQ(Velmor({"--data", data, "services"}).exitCode, 0);
  r = Velmor({"--data", data, "log"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, ReadFile(data + "/velmor.log"));
  EXPECT_NE(r.out.find("host started"), std::string::npos);

  // Lines longer than one read block, and a last line without its newline.
  std::string big(70000, 'x');
  ASSERT_TRUE(WriteFile(data + "/velmor.log", "one\n" + big + "\nthree\nfour"));
  r = Velmor({"--data", data, "log", "--tail", "2"});
  EXPECT_EQ(r.out, "three\nfour");
  r = Velmor({"--data", data, "log", "--tail", "3"});
  EXPECT_EQ(r.out, big + "\nthree\nfour");
  r = Velmor({"--data", data, "log", "--tail", "10"});
  EXPECT_EQ(r.out, "one\n" + big + "\nthree\nfour");
  ASSERT_TRUE(WriteFile(data + "/velmor.log", "a\nb\nc\n"));
  EXPECT_EQ(Velmor({"--data", data, "log", "--tail", "1"}).out, "c\n");
  EXPECT_EQ(Velmor({"--data", data, "log", "--tail", "0"}).out, "");

  r = Velmor({"--data", data, "log", "--tail", "-3"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("(see velmor log --help)"), std::string::npos) << r.err;
}

TEST(Cli, HelpListsEveryCommandAndEachCommandHasAnExample) {
  ProcessResult r = Velmor({"--help"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* cmd : {"services", "init", "param", "codename", "dict", "declare", "scheme", "roster", "log"}) {
    EXPECT_NE(r.out.find(std::string("\n  ") + cmd + " "), std::string::npos) << cmd << "\n" << r.out;
    ProcessResult sub = Velmor({cmd, "--help"});
    EXPECT_EQ(sub.exitCode, 0) << cmd;
    size_t example = sub.out.find("Example");
    ASSERT_NE(example, std::string::npos) << cmd << "\n" << sub.out;
    EXPECT_NE(sub.out.find("\n  velmor ", example), std::string::npos) << cmd << "\n" << sub.out;
  }
}

}  // namespace
}  // namespace velmor::testing
