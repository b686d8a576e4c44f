// The pool of connections behind the platform manager: reuse, what is never reused, the bound on
// idle connections, a pool gone before its connections, and callers on several threads.
#include "host/db/connection_pool.h"

#include <gtest/gtest.h>

#include <filesystem>
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

  TempDatabase file_;
  ConnectionPool pool_{file_.path(), "VELMORMainCon"};
};

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
  EXPECT_TRUE(db->ExecSQL("create table t (v text); insert into t values ('a')"));
  EXPECT_EQ(Scalar(*db, "select v from t"), "a");
  db.reset();  // closes; nothing to take it back
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
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int n = 0; n < kCalls; ++n) {
        std::string error;
        Ref<IDBMechanism> db = pool_.Acquire(&error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(db->ExecSQL("insert into t values (" + std::to_string(t) + ", " + std::to_string(n) + ")"))
            << db->GetErrorText();
      }
    });
  for (std::thread& t : threads) t.join();
  Ref<IDBMechanism> db = Acquire(pool_);
  EXPECT_EQ(Scalar(*db, "select count(*) from t"), std::to_string(kThreads * kCalls));
  EXPECT_LE(pool_.OpenedCount(), static_cast<size_t>(kThreads + 1));
}

}  // namespace
}  // namespace velmor::testing
