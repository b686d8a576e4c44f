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
  bool quiet = false;      // -q: no progress display
  int32_t logLevel = -1;   // --log-level: the log's detail for this run; -1: [log] level
  std::string commandLine; // the words the program was started with, for the log
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

// `dict update|show|rules`.
struct DictOptions {
  CLI::App* update = nullptr;
  CLI::App* show = nullptr;
  CLI::App* rules = nullptr;
  bool force = false;
  std::string djxh;  // --djxh; empty: the configured payer
  std::string dictName, code;
};

// `scheme sync` and `roster sync|registrations|list|count|refresh-states|check-name|import|
// import-phones|export|template|details|unpaid`.
struct RosterOptions {
  CLI::App* schemeSync = nullptr;
  CLI::App* sync = nullptr;
  CLI::App* registrations = nullptr;
  CLI::App* list = nullptr;
  CLI::App* count = nullptr;
  CLI::App* refresh = nullptr;
  CLI::App* checkName = nullptr;
  CLI::App* import = nullptr;
  CLI::App* importPhones = nullptr;
  CLI::App* exportCmd = nullptr;
  CLI::App* templateCmd = nullptr;
  CLI::App* details = nullptr;
  CLI::App* unpaid = nullptr;
  std::string file, form, person, year, exportFile;
  bool phones = false;
  std::string djxh;  // --djxh; empty: the configured payer
  bool full = false, force = false;
  std::string name, state;
  int32_t page = 1, size = 20;
};

// `log [--tail N]`.
struct LogOptions {
  int32_t tail = -1;  // -1: the whole log
};

// `demo`: an employer's and a residents' payer's day against the simulated server.
struct DemoOptions {
  int32_t persons = 2000;   // --persons: size of the generated scenario
  uint64_t seed = 1;        // --seed
  std::string server;       // --server: a running simulator instead of a child one
  std::string djxh;         // --djxh; empty: the server's first payer
  std::string taxsim;       // --taxsim: the simulator program; empty: beside velmor
  bool reuse = false;       // --reuse: work in a --data directory that is not empty
  std::string only;         // --only: "employer" or "residents"; empty: both days
};

CLI::App* AddServicesCommand(CLI::App& app);
int RunServicesCommand(const GlobalOptions& global);

CLI::App* AddInitCommand(CLI::App& app, InitOptions& options);
int RunInitCommand(const GlobalOptions& global, const InitOptions& options);

CLI::App* AddParamCommand(CLI::App& app, ParamOptions& options);
int RunParamCommand(const GlobalOptions& global, const ParamOptions& options);

CLI::App* AddCodeNameCommand(CLI::App& app, CodeNameOptions& options);
int RunCodeNameCommand(const GlobalOptions& global, const CodeNameOptions& options);

CLI::App* AddDictCommand(CLI::App& app, DictOptions& options);
int RunDictCommand(const GlobalOptions& global, const DictOptions& options);
CLI::App* AddSchemeCommand(CLI::App& app, RosterOptions& options);
int RunSchemeCommand(const GlobalOptions& global, const RosterOptions& options);
CLI::App* AddRosterCommand(CLI::App& app, RosterOptions& options);
int RunRosterCommand(const GlobalOptions& global, const RosterOptions& options);
// The workbook, detail and unpaid leaves of `roster` (cli/roster_workbooks.cpp).
void AddRosterWorkbookCommands(CLI::App& roster, RosterOptions& options);
bool IsRosterWorkbookCommand(const RosterOptions& options);
int RunRosterWorkbookCommand(const GlobalOptions& global, const RosterOptions& options);

CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& options);
int RunDemoCommand(const GlobalOptions& global, const DemoOptions& options);

CLI::App* AddLogCommand(CLI::App& app, LogOptions& options);
int RunLogCommand(const GlobalOptions& global, const LogOptions& options);

}  // namespace velmor::cli
