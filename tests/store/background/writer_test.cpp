// The asynchronous SQL writers on the host's real database: the statement-item rules, batches
// committed or rolled back as one transaction, failures reported to the waiting caller,
// back-pressure, waiting, clearing and aborting.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/db/fault_injection.h"
#include "store/background/asyn_exec_sql.h"
#include "store/background/base_asyn_exec_sql.h"
#include "store/background/bulk_rows.h"
#include "store/sql.h"
#include "store_env.h"
#include "velmor/object.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

std::string Person(const std::string& rydjxh, const std::string& xm) {
  return FormatSql("insert into sb_ryjbxxb (djxh, rydjxh, xm) values ('D1', '%s', '%s')", {V(rydjxh), V(xm)});
}
std::string Rename(const std::string& rydjxh, const std::string& xm) {
  return FormatSql("update sb_ryjbxxb set xm = '%s' where djxh = 'D1' and rydjxh = '%s'", {V(xm), V(rydjxh)});
}
std::string Drop(const std::string& rydjxh) {
  return FormatSql("delete from sb_ryjbxxb where djxh = 'D1' and rydjxh = '%s'", {V(rydjxh)});
}

class Writers : public ::testing::Test {
 protected:
  std::string Count(const std::string& where = "1 = 1") {
    return Scalar(*env_.Db(), "select count(*) from sb_ryjbxxb where " + where);
  }
  std::string Names(const std::string& rydjxh) {
    std::string out;
    for (const auto& n : Column(*env_.Db(), "select xm from sb_ryjbxxb where rydjxh = '" + rydjxh + "' order by id"))
      out += n + ";";
    return out;
  }
  StoreEnv env_;
};

TEST_F(Writers, StatementItemRules) {
  Ref<IDBMechanism> db = env_.Db();
  ASSERT_TRUE(db->ExecSQL(Person("R2", "old") + ";" + Person("R2", "old") + ";" + Person("R1", "one")));
  Ref<IDBCommand> cmd = db->GetCommand(0);
  ItemCounts counts;

  // An update matching two rows, with the delete present: delete both, insert one.
  SqlItem twoCopies{0, 0, Drop("R2"), Rename("R2", "new"), Person("R2", "new")};
  EXPECT_TRUE(ExecuteSqlItem(*cmd, twoCopies, counts).ok());
  EXPECT_EQ(Names("R2"), "new;");
  // Exactly one row: an update, nothing inserted.
  SqlItem one{0, 0, Drop("R1"), Rename("R1", "uno"), Person("R1", "unused")};
  EXPECT_TRUE(ExecuteSqlItem(*cmd, one, counts).ok());
  EXPECT_EQ(Names("R1"), "uno;");
  // No row: the insert.
  SqlItem none{0, 0, Drop("R3"), Rename("R3", "three"), Person("R3", "three")};
  EXPECT_TRUE(ExecuteSqlItem(*cmd, none, counts).ok());
  EXPECT_EQ(Names("R3"), "three;");
  // Only the third, only the first.
  EXPECT_TRUE(ExecuteSqlItem(*cmd, SqlItem{0, 0, "", "", Person("R4", "four")}, counts).ok());
  EXPECT_TRUE(ExecuteSqlItem(*cmd, SqlItem{0, 0, Drop("R4"), "", ""}, counts).ok());
  EXPECT_EQ(Count("rydjxh = 'R4'"), "0");
  // Two copies but no delete statement: the update stands, no insert.
  ASSERT_TRUE(db->ExecSQL(Person("R5", "a") + ";" + Person("R5", "a")));
  EXPECT_TRUE(ExecuteSqlItem(*cmd, SqlItem{0, 0, "", Rename("R5", "b"), Person("R5", "x")}, counts).ok());
  EXPECT_EQ(Names("R5"), "b;b;");

  EXPECT_EQ(counts.inserted, 3);  // R2, R3, R4
  EXPECT_EQ(counts.updated, 2);   // R1, R5
  EXPECT_EQ(counts.executed, 9);

  ItemResult bad = ExecuteSqlItem(*cmd, SqlItem{0, 0, "", "update nosuch set a = 1", Person("R6", "x")}, counts);
  EXPECT_EQ(bad.failedAt, ItemStage::kUpdate);
  EXPECT_EQ(bad.statement, "update nosuch set a = 1");
  EXPECT_NE(bad.error.find("no such table"), std::string::npos) << bad.error;
  EXPECT_EQ(Count("rydjxh = 'R6'"), "0") << "the insert does not run after a failed update";
}

