// Helpers of the host database tests: a temporary database file and short ways to read it.
#pragma once

#include <string>
#include <vector>

#include "host/db/database.h"
#include "host/db/fault_injection.h"
#include "support/temp_dir.h"
#include "velmor/db.h"

namespace velmor::testing {

class TempDatabase {
 public:
  TempDatabase() : path_(dir_.File("velmor.db")) {}
  ~TempDatabase() { host::db::FaultInjection::Clear(); }
  const std::string& path() const { return path_; }
  const TempDir& dir() const { return dir_; }
  // A new connection; fails the test (and returns null) when it cannot be opened.
  Ref<IDBMechanism> Connect(const host::db::DatabaseOptions& options = {}) const;

 private:
  TempDir dir_;
  std::string path_;
};

// The first column of every row of a query, as text; {"<error: ...>"} when it fails.
std::vector<std::string> Column(IDBMechanism& db, const std::string& sql);
// The first column of the first row; "<none>" without rows.
std::string Scalar(IDBMechanism& db, const std::string& sql);

}  // namespace velmor::testing
