// The SQL toolkit on the host's real database: transactions that roll back unless committed (also
// when a statement or the commit fails), rows as JSON, first column, counts, and the store error's
// two texts.
#include "store/sql_toolkit.h"

#include "store/bound_sql.h"
#include "store/json_text.h"
#include "store/sql.h"
#include "payment/payment_dao.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/db/fault_injection.h"
#include "store_env.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;
using Json = nlohmann::ordered_json;

class SqlToolkit : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    ASSERT_TRUE(db_);
    ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (7, '01', 'a''b'), (7, '02', '甲')"));
  }
  void TearDown() override { FaultInjection::Clear(); }
  std::string Count() { return Scalar(*db_, "select count(*) from sb_dmmcb where lb = 7"); }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
};

TEST_F(SqlToolkit, TransactionRollsBackUnlessCommitted) {
  {
    Transaction tx(*db_);
    ExecOrThrow(*db_, "delete from sb_dmmcb where lb = 7");
    EXPECT_EQ(Count(), "0") << "inside the transaction";
  }
  EXPECT_EQ(Count(), "2") << "left without Commit: rolled back";
  {
    Transaction tx(*db_);
    ExecOrThrow(*db_, "delete from sb_dmmcb where dm = '01' and lb = 7");
    tx.Commit();
  }
  EXPECT_EQ(Count(), "1");
}

TEST_F(SqlToolkit, AFailingStatementLeavesNothingOfTheTransaction) {
  try {
    Transaction tx(*db_, "保存失败。");
    ExecOrThrow(*db_, "delete from sb_dmmcb where dm = '01' and lb = 7");
    ExecOrThrow(*db_, "insert into nope values (1)", "保存失败。");
    tx.Commit();
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.UserText(), "保存失败。");
    EXPECT_EQ(e.EngineText(), "no such table: nope");
    EXPECT_STREQ(e.what(), "保存失败。no such table: nope");
  }
  EXPECT_EQ(Count(), "2");
}

TEST_F(SqlToolkit, AFailedCommitRaisesWithTheTransactionsTextAndStoresNothing) {
  FaultInjection::FailCommit();
  try {
    Transaction tx(*db_, "提交失败。");
    ExecOrThrow(*db_, "delete from sb_dmmcb where lb = 7");
    tx.Commit();
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.UserText(), "提交失败。");
    EXPECT_EQ(e.EngineText(), FaultInjection::kCommitMessage);
  }
  EXPECT_EQ(Count(), "2");
}

TEST_F(SqlToolkit, TheCauseAUserCanActOnFollowsTheFixedText) {
  FaultInjection::FailCommit(1, "database or disk is full");
  try {
    Transaction tx(*db_, "数据库执行异常");
    ExecOrThrow(*db_, "delete from sb_dmmcb where lb = 7");
    tx.Commit();
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.UserText(), "数据库执行异常（磁盘空间不足）");
    EXPECT_EQ(e.EngineText(), "database or disk is full");
  }
  EXPECT_EQ(StoreError("数据库查询异常", "database disk image is malformed [/data/velmor.db]").UserText(),
            "数据库查询异常（数据库文件已损坏：/data/velmor.db）");
  EXPECT_EQ(StoreError("数据库查询异常", "file is not a database").UserText(),
            "数据库查询异常（数据库文件已损坏：请检查数据库文件）");
  EXPECT_EQ(StoreError("保存失败。", "no such table: nope").UserText(), "保存失败。") << "no cause: as it was";
  // Text the database refuses is named as such.
  try {
    ExecOrThrow(*db_, "delete from sb_dmmcb where dm = 'a\xff'", "数据库执行失败");
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.UserText(), "数据库执行失败（文本不是有效的UTF-8）");
  }
  EXPECT_EQ(Count(), "2");
}

