// StoreEnv: a started reference host on a temporary data directory with the plug-in's service
// units (linked into the test) started in it, so stores run on the host's real database.
#pragma once

#include <string>

#include "framework/host_access.h"
#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "velmor/db.h"
#include "velmor/object.h"

namespace velmor::testing {

class StoreEnv : public StartedHost {
 public:
  StoreEnv();
  ~StoreEnv();

  // A new connection to the host database.
  Ref<IDBMechanism> Db();
  // A new service object of the class registered under T's GUID string.
  template <InterfaceType T>
  Ref<T> Create() {
    Ref<IInterface> out;
    if (!factory().CreateService(T::kIid.ToString(), T::kIid, out)) return nullptr;
    return Query<T>(out);
  }
  // The debug log written since the host started.
  std::string Log() const { return LogText(); }
};

// A connection seen through IDBMechanism alone: a host without the extension interfaces
// (IDBBoundExec, IDBRowReader), whose callers fall back to the published slots.
class PlainConnection final : public Object<IDBMechanism> {
 public:
  explicit PlainConnection(Ref<IDBMechanism> db) : db_(std::move(db)) {}
  std::string GetErrorText() override { return db_->GetErrorText(); }
  std::string GetConnectionName() override { return db_->GetConnectionName(); }
  Ref<IDBCommand> GetCommand(int32_t kind) override { return db_->GetCommand(kind); }
  bool ExecSQL(const std::string& sql) override { return db_->ExecSQL(sql); }
  bool OpenQuery(const std::string& sql, Ref<IDBDataSet>& out) override { return db_->OpenQuery(sql, out); }
  bool BeginTrans() override { return db_->BeginTrans(); }
  bool CommitTrans() override { return db_->CommitTrans(); }
  bool RollbackTrans() override { return db_->RollbackTrans(); }
  bool InTransaction() override { return db_->InTransaction(); }

 private:
  Ref<IDBMechanism> db_;
};

// First column of each row, as text.
std::vector<std::string> Column(IDBMechanism& db, const std::string& sql);
std::string Scalar(IDBMechanism& db, const std::string& sql);

}  // namespace velmor::testing
