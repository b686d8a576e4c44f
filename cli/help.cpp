#include "cli/help.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace velmor::cli {

namespace {

// The command line that names `app` ("velmor roster sync").
std::string CommandLineOf(const CLI::App& app) {
  std::string line = app.get_name();
  for (const CLI::App* p = app.get_parent(); p; p = p->get_parent()) line = p->get_name() + " " + line;
  return line;
}

// The example lines of a footer that run `command` (or one of its subcommands).
std::vector<std::string> ExamplesOf(const std::string& footer, const std::string& command) {
  std::vector<std::string> out;
  std::istringstream in(footer);
  for (std::string line; std::getline(in, line);) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    const std::string text = line.substr(start);
    if (text.compare(0, command.size(), command) == 0 &&
        (text.size() == command.size() || text[command.size()] == ' '))
      out.push_back(line);
  }
  return out;
}

void GiveExamples(CLI::App& parent) {
  for (CLI::App* sub : parent.get_subcommands([](CLI::App*) { return true; })) {
    // A footer equal to the parent's (or to the root's, copied when the command was added) is
    // not the command's own.
    const std::string inherited = sub->get_footer();
    const bool own = !inherited.empty() && inherited != parent.get_footer() &&
                     (!parent.get_parent() || inherited != parent.get_parent()->get_footer());
    if (!own) {
      std::vector<std::string> lines = ExamplesOf(parent.get_footer(), CommandLineOf(*sub));
      if (lines.empty()) {
        sub->footer(parent.get_footer());
      } else {
        std::string text = lines.size() == 1 ? "Example:\n" : "Examples:\n";
        for (const std::string& l : lines) text += l + "\n";
        text.pop_back();
        sub->footer(text);
      }
    }
    GiveExamples(*sub);
  }
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

void GiveEveryCommandItsExamples(CLI::App& root) { GiveExamples(root); }

CLI::App* AddHelpCommand(CLI::App& root, std::vector<std::string>& topic) {
  CLI::App* cmd = root.add_subcommand("help", "Print the help of a command (velmor help roster sync)");
  cmd->add_option("command", topic, "the command and its subcommands")->type_name("WORD...");
  cmd->footer("Examples:\n  velmor help\n  velmor help roster sync");
  return cmd;
}

int RunHelpCommand(const CLI::App& root, const std::vector<std::string>& topic) {
  const CLI::App* at = &root;
  for (const std::string& word : topic) {
    const CLI::App* next = nullptr;
    for (const CLI::App* sub : at->get_subcommands([](const CLI::App*) { return true; }))
      if (sub->get_name() == word) next = sub;
    if (!next) {
      std::fprintf(stderr, "velmor: no command \"%s\" in \"%s\"%s (see %s --help)\n", word.c_str(),
                   CommandLineOf(*at).c_str(), Suggestion(*at, word).c_str(), CommandLineOf(*at).c_str());
      return 2;
    }
    at = next;
  }
  // The formatter itself: App::help of the root would print the help of the parsed `help`
  // command. The usage line names the whole command, as `--help` does.
  std::fputs(at->get_formatter()->make_help(at, CommandLineOf(*at), CLI::AppFormatMode::Normal).c_str(), stdout);
  return 0;
}

const CLI::App* DeepestParsed(const CLI::App& root) {
  const CLI::App* at = &root;
  for (;;) {
    std::vector<const CLI::App*> parsed = at->get_subcommands([](const CLI::App* a) { return a->parsed(); });
    if (parsed.empty()) return at;
    at = parsed.front();
  }
}

std::string Suggestion(const CLI::App& level, const std::string& word) {
  std::string best;
  size_t bestDistance = 3;
  for (const CLI::App* sub : level.get_subcommands([](const CLI::App*) { return true; })) {
    const size_t d = EditDistance(word, sub->get_name());
    if (d < bestDistance) {
      bestDistance = d;
      best = sub->get_name();
    }
  }
  return best.empty() ? std::string() : " (did you mean \"" + best + "\"?)";
}

}  // namespace velmor::cli
