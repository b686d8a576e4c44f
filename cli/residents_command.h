// The residents' commands: `velmor residents sync|pending|add|submit|verdict|list` (payment
// registration, ICxjmjfdjxxgl), `velmor basic-info submit|numbers|list` (basic-information
// collection, ICxjmjcxxcj) and `velmor street-change submit|cancel|sync|list` (street and
// community changes, IJdczbgService / IJdczbgDao).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct ResidentsOptions {
  CLI::App* sync = nullptr;
  CLI::App* pending = nullptr;
  CLI::App* add = nullptr;
  CLI::App* submit = nullptr;
  CLI::App* verdict = nullptr;
  CLI::App* list = nullptr;
  std::string file;   // add: a JSON person with its "lines"
  int64_t id = 0;     // verdict: the submission; list: the submission whose persons to show
  int32_t page = 1, size = 20;
};

struct BasicInfoOptions {
  CLI::App* submit = nullptr;
  CLI::App* numbers = nullptr;
  CLI::App* list = nullptr;
  std::string file;                 // submit: a JSON person with its "lines"
  std::vector<std::string> rydjxh;  // numbers
  int32_t page = 1, size = 20;
};

struct StreetChangeOptions {
  CLI::App* submit = nullptr;
  CLI::App* cancel = nullptr;
  CLI::App* sync = nullptr;
  CLI::App* list = nullptr;
  std::string file;               // submit: a JSON array of changes
  std::vector<std::string> bgid;  // cancel
  std::string from, to;           // sync, list: yyyy-mm-dd
  int32_t page = 1, size = 20;
};

CLI::App* AddResidentsCommand(CLI::App& app, ResidentsOptions& options);
int RunResidentsCommand(const GlobalOptions& global, const ResidentsOptions& options);
CLI::App* AddBasicInfoCommand(CLI::App& app, BasicInfoOptions& options);
int RunBasicInfoCommand(const GlobalOptions& global, const BasicInfoOptions& options);
CLI::App* AddStreetChangeCommand(CLI::App& app, StreetChangeOptions& options);
int RunStreetChangeCommand(const GlobalOptions& global, const StreetChangeOptions& options);

// A JSON file's text parsed (HostError naming the file when it cannot be read or parsed).
std::string ReadTextFile(const std::string& path);

}  // namespace velmor::cli
