// Statements with bound values (IDBBoundExec, asked from the connection): values stored as the
// formatted statement stores them, the statement reused per text, and its failures: a wrong
// count of values, unacceptable text, an injected fault, a failed statement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db_test_util.h"
#include "velmor/db_bound_exec.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class HostDbBound : public ::testing::Test {
 protected:
  bool Insert(std::vector<DBValue> values) {
    int64_t changes = -1;
    const bool ok = bound_->ExecBound("insert into sb_dmmcb(lb, dm, mc) values (?, ?, ?)", values, changes);
    if (ok) {
      EXPECT_EQ(changes, 1);
    }
    return ok;
  }

  TempDatabase file_;
  Ref<IDBMechanism> db_ = file_.Connect();
  Ref<IDBBoundExec> bound_ = Query<IDBBoundExec>(db_);
};

TEST_F(HostDbBound, TheConnectionAnswersItAndKeepsItsOwnInterfaces) {
  ASSERT_TRUE(bound_);
  EXPECT_TRUE(Query<IDBMechanism>(bound_)) << "the same object";
  EXPECT_TRUE(Query<IDBObject>(db_));
  EXPECT_TRUE(Query<IInterface>(db_));
}

TEST_F(HostDbBound, ValuesAreStoredAsTheFormattedStatementStoresThem) {
  ASSERT_TRUE(Insert({DBValue::Integer(1), DBValue::Text("a'b"), DBValue::Text("甲")})) << db_->GetErrorText();
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'lit', 12.50)"));
  ASSERT_TRUE(Insert({DBValue::Integer(1), DBValue::Text("bound"), DBValue::Real(12.5)}));
  ASSERT_TRUE(Insert({DBValue::Integer(1), DBValue::Text(""), DBValue::Null()}));
  EXPECT_EQ(Scalar(*db_, "select mc from sb_dmmcb where dm = 'a''b'"), "甲") << "a quote needs no doubling";
  EXPECT_EQ(Scalar(*db_, "select mc || '|' || typeof(mc) from sb_dmmcb where dm = 'lit'"),
            Scalar(*db_, "select mc || '|' || typeof(mc) from sb_dmmcb where dm = 'bound'"));
  EXPECT_EQ(Scalar(*db_, "select typeof(mc) from sb_dmmcb where dm = ''"), "null") << "empty text is not null";
}

TEST_F(HostDbBound, ChangesCountTheRowsOfAnUpdateAndTheTextIsReused) {
  for (int i = 0; i < 50; ++i) {
    const std::string dm = "d" + std::to_string(i);
    ASSERT_TRUE(Insert({DBValue::Integer(2), DBValue::Text(dm), DBValue::Text("x")}));
  }
  int64_t changes = 0;
  const DBValue lb[] = {DBValue::Text("y"), DBValue::Integer(2)};
  ASSERT_TRUE(bound_->ExecBound("update sb_dmmcb set mc = ? where lb = ?", lb, changes));
  EXPECT_EQ(changes, 50);
  ASSERT_TRUE(bound_->ExecBound("update sb_dmmcb set mc = ? where lb = ?", lb, changes));
  EXPECT_EQ(changes, 50) << "the reused statement runs again";
  const DBValue none[] = {DBValue::Text("z"), DBValue::Integer(3)};
  ASSERT_TRUE(bound_->ExecBound("update sb_dmmcb set mc = ? where lb = ?", none, changes));
  EXPECT_EQ(changes, 0);
}

TEST_F(HostDbBound, ManyTextsStillRunAndAReaderIsNotBlocked) {
  // More texts than the connection keeps: the cache starts over, every statement still runs.
  for (int i = 0; i < 100; ++i) {
    int64_t changes = 0;
    const std::string text = "m" + std::to_string(i);
    const DBValue v[] = {DBValue::Text(text)};
    ASSERT_TRUE(bound_->ExecBound("insert into sb_dmmcb(lb, dm, mc) values (" + std::to_string(i) + ", 'k', ?)", v, changes))
        << db_->GetErrorText();
  }
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), "100");
  // Kept statements are reset after each run: another connection may write at once.
  Ref<IDBMechanism> other = file_.Connect();
  EXPECT_TRUE(other->ExecSQL("delete from sb_dmmcb")) << other->GetErrorText();
}

