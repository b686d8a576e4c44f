// Help conventions of the command line: every command's --help ends with examples of that very
// command, `velmor help [COMMAND [SUBCOMMAND]]` prints a command's help, and a mistyped command
// word gets a "did you mean" suggestion.
// Plain functions over the parser's tree; used on the main thread only.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace velmor::cli {

// Gives every subcommand without examples of its own the lines of its parent's examples that
// start with its own command line ("  velmor roster sync ..."); a subcommand that no such line
// names keeps its parent's examples. Call once every command is added.
void GiveEveryCommandItsExamples(CLI::App& root);

// `velmor help [TOPIC...]`: the words name a command and its subcommands.
CLI::App* AddHelpCommand(CLI::App& root, std::vector<std::string>& topic);
// Prints the help of the named command (the root's without words); 2 with a message naming the
// unknown word otherwise.
int RunHelpCommand(const CLI::App& root, const std::vector<std::string>& topic);

// The command the parse reached: the deepest parsed subcommand, or the root.
const CLI::App* DeepestParsed(const CLI::App& root);
// " (did you mean \"x\"?)" when a subcommand of `level` lies within two edits of `word`, else "".
std::string Suggestion(const CLI::App& level, const std::string& word);

}  // namespace velmor::cli
