// `velmor special grades|history|declare|verdict|list`: special-group declarations (ITsJkMgr,
// ITsrqsbjfDAO).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct SpecialOptions {
  CLI::App* grades = nullptr;
  CLI::App* history = nullptr;
  CLI::App* declare = nullptr;
  CLI::App* verdict = nullptr;
  CLI::App* list = nullptr;
  std::string zsxm, zspm, zszm, from, to;  // grades
  std::vector<std::string> agencies;      // grades: --agency, repeated
  std::string djxh;                       // history, declare: the person (default: the payer)
  std::string file, lines;                // declare: the content and the lines to record
  std::string serial;                     // verdict
  std::string name, state;                // list
  int32_t page = 1, size = 20;
};

CLI::App* AddSpecialCommand(CLI::App& app, SpecialOptions& options);
int RunSpecialCommand(const GlobalOptions& global, const SpecialOptions& options);

}  // namespace velmor::cli
