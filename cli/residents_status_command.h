// `velmor residents status ...` (the declaration state of residents' insured lines,
// ICXJMSBStatusQueryService) and `velmor residents states ...` (the stored declaration and payment
// states, IRysbztDAO): leaves added under the `residents` command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct ResidentsStatusOptions {
  // status
  CLI::App* query = nullptr;
  CLI::App* self = nullptr;
  CLI::App* list = nullptr;
  CLI::App* count = nullptr;
  CLI::App* exportCmd = nullptr;
  CLI::App* approved = nullptr;
  CLI::App* payment = nullptr;
  CLI::App* yearCheck = nullptr;
  // states
  CLI::App* statesList = nullptr;
  CLI::App* statesCount = nullptr;
  CLI::App* statesClear = nullptr;

  std::string year, state, name, zjhm, group, file, paid;
  std::vector<std::string> persons;  // approved: natural persons' djxh; payment: identity numbers
  bool wait = false, noWait = false;
  int32_t page = 1, size = 20;
};

// Adds `status` and `states` under the `residents` command.
void AddResidentsStatusCommands(CLI::App& residents, ResidentsStatusOptions& options);
// Whether one of those leaves was given (then RunResidentsStatusCommand serves it).
bool IsResidentsStatusCommand(const ResidentsStatusOptions& options);
int RunResidentsStatusCommand(const GlobalOptions& global, const ResidentsStatusOptions& options);

}  // namespace velmor::cli
