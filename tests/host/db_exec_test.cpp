// Statements, commands, transactions, concurrency and fault injection of the host database.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "db_test_util.h"
#include "velmor/db_bound_exec.h"
#include "velmor/db_row_reader.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

// The vtable slot of a virtual member function (Itanium C++ ABI: the pointer holds 1 + the
// byte offset of the slot).
template <class M>
ptrdiff_t Slot(M member) {
  static_assert(sizeof(M) == 2 * sizeof(void*));
  uintptr_t rep[2];
  std::memcpy(rep, &member, sizeof rep);
  EXPECT_EQ(rep[0] & 1u, 1u) << "not a virtual function";
  return static_cast<ptrdiff_t>((rep[0] - 1) / sizeof(void*));
}

constexpr ptrdiff_t kIInterfaceSlots = 3;  // QueryInterface, AddRef, Release

TEST(HostDbSlots, OperationsSitAtTheirPublishedPositions) {
  const ptrdiff_t mech = kIInterfaceSlots + 2;  // after IDBObject's two operations
  EXPECT_EQ(Slot(&IDBObject::GetErrorText), kIInterfaceSlots + 0);
  EXPECT_EQ(Slot(&IDBMechanism::GetCommand), mech + 30);
  EXPECT_EQ(Slot(&IDBMechanism::ExecSQL), mech + 32);
  EXPECT_EQ(Slot(&IDBMechanism::OpenQuery), mech + 33);
  EXPECT_EQ(Slot(&IDBMechanism::BeginTrans), mech + 42);
  EXPECT_EQ(Slot(&IDBMechanism::CommitTrans), mech + 43);
  EXPECT_EQ(Slot(&IDBMechanism::RollbackTrans), mech + 44);
  EXPECT_EQ(Slot(&IDBMechanism::InTransaction), mech + 45);
  EXPECT_EQ(Slot(&IDBCommand::GetErrorText), kIInterfaceSlots + 4);
  EXPECT_EQ(Slot(&IDBCommand::Execute), kIInterfaceSlots + 15);
  EXPECT_EQ(Slot(&IDBCommand::RowsAffected), kIInterfaceSlots + 16);
  EXPECT_EQ(Slot(&IDBDataSet::Fields), kIInterfaceSlots + 11);
  EXPECT_EQ(Slot(&IDBDataSet::Eof), kIInterfaceSlots + 26);
  EXPECT_EQ(Slot(&IDBDataSet::Next), kIInterfaceSlots + 30);
  EXPECT_EQ(Slot(&IDBDataSet::Append), kIInterfaceSlots + 34);
  EXPECT_EQ(Slot(&IDBDataSet::Edit), kIInterfaceSlots + 36);
  EXPECT_EQ(Slot(&IDBDataSet::Post), kIInterfaceSlots + 38);
  EXPECT_EQ(Slot(&IDBFields::FieldByName), kIInterfaceSlots + 5);
  EXPECT_EQ(Slot(&IDBField::AsInteger), kIInterfaceSlots + 9);
  EXPECT_EQ(Slot(&IDBField::AsString), kIInterfaceSlots + 10);
  EXPECT_EQ(Slot(&IDBField::SetAsString), kIInterfaceSlots + 19);
  // The host's extensions, asked by QueryInterface: their own operations from 0.
  EXPECT_EQ(Slot(&IDBBoundExec::ExecBound), kIInterfaceSlots + 0);
  EXPECT_EQ(Slot(&IDBRowReader::ReadRows), kIInterfaceSlots + 0);
  EXPECT_EQ(Slot(&IDBRowSink::Columns), 0);
  EXPECT_EQ(Slot(&IDBRowSink::Row), 1);
}

class HostDbExec : public ::testing::Test {
 protected:
  TempDatabase file_;
  Ref<IDBMechanism> db_ = file_.Connect();
};

TEST_F(HostDbExec, ConnectionAnswersItsNameAndItsInterfaces) {
  EXPECT_EQ(db_->GetConnectionName(), "VELMORMainCon");
  EXPECT_TRUE(Query<IDBObject>(db_));
  EXPECT_TRUE(Query<IInterface>(db_));
  EXPECT_FALSE(Query<IDBCommand>(db_));
}

