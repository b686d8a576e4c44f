// `velmor pay agreements|arrears|deduct|voucher|void|status|list|export|notices`: paying the payer's declared
// fees through the plug-in's IJkService (deduction under an agreement, or bank-side voucher), the
// voucher workbook, and the arrears notices as the host's home page receives them.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct PayOptions {
  CLI::App* agreements = nullptr;
  CLI::App* arrears = nullptr;
  CLI::App* deduct = nullptr;
  CLI::App* voucher = nullptr;
  CLI::App* voidVoucher = nullptr;
  CLI::App* status = nullptr;
  CLI::App* list = nullptr;
  CLI::App* exportXls = nullptr;
  CLI::App* notices = nullptr;
  std::vector<std::string> yzpzxh;  // the levy documents to pay; none: every arrears line
  std::string dzsphm, swjg;
  std::vector<std::string> vouchers;  // export: the vouchers to write; none: every valid one
};

CLI::App* AddPayCommand(CLI::App& app, PayOptions& options);
int RunPayCommand(const GlobalOptions& global, const PayOptions& options);

}  // namespace velmor::cli
