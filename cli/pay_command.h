// `velmor pay agreements|arrears|deduct|voucher|void|status|list|export|notices`: paying the payer's declared
// fees through the plug-in's IJkService (deduction under an agreement, or bank-side voucher), the
// voucher workbook, and the arrears notices as the host's home page receives them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/plugin_session.h"
#include "velmor/jk_service.h"

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

// The account a bank-side voucher is drawn on, from a tripartite agreement (a GetSfxyLb row).
nlohmann::json VoucherAccount(const nlohmann::json& agreement);
// Raises or withdraws the arrears notices and prints each as the home page receives it, each line
// after `indent`; the number of notices the home page received. Raises HostError on failure.
size_t SendArrearsNotices(PluginSession& session, IJkService& jk, IProgressView* progress, const std::string& indent);

}  // namespace velmor::cli
