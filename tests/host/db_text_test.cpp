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

// Every length up to three words and every position: the check looks at eight bytes at a time
// and then at the rest one by one, so a NUL or a stray byte must be found in either part.
TEST(HostDbSqlText, ANulOrAStrayByteIsFoundAtEveryPositionAndLength) {
  for (size_t size = 0; size <= 24; ++size) {
    const std::string plain(size, 'a');
    std::string error;
    EXPECT_TRUE(host::db::AcceptableSqlText(plain, &error)) << size;
    for (size_t at = 0; at < size; ++at) {
      std::string nul = plain, stray = plain, last = plain;
      nul[at] = '\0';
      stray[at] = '\xff';
      last[at] = '\x7f';  // the highest plain byte
      EXPECT_FALSE(host::db::AcceptableSqlText(nul, &error)) << size << " " << at;
      EXPECT_EQ(error, host::db::kSqlHoldsNul);
      EXPECT_FALSE(host::db::AcceptableSqlText(stray, &error)) << size << " " << at;
      EXPECT_EQ(error, host::db::kSqlNotUtf8);
      EXPECT_TRUE(host::db::AcceptableSqlText(last, &error)) << size << " " << at;
      // A byte of 0x01 borrows from no zero byte: after it, a NUL is still the NUL.
      if (at + 1 < size) {
        std::string both = plain;
        both[at] = '\x01';
        both[at + 1] = '\0';
        EXPECT_FALSE(host::db::AcceptableSqlText(both, &error)) << size << " " << at;
      }
    }
    // Two-, three- and four-byte characters at every offset pass; cut, they are refused.
    for (const std::string ch : {"\xc3\xa9", "\xe5\xbc\xa0", "\xf0\x9f\x98\x80"}) {
      if (ch.size() > size) continue;
      for (size_t at = 0; at + ch.size() <= size; ++at) {
        std::string text = plain;
        text.replace(at, ch.size(), ch);
        EXPECT_TRUE(host::db::AcceptableSqlText(text, &error)) << size << " " << at;
        text.resize(at + ch.size() - 1);
        EXPECT_FALSE(host::db::AcceptableSqlText(text, &error)) << size << " " << at;
        EXPECT_EQ(error, host::db::kSqlNotUtf8);
      }
    }
  }
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
