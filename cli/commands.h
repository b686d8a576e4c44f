// The subcommands of the `velmor` command line. Each Add* function declares its subcommand on the
// app; each Run* function does the work after parsing and raises (HostError or another
// std::exception) with a one-line message on failure.
#pragma once

#include <cstdint>
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

// `param list|get|set`: which one was given, and its arguments.
struct ParamOptions {
  CLI::App* list = nullptr;
  CLI::App* get = nullptr;
  CLI::App* set = nullptr;
  std::string djxh;  // --djxh; empty: global_param
  std::string key, value;
};

// `codename list|add`.
struct CodeNameOptions {
  CLI::App* list = nullptr;
  CLI::App* add = nullptr;
  int32_t lb = 0;
  std::string dm, mc;
};

CLI::App* AddServicesCommand(CLI::App& app);
int RunServicesCommand(const GlobalOptions& global);

CLI::App* AddInitCommand(CLI::App& app, InitOptions& options);
int RunInitCommand(const GlobalOptions& global, const InitOptions& options);

CLI::App* AddParamCommand(CLI::App& app, ParamOptions& options);
int RunParamCommand(const GlobalOptions& global, const ParamOptions& options);

CLI::App* AddCodeNameCommand(CLI::App& app, CodeNameOptions& options);
int RunCodeNameCommand(const GlobalOptions& global, const CodeNameOptions& options);

}  // namespace velmor::cli
