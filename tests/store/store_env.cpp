#include "store_env.h"

#include <gtest/gtest.h>

#include "framework/module.h"
#include "velmor/platform_manager.h"

namespace velmor::testing {

StoreEnv::StoreEnv() {
  TEST_ResetRegistryCaches();
  RunServiceInitProcs();
}

StoreEnv::~StoreEnv() {
  RunServiceFinalProcs();
  TEST_ResetRegistryCaches();
  host::db::FaultInjection::Clear();
}

Ref<IDBMechanism> StoreEnv::Db() {
  Ref<IDBMechanism> db = GetPlatformManager()->GetDBMechanism(kMainConnection);
  EXPECT_TRUE(db);
  return db;
}

std::vector<std::string> Column(IDBMechanism& db, const std::string& sql) {
  Ref<IDBDataSet> ds;
  if (!db.OpenQuery(sql, ds)) return {"<error: " + db.GetErrorText() + ">"};
  std::vector<std::string> out;
  for (; !ds->Eof(); ds->Next()) out.push_back(ds->Fields()->FieldByIndex(0)->AsString());
  return out;
}

std::string Scalar(IDBMechanism& db, const std::string& sql) {
  auto values = Column(db, sql);
  return values.empty() ? "<none>" : values.front();
}

}  // namespace velmor::testing
