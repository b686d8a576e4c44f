// `velmor receipts import|list|template|delete` (payment receipts, IJfpjService) and
// `velmor certificate lines|issue|find|check|void` (payment-detail certificates, IShbxfjfmxzm).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct ReceiptsOptions {
  CLI::App* import = nullptr;
  CLI::App* list = nullptr;
  CLI::App* templ = nullptr;
  CLI::App* remove = nullptr;
  std::string file;             // import, template
  std::string name, zjhm;       // list filters
  std::vector<int64_t> ids;     // delete
  int32_t page = 1, size = 20;  // list
};

struct CertificateOptions {
  CLI::App* lines = nullptr;
  CLI::App* issue = nullptr;
  CLI::App* find = nullptr;
  CLI::App* check = nullptr;
  CLI::App* voidCmd = nullptr;
  std::string djxh;                  // the person (default: the payer)
  std::vector<std::string> yzpzxh;   // issue: the lines by levy voucher
  std::string pzhm, nsrsbh, nsrmc;   // find, check, void
};

CLI::App* AddReceiptsCommand(CLI::App& app, ReceiptsOptions& options);
int RunReceiptsCommand(const GlobalOptions& global, const ReceiptsOptions& options);
CLI::App* AddCertificateCommand(CLI::App& app, CertificateOptions& options);
int RunCertificateCommand(const GlobalOptions& global, const CertificateOptions& options);

}  // namespace velmor::cli
