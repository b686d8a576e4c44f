// The help conventions of both programs, run as a user would: examples on every command,
// `velmor help`, suggestions for mistyped commands, versions and usage exit codes.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/process.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";
const std::string kTaxsim = std::string(VELMOR_BIN_DIR) + "/velmor-taxsim";

ProcessResult Invoke(const std::string& program, std::vector<std::string> args) {
  args.insert(args.begin(), program);
  return RunProcess(args);
}

// The names listed under "Subcommands:" in a help text.
std::vector<std::string> SubcommandsIn(const std::string& help) {
  std::vector<std::string> names;
  size_t at = help.find("Subcommands:\n");
  if (at == std::string::npos) return names;
  std::istringstream in(help.substr(at + 13));
  for (std::string line; std::getline(in, line) && line.rfind("  ", 0) == 0;) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    names.push_back(name);
  }
  return names;
}

// Every command line of the tree under `prefix` ("roster", "roster sync", ...).
void Walk(const std::vector<std::string>& prefix, std::vector<std::vector<std::string>>& out) {
  std::vector<std::string> args = prefix;
  args.push_back("--help");
  ProcessResult r = Invoke(kVelmor, args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& name : SubcommandsIn(r.out)) {
    std::vector<std::string> sub = prefix;
    sub.push_back(name);
    out.push_back(sub);
    Walk(sub, out);
  }
}

TEST(CliHelp, EveryCommandShowsExamplesThatRunItself) {
  std::vector<std::vector<std::string>> commands;
  Walk({}, commands);
  ASSERT_GT(commands.size(), 25u);
  for (const auto& cmd : commands) {
    std::string line = "velmor";
    for (const std::string& w : cmd) line += " " + w;
    std::vector<std::string> args = cmd;
    args.push_back("--help");
    ProcessResult r = Invoke(kVelmor, args);
    ASSERT_EQ(r.exitCode, 0) << line;
    const size_t examples = r.out.find("Example");
    ASSERT_NE(examples, std::string::npos) << line << "\n" << r.out;
    if (cmd.size() == 1) continue;  // a group's examples run its subcommands
    EXPECT_NE(r.out.find("  " + line, examples), std::string::npos)
        << "the examples of \"" << line << "\" do not run it:\n" << r.out.substr(examples);
  }
}

TEST(CliHelp, HelpCommandPrintsTheNamedCommandsHelp) {
  ProcessResult viaHelp = Invoke(kVelmor, {"help", "roster", "sync"});
  ProcessResult viaFlag = Invoke(kVelmor, {"roster", "sync", "--help"});
  ASSERT_EQ(viaHelp.exitCode, 0) << viaHelp.err;
  EXPECT_EQ(viaHelp.out, viaFlag.out);
  EXPECT_EQ(Invoke(kVelmor, {"help"}).out, Invoke(kVelmor, {"--help"}).out);

  ProcessResult bad = Invoke(kVelmor, {"help", "roster", "synk"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "velmor: no command \"synk\" in \"velmor roster\" (did you mean \"sync\"?) (see velmor roster --help)\n");
}

TEST(CliHelp, MistypedCommandsGetTheNearestName) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"rostr"}, "velmor: unknown command \"rostr\" (did you mean \"roster\"?) (see velmor --help)\n"},
           {{"roster", "synk"}, "velmor: unknown command \"synk\" (did you mean \"sync\"?) (see velmor roster --help)\n"},
           {{"declare", "sumbit"},
            "velmor: unknown command \"sumbit\" (did you mean \"submit\"?) (see velmor declare --help)\n"},
           {{"zzzzzz"}, "velmor: unknown command \"zzzzzz\" (see velmor --help)\n"},
       }) {
    ProcessResult r = Invoke(kVelmor, c.args);
    EXPECT_EQ(r.exitCode, 2) << c.err;
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(CliHelp, BothProgramsShowTheirVersionAndExitTwoOnUsageErrors) {
  ProcessResult v = Invoke(kVelmor, {"--version"});
  EXPECT_EQ(v.exitCode, 0);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(v.out, m, std::regex("velmor ([0-9]+\\.[0-9]+\\.[0-9]+)\n"))) << v.out;
  ProcessResult t = Invoke(kTaxsim, {"--version"});
  EXPECT_EQ(t.exitCode, 0);
  EXPECT_EQ(t.out, "velmor-taxsim " + m[1].str() + "\n") << "one project version";

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--port", "x"}, {"--port", "70000"}, {"--no-such-option"}, {"--scenario", "/nonexistent.json"}}) {
    ProcessResult r = Invoke(kTaxsim, args);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    EXPECT_NE(r.err.find("(see velmor-taxsim --help)"), std::string::npos) << r.err;
  }
}

