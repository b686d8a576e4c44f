// `velmor declare sync|list|show|check|submit|feedback|void|payment-state|export`: the daily declaration through the
// plug-in's declaration manager (IRcsbMgr).
#pragma once

#include <cstdint>
#include <string>

#include "cli/commands.h"

namespace velmor::cli {

struct DeclareOptions {
  CLI::App* sync = nullptr;
  CLI::App* list = nullptr;
  CLI::App* show = nullptr;
  CLI::App* check = nullptr;
  CLI::App* submit = nullptr;
  CLI::App* feedback = nullptr;
  CLI::App* voidCmd = nullptr;
  CLI::App* paymentState = nullptr;
  CLI::App* exportCmd = nullptr;
  std::string jfrlx = "5";
  std::string from, to;  // yyyy-mm
  int32_t state = -1;
  int32_t page = -1, size = 20;
  int32_t id = 0;
  std::string file;
  bool secondForm = false;  // submit / feedback: the second form of submission
  bool dryRun = false;      // submit: check only, send nothing
  bool force = false;       // submit: send even when the checks fail
  int32_t form = 1;         // export: 1 details and persons, 2 persons, 3 persons with check result
};

// The names of a declaration state (sbzt) and of a payment state (jkzt), for tables.
const char* DeclarationStateName(const std::string& sbzt);
const char* PaymentStateName(int jkzt);

CLI::App* AddDeclareCommand(CLI::App& app, DeclareOptions& options);
int RunDeclareCommand(const GlobalOptions& global, const DeclareOptions& options);

}  // namespace velmor::cli
