// The subcommands of the `velmor` command line. Each Add* function declares its subcommand on the
// app; each Run* function does the work after parsing and raises (HostError or another
// std::exception) with a one-line message on failure.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace velmor::cli {

// Options that every subcommand accepts (before or after the subcommand's name).
struct GlobalOptions {
  std::string dataDir;     // --data; empty: the default data directory
  std::string pluginPath;  // --plugin; empty: found beside the executable
  bool verbose = false;    // -v: echo the debug log to stderr
};

struct InitOptions {
  std::string server;  // --server
  std::string djxh;    // --djxh
};

CLI::App* AddServicesCommand(CLI::App& app);
int RunServicesCommand(const GlobalOptions& global);

CLI::App* AddInitCommand(CLI::App& app, InitOptions& options);
int RunInitCommand(const GlobalOptions& global, const InitOptions& options);

}  // namespace velmor::cli