TEST_F(SqlToolkit, CommitAndReopenKeepsWhatWasCommitted) {
  {
    Transaction tx(*db_);
    ExecOrThrow(*db_, "delete from sb_dmmcb where dm = '01' and lb = 7");
    tx.CommitAndReopen();
    ExecOrThrow(*db_, "delete from sb_dmmcb where dm = '02' and lb = 7");
  }
  EXPECT_EQ(Count(), "1") << "the first chunk stays, the second is rolled back";
}

TEST_F(SqlToolkit, RowsFirstColumnAndCount) {
  Json rows = Rows(*db_, "select dm, mc from sb_dmmcb where lb = 7 order by dm");
  EXPECT_EQ(rows.dump(), R"([{"dm":"01","mc":"a'b"},{"dm":"02","mc":"甲"}])");
  EXPECT_EQ(Rows(*db_, "select dm from sb_dmmcb where lb = 99"), Json::array());
  EXPECT_EQ(FirstColumn(*db_, "select mc, dm from sb_dmmcb where lb = 7 order by dm").dump(), R"(["a'b","甲"])");
  EXPECT_EQ(QueryCount(*db_, "select count(*) from sb_dmmcb where lb = 7"), 2);
  EXPECT_EQ(QueryCount(*db_, "select dm from sb_dmmcb where lb = 99"), 0) << "no row counts 0";
  Ref<IDBDataSet> ds = QueryOrThrow(*db_, "select dm from sb_dmmcb where lb = 7 order by dm");
  EXPECT_EQ(RowsJson(*ds), R"([{"dm":"01"},{"dm":"02"}])");
}

TEST_F(SqlToolkit, RowsJsonIsTheTextOfRows) {
  // Written row by row, the text is the one the JSON tree of the rows gives, also for a column
  // name two columns share (one member, the later value) and for text that is not UTF-8.
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (8, 'q\"\\', 'x' || char(10) || 'y')"));
  for (const char* sql : {
           "select dm, mc, lb from sb_dmmcb order by lb, dm",
           "select dm, mc as dm from sb_dmmcb order by dm",
           "select * from sb_dmmcb where lb = 99",
           "select dm, cast(x'ff41' as text) as bad from sb_dmmcb",
           // control bytes, a name that needs escaping, a shared name between others
           "select char(1) || char(31) || char(127) || char(8) as \"a\"\"b\", dm, mc, lb as dm from sb_dmmcb",
           // truncated, overlong, surrogate, beyond U+10FFFF, and a four-byte character
           "select cast(x'e4b8' as text) as t, cast(x'c0af' as text) as o, cast(x'eda080' as text) as s, "
           "cast(x'f4908080' as text) as big, cast(x'f09f9880' as text) as ok from sb_dmmcb"}) {
    Ref<IDBDataSet> a = QueryOrThrow(*db_, sql);
    Ref<IDBDataSet> b = QueryOrThrow(*db_, sql);
    EXPECT_EQ(RowsJson(*a), JsonText(Rows(*b))) << sql;
  }
  Ref<IDBDataSet> shared = QueryOrThrow(*db_, "select dm, mc as dm from sb_dmmcb where lb = 7 order by dm");
  EXPECT_EQ(RowsJson(*shared), R"([{"dm":"a'b"},{"dm":"甲"}])");
}

// A shape does to each row what erasing a member and setting the new name does to the row's
// object, then leaves out members whose text is empty.
void ShapeTree(Json& row, const RowShape& shape) {
  for (const auto& [from, to] : shape.renamed) {
    if (auto it = row.find(from); it != row.end()) {
      Json v = *it;
      row.erase(it);
      row[to] = std::move(v);
    }
  }
  for (const std::string& name : shape.omittedWhenEmpty)
    if (auto it = row.find(name); it != row.end() && it->get<std::string>().empty()) row.erase(it);
}

TEST_F(SqlToolkit, ShapedRowsJsonIsTheTextOfTheShapedRows) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (7, '03', '')"));
  const std::vector<RowShape> shapes = {
      {{{"dm", "code"}}, {"mc"}},                  // renamed to the end; dropped when empty
      {{{"dm", "mc"}}, {}},                        // renamed onto a member already there
      {{{"mc", "dm"}, {"dm", "x"}}, {"x"}},        // renamed twice, the second the first's result
      {{{"nope", "x"}}, {"nope", "lb"}},           // names no column has; lb is never empty
      {{}, {"dm", "mc", "lb"}},                    // the first member left out of a row
  };
  for (const char* sql : {"select dm, mc, lb from sb_dmmcb where lb = 7 order by dm",
                          "select mc, dm, mc as dm from sb_dmmcb where lb = 7 order by 2"}) {
    for (size_t i = 0; i < shapes.size(); ++i) {
      Json expected = Rows(*db_, sql);
      for (Json& row : expected) ShapeTree(row, shapes[i]);
      Ref<IDBDataSet> ds = QueryOrThrow(*db_, sql);
      EXPECT_EQ(RowsJson(*ds, shapes[i]), JsonText(expected)) << sql << " shape " << i;
      EXPECT_EQ(RowsJson(*ds, shapes[i]), "[]") << "a walked dataset gives no more rows";
    }
  }
  Ref<IDBDataSet> none = QueryOrThrow(*db_, "select dm from sb_dmmcb where lb = 99");
  EXPECT_EQ(RowsJson(*none, shapes[0]), "[]");
}

TEST_F(SqlToolkit, PaymentLinesWrittenAsTextAreTheLinesShapedOneByOne) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_fkjnxxb(djxh, zsuuid, yhhbmc, dzjfpzdyID) values ('1', 'U1', '建行', ''), "
                           "('1', 'U2', '', 7), ('1', 'U3', null, null)"));
  const char* sql = "select * from sb_fkjnxxb order by id";
  Json expected = Json::array();
  for (Json& row : Rows(*db_, sql)) expected.push_back(payment::LineRow(std::move(row)));
  Ref<IDBDataSet> ds = QueryOrThrow(*db_, sql);
  const std::string text = RowsJson(*ds, payment::LineShape());
  EXPECT_EQ(text, JsonText(expected));
  EXPECT_EQ(Json::parse(text)[0]["yhhbMc"], "建行");
  EXPECT_FALSE(Json::parse(text)[0].contains("dzjfpzdyID"));
  EXPECT_EQ(Json::parse(text)[1]["dzjfpzdyID"], "7");
}