TEST(StatementExcerpt, HeadAndTailByCharacters) {
  EXPECT_EQ(StatementExcerpt("short"), "short");
  std::string sql = "update sb_ryjbxxb set xm = '张三丰', zjlx = '201' where djxh = '10001'";
  EXPECT_EQ(StatementExcerpt(sql), "update sb_ryjbxxb se ... where djxh = '10001'");
  EXPECT_EQ(StatementExcerpt("甲乙丙丁戊己庚辛", 3), "甲乙丙 ... 己庚辛");
}

TEST_F(Writers, ABatchIsOneTransactionCommittedAtTheEnd) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  std::atomic<bool> gate{false};
  writer->TEST_SetBeforeItem([&] {
    while (!gate.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  for (int i = 0; i < 50; ++i) writer->AddSql(Person("P" + std::to_string(i), "x"));
  EXPECT_TRUE(TAsynExecSql::ModuleBusy());
  EXPECT_EQ(Count(), "0");
  gate = true;
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_EQ(Count(), "50");
  EXPECT_FALSE(writer->Busy());
  EXPECT_FALSE(TAsynExecSql::ModuleBusy());
  // A second batch on the same writer.
  writer->AddSql(Drop("P1"));
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_EQ(Count(), "49");
  // Waiting with nothing queued returns at once.
  EXPECT_TRUE(writer->WaitForIdle(600000));
}

TEST_F(Writers, AFailedUpdateIsLoggedAndSkipped) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  writer->AddSql(Person("A", "a"));
  writer->AddSql("", "update sb_ryjbxxb set nosuchcolumn = 1 where djxh = 'D1'", Person("B", "b"));
  writer->AddSql(Person("C", "c"));
  EXPECT_NO_THROW(EXPECT_TRUE(writer->WaitForIdle(600000)));
  EXPECT_EQ(Count(), "2") << "the rest of the batch is committed; the item's insert does not run";
  const std::string log = env_.Log();
  const size_t at = log.find("执行更新失败：update sb_ryjbxxb se ...  1 where djxh = 'D1' ");
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_NE(log.find("no such column: nosuchcolumn", at), std::string::npos) << log;
}

TEST_F(Writers, AFailingCommitRaisesInTheWaiterAndStoresNothing) {
  auto asyn = MakeWriter<TAsynExecSql>(env_.Db());
  for (int i = 0; i < 10; ++i) asyn->AddSql(Person("P" + std::to_string(i), "x"));
  FaultInjection::FailCommit(1);
  try {
    asyn->WaitForIdle(600000);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "保存数据库失败！");
  }
  EXPECT_EQ(Count(), "0");
  EXPECT_NE(env_.Log().find("[TAsynExecSql.Execute]异常：提交事务失败：injected fault: commit failed"), std::string::npos)
      << env_.Log();
  // The failure is reported once; the writer goes on with the next batch.
  asyn->AddSql(Person("Q", "x"));
  EXPECT_TRUE(asyn->WaitForIdle(600000));
  EXPECT_EQ(Count(), "1");

  auto base = MakeWriter<TBaseAsynExecSql>(env_.Db());
  base->AddSql(Person("B1", "x"), "", 0, "");
  FaultInjection::FailCommit(1);
  EXPECT_THROW(base->WaitForIdle(true, nullptr, 600000, 0), Exception);
  EXPECT_EQ(Count("rydjxh = 'B1'"), "0");
}

TEST_F(Writers, AFullDiskIsNamedAfterTheFixedText) {
  auto asyn = MakeWriter<TAsynExecSql>(env_.Db());
  asyn->AddSql(Person("P", "x"));
  FaultInjection::FailCommit(1, "database or disk is full");
  try {
    asyn->WaitForIdle(600000);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "保存数据库失败！（磁盘空间不足）");
  }
  auto base = MakeWriter<TBaseAsynExecSql>(env_.Db());
  FaultInjection::FailStatement(1, "database or disk is full");  // armed first: the thread runs at once
  base->AddSql(Person("B", "x"), "", 0, "");
  try {
    base->WaitForIdle(true, nullptr, 600000, 0);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "保存数据库失败！（磁盘空间不足）");
  }
  EXPECT_EQ(Count(), "0");
}

