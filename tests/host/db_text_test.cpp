// Text the database cannot take as it is: statement text with a NUL (the engine would end the
// statement there) or bytes that are not UTF-8 is refused whole, values written through a dataset
// likewise; and a damaged database file is named in the engine's message.
#include <gtest/gtest.h>

#include <fstream>

#include "db_test_util.h"
#include "host/db/connection.h"

namespace velmor::testing {
namespace {

using namespace std::string_literals;

class HostDbText : public ::testing::Test {
 protected:
  TempDatabase file_;
  Ref<IDBMechanism> db_ = file_.Connect();
};

TEST_F(HostDbText, StatementTextWithANulOrBytesThatAreNotUtf8IsRefusedWhole) {
  // Before the refusal the NUL would have cut the statement after the first value.
  EXPECT_FALSE(db_->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', 'a\0b', 'v')"s));
  EXPECT_EQ(db_->GetErrorText(), "SQL text holds a NUL character");
  EXPECT_FALSE(db_->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', 'bad\xff', 'v')"));
  EXPECT_EQ(db_->GetErrorText(), "SQL text is not valid UTF-8");
  EXPECT_FALSE(db_->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', '\xe4\xb8', 'v')"))
      << "a truncated sequence";
  EXPECT_FALSE(db_->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', '\xc0\xaf', 'v')")) << "overlong";
  Ref<IDBDataSet> ds;
  EXPECT_FALSE(db_->OpenQuery("select * from sb_xtcsb where key = 'bad\xff'", ds));
  EXPECT_EQ(db_->GetErrorText(), "SQL text is not valid UTF-8");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb"), "0");
  // Well-formed text of every length passes.
  ASSERT_TRUE(db_->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', '张三\xf0\x9f\x98\x80', 'é')"))
      << db_->GetErrorText();
  EXPECT_EQ(Scalar(*db_, "select key from sb_xtcsb"), "张三\xf0\x9f\x98\x80");
}

TEST_F(HostDbText, DatasetValuesThatAreNotUtf8AreRefusedByColumn) {
  Ref<IDBDataSet> ds;
  ASSERT_TRUE(db_->OpenQuery("select * from sb_xtcsb where djxh = '1'", ds)) << db_->GetErrorText();
  ASSERT_TRUE(ds->Append());
  ASSERT_TRUE(ds->Fields()->FieldByName("djxh")->SetAsString("1"));
  ASSERT_TRUE(ds->Fields()->FieldByName("key")->SetAsString("k\xfe"));
  EXPECT_FALSE(ds->Post());
  EXPECT_EQ(ds->GetErrorText(), "SQL text is not valid UTF-8: key");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb"), "0");
}

TEST_F(HostDbText, ADamagedDatabaseFileIsNamed) {
  ASSERT_TRUE(db_->ExecSQL("create table t(x); insert into t values (1)"));
  db_ = nullptr;
  {
    std::fstream f(file_.path(), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(0);
    f << std::string(100, 'x');  // the header is no SQLite header any more
  }
  std::string error;
  Ref<IDBMechanism> db = host::db::OpenDatabase(file_.path(), "damaged", &error);
  std::string text;
  Ref<IDBDataSet> ds;
  if (db && !db->OpenQuery("select x from t", ds)) text = db->GetErrorText();
  if (!db) text = error;
  EXPECT_NE(text.find("file is not a database"), std::string::npos) << text;
  EXPECT_NE(text.find(file_.path()), std::string::npos) << text;
}

}  // namespace
}  // namespace velmor::testing