TEST_F(HostDbExec, ExecSqlRunsSeveralStatementsSeparatedBySemicolons) {
  ASSERT_TRUE(db_->ExecSQL(" insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A');  "
                           "insert into sb_dmmcb(lb, dm, mc) values (1, 'b', 'B'); -- done\n ;"))
      << db_->GetErrorText();
  EXPECT_EQ(Column(*db_, "select dm from sb_dmmcb order by dm"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(db_->GetErrorText(), "");
}

TEST_F(HostDbExec, FailedStatementAnswersFalseWithTheEngineMessage) {
  EXPECT_FALSE(db_->ExecSQL("insert into nope values (1)"));
  EXPECT_EQ(db_->GetErrorText(), "no such table: nope");
  EXPECT_FALSE(db_->ExecSQL("selec 1"));
  EXPECT_EQ(db_->GetErrorText(), "near \"selec\": syntax error");
  EXPECT_FALSE(db_->ExecSQL("insert into sb_dmmcb(lb, dm) values (1, null)"));
  EXPECT_EQ(db_->GetErrorText(), "NOT NULL constraint failed: sb_dmmcb.dm");
  EXPECT_TRUE(db_->ExecSQL("delete from sb_dmmcb"));
  EXPECT_EQ(db_->GetErrorText(), "") << "a successful call clears the error text";
}

TEST_F(HostDbExec, EmptyStatementIsAnError) {
  EXPECT_FALSE(db_->ExecSQL(""));
  EXPECT_EQ(db_->GetErrorText(), "empty SQL statement");
  EXPECT_FALSE(db_->ExecSQL("  ; -- nothing\n /* at all */"));
  EXPECT_EQ(db_->GetErrorText(), "empty SQL statement");
}

TEST_F(HostDbExec, SeveralStatementsFailTogether) {
  EXPECT_FALSE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A'); insert into nope values (1)"));
  EXPECT_EQ(db_->GetErrorText(), "no such table: nope");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), "0");

  // Inside a transaction only the failed call is undone; the caller decides about the rest.
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'kept', '')"));
  EXPECT_FALSE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'gone', ''); insert into sb_dmmcb(lb, dm, mc) values (1, 'kept', '')"));
  EXPECT_EQ(db_->GetErrorText(), "UNIQUE constraint failed: sb_dmmcb.lb, sb_dmmcb.dm");
  EXPECT_TRUE(db_->InTransaction());
  ASSERT_TRUE(db_->CommitTrans());
  EXPECT_EQ(Column(*db_, "select dm from sb_dmmcb"), (std::vector<std::string>{"kept"}));
}

TEST_F(HostDbExec, CommandCountsRowsForUpdateElseInsert) {
  Ref<IDBCommand> cmd = db_->GetCommand(0);
  ASSERT_TRUE(cmd);
  ASSERT_TRUE(cmd->Execute("update sb_dmmcb set mc = 'x' where lb = 1 and dm = 'a'"));
  EXPECT_EQ(cmd->RowsAffected(), 0);
  ASSERT_TRUE(cmd->Execute("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A'); insert into sb_dmmcb(lb, dm, mc) values (2, 'a', 'A')"));
  EXPECT_EQ(cmd->RowsAffected(), 2);
  ASSERT_TRUE(cmd->Execute("update sb_dmmcb set mc = 'x' where dm = 'a'"));
  EXPECT_EQ(cmd->RowsAffected(), 2);
  ASSERT_TRUE(cmd->Execute("select * from sb_dmmcb"));
  EXPECT_EQ(cmd->RowsAffected(), 0) << "a query changes nothing";
  EXPECT_FALSE(cmd->Execute("update nope set a = 1"));
  EXPECT_EQ(cmd->GetErrorText(), "no such table: nope");
  EXPECT_EQ(cmd->RowsAffected(), 0);
}

TEST_F(HostDbExec, UnknownCommandKindIsRefused) {
  EXPECT_FALSE(db_->GetCommand(1));
  EXPECT_EQ(db_->GetErrorText(), "unknown command kind 1");
}

TEST_F(HostDbExec, CommittedTransactionIsSeenByOtherConnections) {
  Ref<IDBMechanism> other = file_.Connect();
  ASSERT_TRUE(db_->BeginTrans());
  EXPECT_TRUE(db_->InTransaction());
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A')"));
  // The reader is not blocked by the open transaction and does not see it yet.
  EXPECT_EQ(Scalar(*other, "select count(*) from sb_dmmcb"), "0");
  ASSERT_TRUE(db_->CommitTrans()) << db_->GetErrorText();
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(Scalar(*other, "select mc from sb_dmmcb"), "A");
}

TEST_F(HostDbExec, RolledBackTransactionLeavesNothing) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'before', '')"));
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A'); delete from sb_dmmcb where dm = 'before'"));
  ASSERT_TRUE(db_->RollbackTrans());
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(Column(*db_, "select dm from sb_dmmcb"), (std::vector<std::string>{"before"}));
}

TEST_F(HostDbExec, TransactionMisuseIsReportedNotRaised) {
  EXPECT_FALSE(db_->CommitTrans());
  EXPECT_EQ(db_->GetErrorText(), "no transaction is open on this connection");
  EXPECT_TRUE(db_->RollbackTrans()) << "nothing to roll back is not a failure";
  ASSERT_TRUE(db_->BeginTrans());
  EXPECT_FALSE(db_->BeginTrans());
  EXPECT_EQ(db_->GetErrorText(), "a transaction is already open on this connection");
  EXPECT_TRUE(db_->InTransaction());
}