TEST_F(Writers, AFailingStatementEndsTheBatchWithNothingStored) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  writer->AddSql(Person("A", "a"));
  writer->AddSql("insert into nosuchtable values (1)");
  writer->AddSql(Person("B", "b"));  // dropped with the failed batch
  try {
    writer->WaitForIdle(600000);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), kSaveDbFailed);
  }
  EXPECT_EQ(Count(), "0");
  EXPECT_NE(env_.Log().find("[TAsynExecSql.Execute]异常：执行语句失败：insert into nosuchtable values (1) no such table"),
            std::string::npos)
      << env_.Log();
  writer->AddSql(Person("C", "c"));
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_EQ(Names("C"), "c;");
  EXPECT_EQ(Count(), "1");
}

TEST_F(Writers, TenThousandStatementsNeverLeaveMoreThan4000Waiting) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  // A slow writer, so the producer runs ahead of it.
  writer->TEST_SetBeforeItem([] { std::this_thread::sleep_for(std::chrono::microseconds(50)); });
  size_t maxSeen = 0;
  for (int i = 0; i < 10000; ++i) {
    writer->AddSql(Person("P" + std::to_string(i), "x"));
    maxSeen = std::max(maxSeen, writer->QueueSize());
  }
  EXPECT_LE(writer->QueueHighWater(), 4000u);
  EXPECT_LE(maxSeen, 4000u);
  EXPECT_GE(writer->QueueHighWater(), 3000u) << "the producer did run ahead (back-pressure was exercised)";
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_EQ(Count(), "10000");
}

// Bulk items count by their rows: 100,000 rows in items of 100 never leave more than about
// 20,000 rows (200 items) waiting, however far the producer runs ahead.
TEST_F(Writers, BulkRowsAreHeldBackByTheirRowsNotTheirItems) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  writer->TEST_SetBeforeItem([] { std::this_thread::sleep_for(std::chrono::microseconds(200)); });
  const std::string insert = "insert into sb_ryjbxxb (djxh, rydjxh, xm) values ('D1', ?1, ?2)";
  size_t maxItems = 0;
  {
    BulkRows rows(2, 100, [&](SqlItem item) {
      writer->AddSql(std::move(item));
      maxItems = std::max(maxItems, writer->QueueSize());
    });
    for (int i = 0; i < 100000; ++i) rows.Row(insert, {}, {}).Add("P" + std::to_string(i)).Add("x");
    rows.Flush();
  }
  EXPECT_LE(maxItems, kQueueHighRows / 100 + 1);
  EXPECT_GE(writer->QueueHighWater(), kQueueLowRows / 100) << "the producer did run ahead";
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_EQ(Count(), "100000");
}

