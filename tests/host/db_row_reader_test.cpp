// Rows read one at a time (IDBRowReader, asked from the connection): the same column names and
// cell texts the dataset gives, a sink that stops early, and the failures: a bad statement, more
// than one statement, an injected fault. The statement is gone after every way out, so the
// connection writes and commits as before.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "db_test_util.h"
#include "velmor/db_row_reader.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

// Keeps what it is handed, and stops after `stopAfter` rows.
class Keeper final : public IDBRowSink {
 public:
  explicit Keeper(size_t stopAfter = SIZE_MAX) : stopAfter_(stopAfter) {}
  void Columns(std::span<const std::string_view> names) override {
    ++columnCalls;
    columns.assign(names.begin(), names.end());
  }
  bool Row(std::span<const std::string_view> cells) override {
    rows.emplace_back(cells.begin(), cells.end());
    return rows.size() < stopAfter_;
  }
  int columnCalls = 0;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;

 private:
  size_t stopAfter_;
};

// What the dataset of the same query gives: names and each cell's AsString.
struct Table {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};
Table DatasetOf(IDBMechanism& db, const std::string& sql) {
  Table t;
  Ref<IDBDataSet> ds;
  EXPECT_TRUE(db.OpenQuery(sql, ds)) << db.GetErrorText();
  if (!ds) return t;
  Ref<IDBFields> fields = ds->Fields();
  for (int32_t i = 0; i < fields->Count(); ++i) t.columns.push_back(fields->FieldByIndex(i)->FieldName());
  for (; !ds->Eof(); ds->Next()) {
    t.rows.emplace_back();
    for (int32_t i = 0; i < fields->Count(); ++i) t.rows.back().push_back(fields->FieldByIndex(i)->AsString());
  }
  return t;
}

class HostDbRowReader : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(reader_);
    ASSERT_TRUE(
        db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a''b', '甲'), (2, '', null), "
                     "(3, 'x', 12.5), (4, 'y', x'00ff41'), (5, 'z', -7)"));
  }
  // The statement is finalized: a write and a commit on the same connection go through.
  void ExpectConnectionFree() {
    ASSERT_TRUE(db_->BeginTrans()) << db_->GetErrorText();
    EXPECT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (9, 'after', '')")) << db_->GetErrorText();
    EXPECT_TRUE(db_->CommitTrans()) << db_->GetErrorText();
  }

  TempDatabase file_;
  Ref<IDBMechanism> db_ = file_.Connect();
  Ref<IDBRowReader> reader_ = Query<IDBRowReader>(db_);
};

TEST_F(HostDbRowReader, TheConnectionAnswersItAsTheSameObject) {
  EXPECT_TRUE(Query<IDBMechanism>(reader_));
  EXPECT_EQ(Query<IDBMechanism>(reader_).get(), db_.get());
}

TEST_F(HostDbRowReader, NamesAndCellsAreTheDatasets) {
  for (const char* sql : {"select lb, dm, mc from sb_dmmcb order by lb",
                          "select mc as m, mc as m, lb * 1.5, null as n, typeof(mc) from sb_dmmcb order by lb",
                          "select * from sb_dmmcb where lb = 99", "select count(*) from sb_dmmcb"}) {
    Keeper k;
    ASSERT_TRUE(reader_->ReadRows(sql, k)) << sql << ": " << db_->GetErrorText();
    const Table expected = DatasetOf(*db_, sql);
    EXPECT_EQ(k.columnCalls, 1) << sql;
    EXPECT_EQ(k.columns, expected.columns) << sql;
    EXPECT_EQ(k.rows, expected.rows) << sql;
  }
  Keeper k;
  ASSERT_TRUE(reader_->ReadRows("select mc from sb_dmmcb where lb = 4", k));
  EXPECT_EQ(k.rows.at(0).at(0), std::string("\0\xff"
                                            "A",
                                            3))
      << "a blob's bytes, NUL included";
  ExpectConnectionFree();
}

TEST_F(HostDbRowReader, ASinkThatStopsEndsTheReadingAsASuccess) {
  Keeper k(2);
  ASSERT_TRUE(reader_->ReadRows("select lb from sb_dmmcb order by lb", k)) << db_->GetErrorText();
  EXPECT_EQ(k.rows, (std::vector<std::vector<std::string>>{{"1"}, {"2"}}));
  EXPECT_EQ(db_->GetErrorText(), "");
  ExpectConnectionFree();
}

TEST_F(HostDbRowReader, FailuresAnswerFalseWithTheEnginesText) {
  Keeper bad;
  EXPECT_FALSE(reader_->ReadRows("select * from nope", bad));
  EXPECT_EQ(db_->GetErrorText(), "no such table: nope");
  EXPECT_EQ(bad.columnCalls, 0) << "nothing was handed over";

  Keeper two;
  EXPECT_FALSE(reader_->ReadRows("select 1; select 2", two));
  EXPECT_NE(db_->GetErrorText().find("only one statement"), std::string::npos) << db_->GetErrorText();

  // A failure while stepping: the rows before it stay handed over, the call answers false.
  Keeper midway;
  EXPECT_FALSE(reader_->ReadRows("select lb, abs(-9223372036854775806 - lb) from sb_dmmcb where lb < 3", midway));
  EXPECT_EQ(db_->GetErrorText(), "integer overflow");
  EXPECT_EQ(midway.rows, (std::vector<std::vector<std::string>>{{"1", "9223372036854775807"}}));

  Keeper injected;
  FaultInjection::FailStatement(1);
  EXPECT_FALSE(reader_->ReadRows("select lb from sb_dmmcb", injected));
  EXPECT_EQ(db_->GetErrorText(), FaultInjection::kStatementMessage);
  EXPECT_TRUE(injected.rows.empty());

  Keeper good;
  EXPECT_TRUE(reader_->ReadRows("select lb from sb_dmmcb", good)) << "the next reading goes through";
  EXPECT_EQ(db_->GetErrorText(), "") << "a success clears the error text";
  ExpectConnectionFree();
}

TEST_F(HostDbRowReader, ReadsInsideTheConnectionsTransaction) {
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->ExecSQL("delete from sb_dmmcb where lb > 1"));
  Keeper k;
  ASSERT_TRUE(reader_->ReadRows("select lb from sb_dmmcb", k));
  EXPECT_EQ(k.rows, (std::vector<std::vector<std::string>>{{"1"}})) << "its own uncommitted changes";
  ASSERT_TRUE(db_->RollbackTrans());
}

}  // namespace
}  // namespace velmor::testing
