// `velmor group sync|lines|add|import|template|declare|verdict|records|void|paid`: the
// collective and government payers (IJtbzhIntf / IZfdjhIntf) through the plug-in.
#pragma once

#include <cstdint>
#include <string>

#include "cli/commands.h"

namespace velmor::cli {

struct GroupOptions {
  CLI::App* sync = nullptr;
  CLI::App* lines = nullptr;
  CLI::App* add = nullptr;
  CLI::App* import = nullptr;
  CLI::App* templ = nullptr;
  CLI::App* declare = nullptr;
  CLI::App* verdict = nullptr;
  CLI::App* records = nullptr;
  CLI::App* voidCmd = nullptr;
  CLI::App* paid = nullptr;
  bool government = false;  // --government: the government account (type 9), else the collective (8)
  std::string djxh;         // --djxh: the payer; default the configured one
  std::string file;
  std::string office, agency, year;
  std::string yzpzxh;
  bool syncFirst = false;   // records --sync: download the server's list first
  std::string from, to;     // records --from/--to: declaration days, yyyy-mm-dd
  int32_t id = 0;
  int32_t page = -1, size = 20;
};

CLI::App* AddGroupCommand(CLI::App& app, GroupOptions& options);
int RunGroupCommand(const GlobalOptions& global, const GroupOptions& options);

}  // namespace velmor::cli
