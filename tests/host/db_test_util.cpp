#include "db_test_util.h"

#include <gtest/gtest.h>

namespace velmor::testing {

Ref<IDBMechanism> TempDatabase::Connect(const host::db::DatabaseOptions& options) const {
  std::string error;
  Ref<IDBMechanism> db = host::db::OpenDatabase(path_, "VELMORMainCon", &error, options);
  EXPECT_TRUE(db) << error;
  return db;
}

std::vector<std::string> Column(IDBMechanism& db, const std::string& sql) {
  Ref<IDBDataSet> ds;
  if (!db.OpenQuery(sql, ds)) return {"<error: " + db.GetErrorText() + ">"};
  std::vector<std::string> out;
  Ref<IDBFields> fields = ds->Fields();
  Ref<IDBField> first = fields->FieldByIndex(0);
  for (; !ds->Eof(); ds->Next()) out.push_back(first->AsString());
  return out;
}

std::string Scalar(IDBMechanism& db, const std::string& sql) {
  std::vector<std::string> values = Column(db, sql);
  return values.empty() ? "<none>" : values.front();
}

}  // namespace velmor::testing