TEST_F(Writers, WaitingTimesOutAndAClearedQueueStillAnswersTheWaiter) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  std::atomic<bool> gate{false};
  writer->TEST_SetBeforeItem([&] {
    while (!gate.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  for (int i = 0; i < 5; ++i) writer->AddSql(Person("P" + std::to_string(i), "x"));
  EXPECT_FALSE(writer->WaitForIdle(-1)) << "a negative time-out makes one pass";
  EXPECT_FALSE(writer->WaitForIdle(250));
  EXPECT_GE(writer->ClearQueue(), 3u);  // the first item may already be running
  gate = true;
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_LE(std::stoi(Count()), 1);
  EXPECT_FALSE(writer->Busy());
}

TEST_F(Writers, AbortAndDestructionRollBackAnOpenBatch) {
  {
    auto writer = MakeWriter<TAsynExecSql>(env_.Db());
    writer->AddSql(Person("A", "a"));
    while (!writer->Busy() || writer->QueueSize() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    writer->AbortBatch();
    writer->AddSql(Person("B", "b"));  // dropped: the aborted batch ends at its end item
    EXPECT_TRUE(writer->WaitForIdle(600000));
    writer->AddSql(Person("C", "c"));
    EXPECT_TRUE(writer->WaitForIdle(600000));
    EXPECT_EQ(Names("A") + Names("B") + Names("C"), "c;");
    // Destroyed with a batch open and no end item: rolled back, the thread joined.
    writer->AddSql(Person("D", "d"));
    while (writer->QueueSize() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(Count("rydjxh = 'D'"), "0");
  EXPECT_FALSE(TAsynExecSql::ModuleBusy());
}

// A writer of the residents' kind: counts its own way and sees each item's flag.
class FlagWriter final : public TBaseAsynExecSql {
 public:
  using TBaseAsynExecSql::TBaseAsynExecSql;
  ~FlagWriter() override { StopThread(); }
  std::vector<int> flags;

 protected:
  void ProcessItem(IDBCommand& cmd, const SqlItem& item) override {
    flags.push_back(CurrentFlag());
    if (CurrentFlag() == 9) throw Exception("flag nine");
    TBaseAsynExecSql::ProcessItem(cmd, item);
  }
};

TEST_F(Writers, BaseWriterCountsCommitsAndRollsBack) {
  auto writer = MakeWriter<FlagWriter>(env_.Db());
  writer->AddSql("", "", 1, Person("A", "a"));  // not counted: counting is still off
  writer->StartCounting();
  writer->AddSql(Drop("B"), Rename("B", "b"), 2, Person("B", "b"));
  writer->AddSql(Drop("A"), Rename("A", "a2"), 3, Person("A", "x"));
  writer->AddSql(Rename("A", "a3"), "", 4, "");
  EXPECT_TRUE(writer->WaitForIdle(true, nullptr, 600000, 0));
  EXPECT_EQ(writer->InsertCount(), 1);
  EXPECT_EQ(writer->UpdateCount(), 1);
  EXPECT_EQ(writer->ExecCount(), 4);
  EXPECT_EQ(writer->flags, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Names("A") + Names("B"), "a3;b;");
  EXPECT_NE(env_.Log().find(" TBaseAsynExecSql.Execute 已开启计数"), std::string::npos);

  writer->AddSql(Person("R", "rolled back"), "", 0, "");
  EXPECT_TRUE(writer->WaitForIdle(false, nullptr, 600000, 0));
  EXPECT_EQ(Count("rydjxh = 'R'"), "0");

  // An exception from ProcessItem ends the batch: rolled back, and the waiter raises.
  writer->AddSql(Person("E1", "x"), "", 0, "");
  writer->AddSql("", "", 9, Person("E2", "x"));
  try {
    writer->WaitForIdle(true, nullptr, 600000, 0);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "保存数据库失败！");
  }
  EXPECT_EQ(Count("rydjxh like 'E%'"), "0");
  EXPECT_NE(env_.Log().find("[TBaseAsynExecSql.Execute]异常：flag nine"), std::string::npos) << env_.Log();
  writer->StopCounting();
  EXPECT_TRUE(writer->WaitForIdle(true, nullptr, 600000, 0));
  EXPECT_NE(env_.Log().find(" TBaseAsynExecSql.Execute 已关闭计数"), std::string::npos);
  EXPECT_FALSE(TBaseAsynExecSql::ModuleBusy());
}

class RecordingView final : public Object<IProgressView> {
 public:
  std::vector<int32_t> positions;
  int32_t GetPosition() override { return 7; }
  void SetPosition(int32_t p) override { positions.push_back(p); }
  void StartProgress(const std::string&, int32_t, const std::string&) override {}
  void EndProgress() override {}
  void SetMessage(const std::string&) override {}
  int32_t GetMaximum() override { return 100; }
  int32_t GetHandle() override { return 0; }
  bool IsCancelled() override { return false; }
};

TEST_F(Writers, WaitingMovesTheProgressViewFromItsStartPosition) {
  auto writer = MakeWriter<TBaseAsynExecSql>(env_.Db());
  std::atomic<bool> gate{false};
  writer->TEST_SetBeforeItem([&] {
    while (!gate.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  writer->AddSql(Person("A", "a"), "", 0, "");
  Ref<RecordingView> view = Make<RecordingView>();
  EXPECT_FALSE(writer->WaitForIdle(true, view.get(), 300, 100));
  ASSERT_FALSE(view->positions.empty());
  for (int32_t p : view->positions) EXPECT_EQ(p, 7) << "300 ms of 600000 ms is less than one step of 100";
  // With a span of 6,000,000 each 100 ms pass is worth 1000 and more.
  view->positions.clear();
  EXPECT_FALSE(writer->WaitForIdle(true, view.get(), 150, 6000000));
  ASSERT_FALSE(view->positions.empty());
  EXPECT_GE(view->positions.back(), 7 + 1000);
  gate = true;
  EXPECT_TRUE(writer->WaitForIdle(true, view.get(), 600000, 100));
  EXPECT_EQ(Count(), "1");
}

}  // namespace
}  // namespace velmor::testing
