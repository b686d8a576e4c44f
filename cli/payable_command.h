// `velmor payable sync|list|stats|export|declare|feedback`: the payable information of residents'
// payers (IYjxxService) and its electronic declaration (IDzsbMgr).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct PayableOptions {
  CLI::App* sync = nullptr;
  CLI::App* list = nullptr;
  CLI::App* stats = nullptr;
  CLI::App* exportCmd = nullptr;
  CLI::App* declare = nullptr;
  CLI::App* feedback = nullptr;
  std::string jfnd = "2026";         // sync
  bool batch = false;                // sync: a one-request batch
  bool zjyxrq = false;               // sync, export: keep / show the validity date
  std::string name, zjhm, zjtzlsh;   // list, export, declare filters
  int32_t page = 1, size = 20;       // list
  std::string file;                  // export
  std::vector<std::string> serials;  // declare: the notice serials (zjtzlsh) to declare
  std::string bz;                    // declare: the remark
  std::string yblsh;                 // feedback
};

CLI::App* AddPayableCommand(CLI::App& app, PayableOptions& options);
int RunPayableCommand(const GlobalOptions& global, const PayableOptions& options);

}  // namespace velmor::cli