TEST_F(SqlToolkit, BoundValuesStoreWhatTheFormattedStatementStores) {
  ASSERT_TRUE(db_->ExecSQL("delete from sb_dmmcb"));
  BoundValues v;
  const std::string insert = "insert into sb_dmmcb(lb, dm, mc) values (?, ?, ?)";
  // 0.125 and 2.675 round as printf's "%.2f" does (to 0.12 and 2.67, binary values below the half).
  const double amounts[] = {12.5, 0.125, 2.675, 1e15 / 3, -0.004};
  for (int i = 0; i < 5; ++i) {
    v.Clear();
    v.Int(1).Text("b" + std::to_string(i)).Money(amounts[i]);
    EXPECT_EQ(ExecBoundOrThrow(*db_, insert, v), 1);
    ExecOrThrow(*db_, FormatSql("insert into sb_dmmcb(lb, dm, mc) values (%d, %s, %f)",
                                {2, Q("b" + std::to_string(i)), amounts[i]}));
  }
  EXPECT_EQ(Rows(*db_, "select dm, mc, typeof(mc) as t from sb_dmmcb where lb = 1 order by dm"),
            Rows(*db_, "select dm, mc, typeof(mc) as t from sb_dmmcb where lb = 2 order by dm"));
  // Texts passed as temporaries stay valid until the call, however many there are.
  v.Clear();
  v.Int(3);
  for (int i = 0; i < 2; ++i) v.Text(std::string(i ? "long enough to live on the heap" : "s"));
  EXPECT_EQ(ExecBoundOrThrow(*db_, insert, v), 1);
  EXPECT_EQ(Scalar(*db_, "select dm || mc from sb_dmmcb where lb = 3"), "slong enough to live on the heap");
  try {
    ExecBoundOrThrow(*db_, insert, v, "保存失败。");
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.UserText(), "保存失败。");
    EXPECT_EQ(e.EngineText(), "UNIQUE constraint failed: sb_dmmcb.lb, sb_dmmcb.dm");
  }
}

