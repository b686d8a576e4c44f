// `velmor log [--tail N]`: prints the host's debug log of the data directory (velmor.log), whole
// or its last N lines. The file is read from its end in blocks, so a tail of a large log costs
// only what it prints. No host is started: the log can be read while another command runs.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "cli/commands.h"
#include "cli/paths.h"
#include "host/host.h"
#include "host/host_error.h"

namespace velmor::cli {
namespace {

// The text after the start of the last `lines` lines of the file (a last line without its
// newline counts as a line).
std::string TailOf(std::ifstream& in, std::streamoff size, int lines) {
  constexpr std::streamoff kBlock = 64 * 1024;
  std::string tail;
  std::streamoff pos = size;
  int newlines = 0;
  while (pos > 0) {
    std::streamoff n = pos < kBlock ? pos : kBlock;
    pos -= n;
    std::string block(static_cast<size_t>(n), '\0');
    in.seekg(pos);
    in.read(block.data(), n);
    for (size_t i = block.size(); i-- > 0;) {
      if (block[i] != '\n') continue;
      // The newline that ends the last line does not begin another line.
      if (pos + static_cast<std::streamoff>(i) == size - 1) continue;
      if (++newlines == lines) return block.substr(i + 1) + tail;
    }
    tail.insert(0, block);
  }
  return tail;
}

}  // namespace

CLI::App* AddLogCommand(CLI::App& app, LogOptions& options) {
  CLI::App* cmd = app.add_subcommand("log", "Show the host's debug log of the data directory");
  cmd->add_option("--tail", options.tail, "only the last N lines")->type_name("N")->check(CLI::NonNegativeNumber);
  cmd->footer(
      "The log is <data directory>/velmor.log; every command appends to it (-v echoes it).\n\n"
      "Example:\n  velmor --data /tmp/velmor-data log --tail 20");
  return cmd;
}

int RunLogCommand(const GlobalOptions& global, const LogOptions& options) {
  const std::string dir = ResolveDataDir(global.dataDir);
  if (!std::filesystem::is_directory(dir)) throw host::HostError(host::NotADataDirectory(dir));
  std::string path = dir + "/velmor.log";
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    std::fprintf(stderr, "velmor: 尚无日志（%s）\n", path.c_str());
    return 0;
  }
  std::streamoff size = in.tellg();
  std::string text;
  if (options.tail < 0) {
    text.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(text.data(), size);
  } else if (options.tail > 0) {
    text = TailOf(in, size, options.tail);
  }
  if (!in && !in.eof()) throw std::runtime_error("cannot read " + path);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