TEST_F(HostDbBound, FailuresAnswerFalseWithTheReason) {
  EXPECT_FALSE(Insert({DBValue::Integer(1), DBValue::Text("a")}));
  EXPECT_EQ(db_->GetErrorText(), "the statement takes 3 values, 2 were given");
  EXPECT_FALSE(Insert({DBValue::Integer(1), DBValue::Text(std::string("a\0b", 3)), DBValue::Text("")}));
  EXPECT_EQ(db_->GetErrorText(), "SQL text holds a NUL character");
  EXPECT_FALSE(Insert({DBValue::Integer(1), DBValue::Text("\xff"), DBValue::Text("")}));
  EXPECT_EQ(db_->GetErrorText(), "SQL text is not valid UTF-8");
  EXPECT_FALSE(Insert({DBValue::Integer(1), DBValue::Null(), DBValue::Text("")}));
  EXPECT_EQ(db_->GetErrorText(), "NOT NULL constraint failed: sb_dmmcb.dm");
  int64_t changes = 0;
  EXPECT_FALSE(bound_->ExecBound("insert into nope values (?)", std::vector<DBValue>{DBValue::Integer(1)}, changes));
  EXPECT_EQ(db_->GetErrorText(), "no such table: nope");
  EXPECT_FALSE(bound_->ExecBound("delete from sb_dmmcb; delete from sb_dmmcb", {}, changes));
  EXPECT_EQ(db_->GetErrorText(), "only one statement is allowed here, the text holds more");
  EXPECT_TRUE(Insert({DBValue::Integer(1), DBValue::Text("ok"), DBValue::Text("")}));
  EXPECT_EQ(db_->GetErrorText(), "") << "a successful call clears the error text";
}

TEST_F(HostDbBound, CountedTracedAndFailedByFaultInjection) {
  FaultInjection::SetTracing(true);
  FaultInjection::FailStatement(2);
  EXPECT_TRUE(Insert({DBValue::Integer(1), DBValue::Text("a"), DBValue::Text("")}));
  EXPECT_FALSE(Insert({DBValue::Integer(1), DBValue::Text("b"), DBValue::Text("")}));
  EXPECT_EQ(db_->GetErrorText(), FaultInjection::kStatementMessage);
  EXPECT_TRUE(Insert({DBValue::Integer(1), DBValue::Text("c"), DBValue::Text("")})) << "the statement still works";
  const std::vector<std::string> trace = FaultInjection::TakeTrace();
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0], "insert into sb_dmmcb(lb, dm, mc) values (?, ?, ?)");
  EXPECT_EQ(Column(*db_, "select dm from sb_dmmcb order by dm"), (std::vector<std::string>{"a", "c"}));
}

TEST_F(HostDbBound, NumberedParametersShareOneListAndTheCommandCountsRows) {
  // An upsert's statements share the values of the row, each taking the ones it names.
  Ref<IDBCommand> cmd = db_->GetCommand(0);
  Ref<IDBBoundExec> onCommand = Query<IDBBoundExec>(cmd);
  ASSERT_TRUE(onCommand);
  const std::vector<DBValue> row = {DBValue::Integer(5), DBValue::Text("k"), DBValue::Text("v1")};
  int64_t changes = -1;
  ASSERT_TRUE(onCommand->ExecBound("update sb_dmmcb set mc = ?3 where lb = ?1 and dm = ?2", row, changes));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(cmd->RowsAffected(), 0);
  ASSERT_TRUE(onCommand->ExecBound("insert into sb_dmmcb(lb, dm, mc) values (?1, ?2, ?3)", row, changes));
  EXPECT_EQ(cmd->RowsAffected(), 1);
  ASSERT_TRUE(onCommand->ExecBound("delete from sb_dmmcb where lb = ?1", row, changes)) << "takes the first only";
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(onCommand->ExecBound("delete from sb_dmmcb where lb = ?4", row, changes));
  EXPECT_EQ(cmd->GetErrorText(), "the statement takes 4 values, 3 were given");
  EXPECT_EQ(cmd->RowsAffected(), 0);
}

TEST_F(HostDbBound, RollbackUndoesBoundRows) {
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(Insert({DBValue::Integer(1), DBValue::Text("a"), DBValue::Text("")}));
  ASSERT_TRUE(db_->RollbackTrans());
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), "0");
}

}  // namespace
}  // namespace velmor::testing