// Every amount is bound as exactly the double the text "%.2f" reads back as: ties below and above
// the half, negatives, zeros, amounts far past any fee (printf writes all their digits) and the
// values that are not numbers.
TEST(BoundSql, AnAmountIsTheDoubleItsTwoDecimalTextReadsBackAs) {
  using Limits = std::numeric_limits<double>;
  const double ties[] = {0.005, 0.015, 0.125, 2.675, -2.675, 123456789.995};
  const double extremes[] = {0.0, -0.0, 1e15 / 3, 1e-300, 1e22, 1e300, -1e300, Limits::max(), Limits::infinity()};
  std::vector<double> amounts(std::begin(ties), std::end(ties));
  amounts.insert(amounts.end(), std::begin(extremes), std::end(extremes));
  amounts.push_back(-Limits::infinity());
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> fees(-1e7, 1e7);
  for (int i = 0; i < 20000; ++i) amounts.push_back(fees(random));
  for (int cents = -100000; cents <= 100000; cents += 7) amounts.push_back(cents / 100.0 + 0.005);
  BoundValues v;
  for (double amount : amounts) {
    v.Clear();
    v.Money(amount);
    std::vector<char> text(512);
    std::snprintf(text.data(), text.size(), "%.2f", amount);
    const double expected = std::strtod(text.data(), nullptr);
    const double bound = v.Values()[0].real;
    EXPECT_EQ(std::memcmp(&bound, &expected, sizeof bound), 0) << text.data() << " from " << amount;
  }
  v.Clear();
  v.Money(std::nan(""));
  EXPECT_TRUE(std::isnan(v.Values()[0].real));
}

TEST(BoundSql, InlineValuesIsTheStatementOfAHostWithoutBoundStatements) {
  BoundValues v;
  v.Int(-3).Text("a'b").Money(2.5);
  EXPECT_EQ(InlineValues("update t set a = ?, b = ? where c = '?' and d = ?", v.Values()),
            "update t set a = -3, b = 'a''b' where c = '?' and d = 2.5");
  EXPECT_EQ(InlineValues("delete from t where b = ?2 and a = ?1", v.Values()), "delete from t where b = 'a''b' and a = -3")
      << "numbered parameters take the values they name";
  EXPECT_THROW(InlineValues("delete from t where a = ?4", v.Values()), StoreError);
  try {
    InlineValues("update t set a = ?", v.Values(), "保存失败。");
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.UserText(), "保存失败。");
    EXPECT_EQ(e.EngineText(), "the statement takes 1 values, 3 were given");
  }
}

// Also on a host without the row reader, whose rows are read through a dataset.
TEST_F(SqlToolkit, QueriesRaiseTheirUserText) {
  Ref<IDBMechanism> plain = Make<PlainConnection>(db_);
  for (IDBMechanism* db : {db_.get(), plain.get()}) {
    for (auto run : {+[](IDBMechanism& db) { Rows(db, "select * from nope", "读取失败。"); },
                     +[](IDBMechanism& db) { FirstColumn(db, "select * from nope", "读取失败。"); },
                     +[](IDBMechanism& db) { QueryCount(db, "select * from nope", "读取失败。"); },
                     +[](IDBMechanism& db) { RowsJson(db, "select * from nope", {}, "读取失败。"); }}) {
      try {
        run(*db);
        ADD_FAILURE() << "no exception";
      } catch (const StoreError& e) {
        EXPECT_EQ(e.UserText(), "读取失败。");
        EXPECT_EQ(e.EngineText(), "no such table: nope");
      }
    }
  }
}

}  // namespace
}  // namespace velmor::testing