TEST_F(HostDbExec, DroppingAConnectionRollsItsTransactionBack) {
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A')"));
  db_ = nullptr;
  Ref<IDBMechanism> again = file_.Connect();
  EXPECT_EQ(Scalar(*again, "select count(*) from sb_dmmcb"), "0");
}

TEST_F(HostDbExec, DatasetKeepsItsConnectionAlive) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', 'A'), (1, 'b', 'B')"));
  Ref<IDBDataSet> ds;
  ASSERT_TRUE(db_->OpenQuery("select dm from sb_dmmcb order by dm", ds));
  Ref<IDBCommand> cmd = db_->GetCommand(0);
  db_ = nullptr;
  ASSERT_FALSE(ds->Eof());
  EXPECT_TRUE(ds->Next());
  EXPECT_EQ(ds->Fields()->FieldByName("dm")->AsString(), "b");
  EXPECT_TRUE(cmd->Execute("delete from sb_dmmcb"));
  EXPECT_EQ(cmd->RowsAffected(), 2);
}

TEST_F(HostDbExec, WriterWaitsForAnotherWriterWithinTheBusyTimeout) {
  host::db::DatabaseOptions impatient;
  impatient.busyTimeoutMs = 50;
  Ref<IDBMechanism> quick = file_.Connect(impatient);
  ASSERT_TRUE(db_->BeginTrans());
  EXPECT_FALSE(quick->BeginTrans());
  EXPECT_EQ(quick->GetErrorText(), "database is locked");
  EXPECT_FALSE(quick->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (9, 'z', '')"));
  EXPECT_EQ(quick->GetErrorText(), "database is locked");

  Ref<IDBMechanism> patient = file_.Connect();
  bool ok = false;
  std::thread writer([&] { ok = patient->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (2, 'w', '')"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 't', '')"));
  ASSERT_TRUE(db_->CommitTrans());
  writer.join();
  EXPECT_TRUE(ok) << patient->GetErrorText();
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), "2");
}

TEST_F(HostDbExec, ThreadsWithTheirOwnConnectionsWriteTogether) {
  constexpr int kRows = 200;
  auto work = [&](int lb) {
    Ref<IDBMechanism> db = file_.Connect();
    for (int i = 0; i < kRows; i += 20) {
      ASSERT_TRUE(db->BeginTrans()) << db->GetErrorText();
      for (int j = i; j < i + 20; ++j) {
        ASSERT_TRUE(db->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (" + std::to_string(lb) + ", '" +
                                std::to_string(j) + "', '')"));
      }
      ASSERT_TRUE(db->CommitTrans()) << db->GetErrorText();
    }
  };
  std::thread a(work, 1), b(work, 2);
  a.join();
  b.join();
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), std::to_string(2 * kRows));
}

TEST_F(HostDbExec, InjectedStatementFailureLooksLikeAnEngineFailure) {
  int64_t before = FaultInjection::StatementCount();
  FaultInjection::FailStatement(2);
  EXPECT_FALSE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', ''); "
                            "insert into sb_dmmcb(lb, dm, mc) values (1, 'b', ''); "
                            "insert into sb_dmmcb(lb, dm, mc) values (1, 'c', '')"));
  EXPECT_EQ(db_->GetErrorText(), FaultInjection::kStatementMessage);
  EXPECT_EQ(FaultInjection::StatementCount() - before, 2) << "the third statement never ran";
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), "0");

  FaultInjection::FailStatement(1, "disk full");
  Ref<IDBDataSet> ds;
  EXPECT_FALSE(db_->OpenQuery("select * from sb_dmmcb", ds));
  EXPECT_FALSE(ds);
  EXPECT_EQ(db_->GetErrorText(), "disk full");
  EXPECT_TRUE(db_->OpenQuery("select * from sb_dmmcb", ds)) << "a switch fires once";
}

TEST_F(HostDbExec, InjectedCommitFailureStoresNothing) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'old', '')"));
  FaultInjection::FailCommit();
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->ExecSQL("delete from sb_dmmcb; insert into sb_dmmcb(lb, dm, mc) values (1, 'new', '')"));
  EXPECT_FALSE(db_->CommitTrans());
  EXPECT_EQ(db_->GetErrorText(), FaultInjection::kCommitMessage);
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(Column(*db_, "select dm from sb_dmmcb"), (std::vector<std::string>{"old"}));
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'new', '')"));
  EXPECT_TRUE(db_->CommitTrans());
}

TEST_F(HostDbExec, TraceRecordsEveryStatementRun) {
  FaultInjection::SetTracing(true);
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, 'a', '');delete from sb_dmmcb"));
  ASSERT_TRUE(db_->BeginTrans());
  ASSERT_TRUE(db_->CommitTrans());
  EXPECT_EQ(FaultInjection::TakeTrace(),
            (std::vector<std::string>{"insert into sb_dmmcb(lb, dm, mc) values (1, 'a', '');", "delete from sb_dmmcb"}));
  EXPECT_TRUE(FaultInjection::TakeTrace().empty());
}

}  // namespace
}  // namespace velmor::testing
