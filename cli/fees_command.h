// The residents' fee commands: `velmor fees sync|show|person` (fee standards), `velmor confirm
// ...` (amount confirmation and deduction authorisations) and `velmor agreement ...` (two-party
// agreements), each a thin layer over the plug-in's IJfbz, IJfjeqrService and ILlxyService.
#pragma once

#include <cstdint>
#include <string>

#include "cli/commands.h"

namespace velmor::cli {

struct FeesOptions {
  // fees
  CLI::App* sync = nullptr;
  CLI::App* show = nullptr;
  CLI::App* person = nullptr;
  std::string pmlx = "01", agency, zsxm, zspm, zszm, date, csrq, xb, rybh = "-";
  // confirm
  CLI::App* confirmSave = nullptr;
  CLI::App* confirmList = nullptr;
  CLI::App* authorise = nullptr;
  CLI::App* authorisations = nullptr;
  CLI::App* voidAuthorisation = nullptr;
  std::string file, filter;
  int32_t id = 0;
  // agreement
  CLI::App* llxySave = nullptr;
  CLI::App* llxyList = nullptr;
  CLI::App* checkCard = nullptr;
  CLI::App* banks = nullptr;
  std::string czlx = "01", card, certType = "201", certNo, name, phone;
};

CLI::App* AddFeesCommand(CLI::App& app, FeesOptions& options);
CLI::App* AddConfirmCommand(CLI::App& app, FeesOptions& options);
CLI::App* AddAgreementCommand(CLI::App& app, FeesOptions& options);
int RunFeesCommand(const GlobalOptions& global, const FeesOptions& options);
int RunConfirmCommand(const GlobalOptions& global, const FeesOptions& options);
int RunAgreementCommand(const GlobalOptions& global, const FeesOptions& options);

}  // namespace velmor::cli
