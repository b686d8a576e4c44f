// `velmor online order|state|list|details`: individual online payment at the bank platform and
// the details of a tax-server order (IGrsbfjn); `velmor regional order|state|list`: regional
// payment orders (IHnGrsbfjn).
#pragma once

#include <cstdint>
#include <string>

#include "cli/commands.h"

namespace velmor::cli {

struct OnlineOptions {
  CLI::App* order = nullptr;
  CLI::App* state = nullptr;
  CLI::App* list = nullptr;
  CLI::App* details = nullptr;
  std::string file;           // order: the order (JSON object)
  std::string first, second;  // state: spddh zfddh; details: orderId queryId
  std::string name, ddzt;     // list filters
  int32_t page = 1, size = 20;
};

struct RegionalOptions {
  CLI::App* order = nullptr;
  CLI::App* state = nullptr;
  CLI::App* list = nullptr;
  std::string file, ddh, ddzt, from, to;
  bool server = false;  // list: fetch the server's page first
  int32_t page = 1, size = 20;
};

CLI::App* AddOnlineCommand(CLI::App& app, OnlineOptions& options);
int RunOnlineCommand(const GlobalOptions& global, const OnlineOptions& options);
CLI::App* AddRegionalCommand(CLI::App& app, RegionalOptions& options);
int RunRegionalCommand(const GlobalOptions& global, const RegionalOptions& options);

}  // namespace velmor::cli
