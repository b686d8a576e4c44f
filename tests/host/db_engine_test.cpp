// The engine the host database is built on, whichever library it is (the amalgamation built with
// the host, or the system's): what the host relies on of it beyond plain SQL.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "db_test_util.h"
#include "host/db/connection.h"
#include "host/db/database.h"

namespace velmor::testing {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostDbEngine, ConnectionsMayBeHandedBetweenThreads) {
  // The pool hands a connection to whichever thread asks next and the checkpointer runs on a
  // thread of its own: an engine built single-threaded would corrupt its shared state.
  EXPECT_NE(sqlite3_threadsafe(), 0);
}

TEST(HostDbEngine, ADeletedPersonLeavesNoTraceInTheFile) {
  // Identity numbers of persons removed from the roster must not stay readable in the file's
  // free space: the engine overwrites deleted content.
  TempDatabase file;
  std::string error;
  std::unique_ptr<host::db::Connection> conn = host::db::OpenConnection(file.path(), "test", &error);
  ASSERT_TRUE(conn) << error;
  sqlite3* db = conn->Handle();
  const std::string marker = "ZJHM-4401-TRACE-7731";
  ASSERT_EQ(sqlite3_exec(db, ("create table t(v text); insert into t values ('" + marker + "');").c_str(), nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_NE(FileBytes(file.path()).find(marker), std::string::npos) << "the row is in the file before";
  ASSERT_EQ(sqlite3_exec(db, "delete from t", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(FileBytes(file.path()).find(marker), std::string::npos);
  EXPECT_EQ(FileBytes(file.path() + "-wal").find(marker), std::string::npos);
}

TEST(HostDbEngine, AStatementNamesTheTableAndColumnOfEachResult) {
  // The dataset's field names and the store's row reading ask the engine where a column comes from.
  TempDatabase file;
  std::string error;
  std::unique_ptr<host::db::Connection> conn = host::db::OpenConnection(file.path(), "test", &error);
  ASSERT_TRUE(conn) << error;
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(conn->Handle(), "select djxh as d from sb_ryjbxxb", -1, &stmt, nullptr), SQLITE_OK);
  EXPECT_STREQ(sqlite3_column_table_name(stmt, 0), "sb_ryjbxxb");
  EXPECT_STREQ(sqlite3_column_origin_name(stmt, 0), "djxh");
  EXPECT_STREQ(sqlite3_column_name(stmt, 0), "d");
  sqlite3_finalize(stmt);
}

TEST(HostDbEngine, StatementsOfTheSystemLibrarysDialectRun) {
  // Statements written against the system's library keep working on the engine built here:
  // UPDATE and DELETE with ORDER BY ... LIMIT, the math and soundex functions.
  TempDatabase file;
  Ref<IDBMechanism> db = file.Connect();
  ASSERT_TRUE(db);
  ASSERT_TRUE(db->ExecSQL("create table t(a integer)")) << db->GetErrorText();
  ASSERT_TRUE(db->ExecSQL("insert into t values (1), (2), (3)")) << db->GetErrorText();
  ASSERT_TRUE(db->ExecSQL("delete from t where a > 0 order by a limit 1")) << db->GetErrorText();
  ASSERT_TRUE(db->ExecSQL("update t set a = 9 where a > 0 order by a desc limit 1")) << db->GetErrorText();
  EXPECT_EQ(Column(*db, "select a from t order by a"), (std::vector<std::string>{"2", "9"}));
  EXPECT_EQ(Scalar(*db, "select floor(2.5) || ',' || power(2, 10) || ',' || soundex('Robert')"), "2.0,1024.0,R163");
}

}  // namespace
}  // namespace velmor::testing
