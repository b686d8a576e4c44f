// Two commands under `velmor residents`: `collection units|persons` (the scheme account's
// collection status, ICxjmxnhzjqkcx, with workbook exports) and `medical-accounts
// sync|list|relations|maintain|delete` (medical-insurance personal account registrations, IYbgrzhdj).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace velmor::cli {

struct CollectionOptions {
  CLI::App* cmd = nullptr;
  CLI::App* units = nullptr;
  CLI::App* persons = nullptr;
  std::string jfnd, sbjbjgdm, jdxzdm, sqczdm, zsxmdm, zspmdm, zszmdm;  // the condition
  std::string dwbh;         // persons: the unit
  std::string mxlx = "1";   // persons: which figure
  std::string exportFile;   // write the workbook here (empty: print only)
  bool exportNew = false;   // write it under a new name in the data directory
};

struct MedicalAccountsOptions {
  CLI::App* cmd = nullptr;
  CLI::App* sync = nullptr;
  CLI::App* list = nullptr;
  CLI::App* relations = nullptr;
  CLI::App* maintain = nullptr;
  CLI::App* remove = nullptr;
  bool incremental = false;
  std::string xm, zjhm, xzlxDm, djnd;  // list filters
  int32_t page = 1, size = 20;
  std::string file;                  // maintain: a JSON array of relationships
  std::vector<int64_t> ids;          // delete
};

void AddCollectionCommand(CLI::App& residents, CollectionOptions& options);
int RunCollectionCommand(const GlobalOptions& global, const CollectionOptions& options);
void AddMedicalAccountsCommand(CLI::App& residents, MedicalAccountsOptions& options);
int RunMedicalAccountsCommand(const GlobalOptions& global, const MedicalAccountsOptions& options);

}  // namespace velmor::cli
