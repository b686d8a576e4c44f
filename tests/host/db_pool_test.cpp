// The pool of connections behind the platform manager: reuse, what is never reused, the bound on
// idle connections, a pool gone before its connections, callers on several threads, and the
// checkpoints its connections leave to the pool's own thread.
#include "host/db/connection_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "db_test_util.h"

namespace velmor::testing {
namespace {

using host::db::ConnectionPool;

class HostDbPool : public ::testing::Test {
 protected:
  Ref<IDBMechanism> Acquire(ConnectionPool& pool) {
    std::string error;
    Ref<IDBMechanism> db = pool.Acquire(&error);
    EXPECT_TRUE(db) << error;
    return db;
  }

  // Waits (a few seconds at most) until `pool` has finished `count` checkpoints.
  static bool CheckpointsReach(const ConnectionPool& pool, size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (pool.CheckpointsRun() < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  // Runs `call(db, thread, n)` `calls` times on each of `threads` threads, each time on a
  // connection the pool hands out for it.
  void OnSeveralThreads(int threads, int calls, const std::function<void(IDBMechanism&, int, int)>& call) {
    std::vector<std::thread> running;
    for (int t = 0; t < threads; ++t)
      running.emplace_back([&, t] {
        for (int n = 0; n < calls; ++n) {
          std::string error;
          Ref<IDBMechanism> db = pool_.Acquire(&error);
          ASSERT_TRUE(db) << error;
          call(*db, t, n);
        }
      });
    for (std::thread& t : running) t.join();
  }

  TempDatabase file_;
  ConnectionPool pool_{file_.path(), "VELMORMainCon"};
};

// Rows of random bytes enough for `pages` pages of the host's new files (8 KB) in the log.
std::string BulkInsert(int pages) {
  return "with recursive n(i) as (select 1 union all select i + 1 from n where i < " + std::to_string(pages * 4) +
         ") insert into t select randomblob(2000) from n";
}

TEST_F(HostDbPool, AConnectionLetGoServesTheNextCaller) {
  {
    Ref<IDBMechanism> db = Acquire(pool_);
    ASSERT_TRUE(db->ExecSQL("create table t (v text)"));
    EXPECT_EQ(pool_.IdleCount(), 0u);
  }
  EXPECT_EQ(pool_.IdleCount(), 1u);
  Ref<IDBMechanism> again = Acquire(pool_);
  EXPECT_EQ(pool_.OpenedCount(), 1u);
  EXPECT_EQ(pool_.IdleCount(), 0u);
  EXPECT_EQ(again->GetConnectionName(), "VELMORMainCon");
  EXPECT_TRUE(again->ExecSQL("insert into t values ('a')"));
  EXPECT_EQ(Scalar(*again, "select count(*) from t"), "1");
}

TEST_F(HostDbPool, CallersAtOnceHaveConnectionsOfTheirOwn) {
  Ref<IDBMechanism> a = Acquire(pool_);
  Ref<IDBMechanism> b = Acquire(pool_);
  EXPECT_EQ(pool_.OpenedCount(), 2u);
  ASSERT_TRUE(a->ExecSQL("create table t (v text)"));
  ASSERT_TRUE(a->BeginTrans());
  ASSERT_TRUE(a->ExecSQL("insert into t values ('a')"));
  EXPECT_FALSE(b->InTransaction());
  EXPECT_EQ(Scalar(*b, "select count(*) from t"), "0");  // not yet committed
  ASSERT_TRUE(a->CommitTrans());
  EXPECT_EQ(Scalar(*b, "select count(*) from t"), "1");
}

TEST_F(HostDbPool, AConnectionKeptIdleSeesTablesMadeMeanwhile) {
  Ref<IDBMechanism> first = Acquire(pool_);
  Ref<IDBMechanism> second = Acquire(pool_);
  EXPECT_EQ(Scalar(*second, "select count(*) from sqlite_master where name = 't'"), "0");  // schema read
  second.reset();
  ASSERT_TRUE(first->ExecSQL("create table t (v text); insert into t values ('x')"));
  Ref<IDBMechanism> reused = Acquire(pool_);
  EXPECT_EQ(pool_.OpenedCount(), 2u);
  EXPECT_EQ(Scalar(*reused, "select v from t"), "x");
}

TEST_F(HostDbPool, AConnectionLetGoInATransactionIsRolledBackAndClosed) {
  {
    Ref<IDBMechanism> setup = Acquire(pool_);
    ASSERT_TRUE(setup->ExecSQL("create table t (v text)"));
  }
  {
    Ref<IDBMechanism> db = Acquire(pool_);
    ASSERT_TRUE(db->BeginTrans());
    ASSERT_TRUE(db->ExecSQL("insert into t values ('lost')"));
  }
  EXPECT_EQ(pool_.IdleCount(), 0u);
  Ref<IDBMechanism> next = Acquire(pool_);
  EXPECT_EQ(pool_.OpenedCount(), 2u);
  EXPECT_FALSE(next->InTransaction());
  EXPECT_EQ(Scalar(*next, "select count(*) from t"), "0");
}

TEST_F(HostDbPool, ConnectionsWithTemporaryTablesOrAttachedFilesAreNotReused) {
  {
    Ref<IDBMechanism> db = Acquire(pool_);
    ASSERT_TRUE(db->ExecSQL("create temp table scratch (v text)"));
  }
  EXPECT_EQ(pool_.IdleCount(), 0u);
  {
    Ref<IDBMechanism> db = Acquire(pool_);
    ASSERT_TRUE(db->ExecSQL("attach database '" + file_.dir().File("other.db") + "' as other"));
  }
  EXPECT_EQ(pool_.IdleCount(), 0u);
  Ref<IDBMechanism> fresh = Acquire(pool_);
  EXPECT_EQ(pool_.OpenedCount(), 3u);
  EXPECT_EQ(Scalar(*fresh, "select count(*) from temp.sqlite_master"), "0");
}

TEST_F(HostDbPool, ADatasetKeepsItsConnectionOutOfThePool) {
  Ref<IDBDataSet> rows;
  {
    Ref<IDBMechanism> db = Acquire(pool_);
    ASSERT_TRUE(db->ExecSQL("create table t (v text); insert into t values ('a'), ('b')"));
    ASSERT_TRUE(db->OpenQuery("select v from t order by v", rows));
  }
  EXPECT_EQ(pool_.IdleCount(), 0u);
  EXPECT_EQ(rows->Fields()->FieldByIndex(0)->AsString(), "a");
  rows.reset();
  EXPECT_EQ(pool_.IdleCount(), 1u);
}

TEST_F(HostDbPool, AtMostTheBoundIsKeptIdle) {
  ConnectionPool pool(file_.path(), "VELMORMainCon", {}, 1);
  {
    Ref<IDBMechanism> a = Acquire(pool);
    Ref<IDBMechanism> b = Acquire(pool);
  }
  EXPECT_EQ(pool.IdleCount(), 1u);
  EXPECT_EQ(pool.OpenedCount(), 2u);
}

TEST_F(HostDbPool, AConnectionOutlivesItsPool) {
  auto pool = std::make_unique<ConnectionPool>(file_.path(), "VELMORMainCon");
  Ref<IDBMechanism> db = Acquire(*pool);
  pool.reset();
  EXPECT_TRUE(db->ExecSQL("create table t (v blob); insert into t values ('a')"));
  EXPECT_EQ(Scalar(*db, "select v from t"), "a");
  // A commit large enough to call for a checkpoint still finds the pool's checkpointer.
  EXPECT_TRUE(db->ExecSQL(BulkInsert(1200))) << db->GetErrorText();
  db.reset();  // closes; nothing to take it back
  Ref<IDBMechanism> other = file_.Connect();
  EXPECT_EQ(Scalar(*other, "select count(*) from t"), "4801");
}

TEST_F(HostDbPool, AFileThatCannotBeOpenedIsReportedAndNotCounted) {
  ConnectionPool pool(file_.dir().File("missing/velmor.db"), "VELMORMainCon");
  std::string error;
  EXPECT_FALSE(pool.Acquire(&error));
  EXPECT_NE(error.find("missing/velmor.db"), std::string::npos) << error;
  EXPECT_EQ(pool.OpenedCount(), 0u);
}

// Connections kept open keep the journal file; after a transaction larger than its limit it is cut
// back once the next transaction starts it over.
TEST_F(HostDbPool, TheJournalOfALargeTransactionIsCutBackWhileConnectionsStayOpen) {
  constexpr uintmax_t kLimit = 64u << 20;
  const std::string journal = file_.path() + "-wal";
  {
    Ref<IDBMechanism> db = Acquire(pool_);
    ASSERT_TRUE(db->ExecSQL("create table t (v blob)"));
    ASSERT_TRUE(
        db->ExecSQL("with recursive n(i) as (select 1 union all select i + 1 from n where i < 80000) "
                    "insert into t select randomblob(1000) from n"))
        << db->GetErrorText();
  }
  ASSERT_GT(std::filesystem::file_size(journal), kLimit);
  ASSERT_TRUE(CheckpointsReach(pool_, 1));  // the log starts over only once it has been copied back
  Ref<IDBMechanism> db = Acquire(pool_);
  ASSERT_TRUE(db->ExecSQL("insert into t values (x'00')"));
  EXPECT_LE(std::filesystem::file_size(journal), kLimit);
  EXPECT_EQ(Scalar(*db, "select count(*) from t"), "80001");
}

TEST_F(HostDbPool, CallersOnSeveralThreadsShareThePool) {
  {
    Ref<IDBMechanism> setup = Acquire(pool_);
    ASSERT_TRUE(setup->ExecSQL("create table t (thread integer, n integer)"));
  }
  constexpr int kThreads = 4, kCalls = 25;
  OnSeveralThreads(kThreads, kCalls, [](IDBMechanism& db, int t, int n) {
    ASSERT_TRUE(db.ExecSQL("insert into t values (" + std::to_string(t) + ", " + std::to_string(n) + ")"))
        << db.GetErrorText();
  });
  Ref<IDBMechanism> db = Acquire(pool_);
  EXPECT_EQ(Scalar(*db, "select count(*) from t"), std::to_string(kThreads * kCalls));
  EXPECT_LE(pool_.OpenedCount(), static_cast<size_t>(kThreads + 1));
}

// A commit past the log's checkpoint size returns before the log is copied back into the file;
// the pool's thread copies it, and the file then holds the rows without its log.
TEST_F(HostDbPool, ALargeCommitIsCopiedBackIntoTheFileByThePoolsThread) {
  Ref<IDBMechanism> db = Acquire(pool_);
  ASSERT_TRUE(db->ExecSQL("create table t (v blob)"));
  ASSERT_TRUE(db->ExecSQL("insert into t values (x'01')"));  // a small commit asks for nothing
  EXPECT_EQ(pool_.CheckpointsRun(), 0u);
  const uintmax_t before = std::filesystem::file_size(file_.path());
  ASSERT_TRUE(db->ExecSQL(BulkInsert(1500))) << db->GetErrorText();
  ASSERT_TRUE(CheckpointsReach(pool_, 1));
  EXPECT_GT(std::filesystem::file_size(file_.path()), before + (10u << 20));
  db.reset();
  // The file alone (its log set aside) holds every row.
  const std::string copy = file_.dir().File("copy.db");
  std::filesystem::copy_file(file_.path(), copy);
  std::string error;
  auto alone = host::db::OpenDatabase(copy, "copy", &error);
  ASSERT_TRUE(alone) << error;
  EXPECT_EQ(Scalar(*alone, "select count(*) from t"), "6001");
  EXPECT_EQ(Scalar(*alone, "pragma integrity_check"), "ok");
}

// Writers on several threads commit large transactions while the pool's thread copies the log
// back: nothing is lost, the file stays sound, and the log is checkpointed in the background.
TEST_F(HostDbPool, LargeCommitsOnSeveralThreadsWhileTheLogIsCopiedBack) {
  {
    Ref<IDBMechanism> setup = Acquire(pool_);
    ASSERT_TRUE(setup->ExecSQL("create table t (v blob)"));
  }
  constexpr int kThreads = 2, kCommits = 3;
  OnSeveralThreads(kThreads, kCommits, [](IDBMechanism& db, int, int) {
    ASSERT_TRUE(db.ExecSQL(BulkInsert(1100))) << db.GetErrorText();
    ASSERT_TRUE(db.ExecSQL("select count(*) from t"));
  });
  ASSERT_TRUE(CheckpointsReach(pool_, 1));
  Ref<IDBMechanism> db = Acquire(pool_);
  EXPECT_EQ(Scalar(*db, "select count(*) from t"), std::to_string(kThreads * kCommits * 4400));
  EXPECT_EQ(Scalar(*db, "pragma integrity_check"), "ok");
}

// A pool let go while its thread may still be copying the log stops it cleanly; the log's last
// pages reach the file when the last connection closes.
TEST_F(HostDbPool, APoolLetGoDuringACheckpointLosesNothing) {
  {
    auto pool = std::make_unique<ConnectionPool>(file_.path(), "VELMORMainCon");
    Ref<IDBMechanism> db = Acquire(*pool);
    ASSERT_TRUE(db->ExecSQL("create table t (v blob)"));
    ASSERT_TRUE(db->ExecSQL(BulkInsert(1200))) << db->GetErrorText();
    db.reset();
    pool.reset();
  }
  EXPECT_FALSE(std::filesystem::exists(file_.path() + "-wal"));
  Ref<IDBMechanism> db = file_.Connect();
  EXPECT_EQ(Scalar(*db, "select count(*) from t"), "4800");
}

}  // namespace
}  // namespace velmor::testing