TEST(CliHelp, SimulatorHelpListsDefaultsAndFaultModes) {
  ProcessResult r = Invoke(kTaxsim, {"--help"});
  ASSERT_EQ(r.exitCode, 0);
  for (const char* text : {"Fault modes", "refuse", "drop-list", "http-error", "not-json", "/_taxsim/faults",
                           "(-1: forever)", "Exit status"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  // Defaults are shown beside the options.
  const size_t persons = r.out.find("--persons");
  ASSERT_NE(persons, std::string::npos);
  EXPECT_NE(r.out.substr(persons, r.out.find('\n', persons) - persons).find(" ["), std::string::npos)
      << r.out.substr(persons, 200);
}

// What the bash completion offers after the words typed so far (the last one being completed).
std::string Completions(const std::string& typed) {
  const std::string script = std::string(VELMOR_SOURCE_DIR) + "/cli/completion/velmor.bash";
  ProcessResult r = RunProcess(
      {"/bin/bash", "-c",
       "source '" + script + "'; velmor() { '" + kVelmor + "' \"$@\"; }; COMP_WORDS=(" + typed +
           "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _velmor; echo \"${COMPREPLY[*]}\""});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.out;
}

TEST(BashCompletion, OffersTheCommandsAndOptionsOfTheProgramItself) {
  EXPECT_EQ(Completions("velmor ro"), "roster\n");
  EXPECT_EQ(Completions("velmor --data /tmp ro"), "roster\n") << "option values are no commands";
  const std::string sub = Completions("velmor roster ''");
  for (const char* leaf : {"sync", "list", "count", "check-name"})
    EXPECT_NE(sub.find(leaf), std::string::npos) << sub;
  EXPECT_EQ(Completions("velmor roster sync --fu"), "--full\n");
  EXPECT_EQ(Completions("velmor roster list --da"), "--data\n") << "the root's options follow a command";
}

TEST(ManPages, AreMadeFromTheHelpOfBothPrograms) {
  for (const std::string program : {"velmor", "velmor-taxsim"}) {
    const std::string page = std::string(VELMOR_BIN_DIR) + "/../man/" + program + ".1.gz";
    ProcessResult text = RunProcess({"/bin/sh", "-c", "gzip -dc '" + page + "'"});
    if (text.exitCode != 0) GTEST_SKIP() << "no manual pages in this build (help2man missing): " << text.err;
    ProcessResult help = Invoke(std::string(VELMOR_BIN_DIR) + "/" + program, {"--help"});
    // Every option of the help is on the page (help2man escapes hyphens as "\-").
    std::regex option("--([a-z][a-z-]+)");
    for (std::sregex_iterator it(help.out.begin(), help.out.end(), option), end; it != end; ++it) {
      std::string escaped = "\\-\\-" + std::regex_replace((*it)[1].str(), std::regex("-"), "\\-");
      EXPECT_NE(text.out.find(escaped), std::string::npos) << program << ": " << (*it)[0] << " not on the page";
    }
    EXPECT_NE(text.out.find(".TH " + std::string(program == "velmor" ? "VELMOR" : "VELMOR-TAXSIM")), std::string::npos);
  }
}

}  // namespace
}  // namespace velmor::testing
