// Bulk items on the host's real database: several rows of values run by one item's statements,
// each row by the statement-item rules, a failing row inside an item, and BulkRows' grouping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/db/fault_injection.h"
#include "store/background/asyn_exec_sql.h"
#include "store/background/base_asyn_exec_sql.h"
#include "store/background/bulk_rows.h"
#include "store_env.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

constexpr std::string_view kDrop = "delete from sb_ryjbxxb where djxh = ?1 and rydjxh = ?2";
constexpr std::string_view kRename = "update sb_ryjbxxb set xm = ?3 where djxh = ?1 and rydjxh = ?2";
constexpr std::string_view kInsert = "insert into sb_ryjbxxb (djxh, rydjxh, xm, fzid) values (?1, ?2, ?3, -1)";

SqlItem Bulk(std::string_view first, std::string_view second, std::string_view third,
             const std::vector<std::vector<std::string>>& rows) {
  SqlItem item;
  item.first = first;
  item.second = second;
  item.third = third;
  item.values.SetWidth(3);
  for (const auto& row : rows)
    for (const std::string& v : row) item.values.Add(v);
  return item;
}

class BulkItems : public ::testing::Test {
 protected:
  // The first column of each row, each followed by ';'.
  std::string Q(const std::string& sql) {
    std::string out;
    for (const std::string& v : Column(*env_.Db(), sql)) out += v + ";";
    return out;
  }
  StoreEnv env_;
};

TEST(SqlValues, PacksValuesAndNeverHandsANullPointer) {
  SqlValues v{"a", "", "张'三"};
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0], "a");
  EXPECT_EQ(v[1], "");
  EXPECT_NE(v[1].data(), nullptr) << "an empty text is bound as '' (a null pointer would be NULL)";
  EXPECT_EQ(v[2], "张'三");
  EXPECT_EQ(v.Rows(), 1u);
  v.SetWidth(3);
  v.Add("b").Add("").Add("c");
  EXPECT_EQ(v.Rows(), 2u);
  EXPECT_EQ(v[5], "c");
}

TEST_F(BulkItems, EachRowFollowsTheItemRulesWithItsOwnValues) {
  ASSERT_TRUE(env_.Db()->ExecSQL("insert into sb_ryjbxxb (djxh, rydjxh, xm) values ('D1', 'R1', 'old'), "
                                 "('D1', 'R2', 'copy'), ('D1', 'R2', 'copy')"));
  Ref<IDBCommand> cmd = env_.Db()->GetCommand(0);
  const SqlItem item = Bulk(kDrop, kRename, kInsert,
                            {{"D1", "R1", "one"}, {"D1", "R2", "two"}, {"D1", "R3", "it's ?1 三"}, {"D1", "R4", ""}});
  ASSERT_EQ(ItemRows(item), 4u);
  ItemCounts counts;
  for (size_t row = 0; row < ItemRows(item); ++row) EXPECT_TRUE(ExecuteSqlItem(*cmd, item, counts, row).ok());
  EXPECT_EQ(Q("select rydjxh || ',' || xm || ',' || typeof(xm) from sb_ryjbxxb order by rydjxh"),
            "R1,one,text;R2,two,text;R3,it's ?1 三,text;R4,,text;")
      << "updated in place, copies collapsed, new rows inserted; values stored as they are";
  EXPECT_EQ(counts.updated, 1);
  EXPECT_EQ(counts.inserted, 3);
}

TEST_F(BulkItems, AnIncompleteRowFailsTheBatch) {
  SqlItem item = Bulk({}, {}, kInsert, {{"D1", "R1", "a"}});
  item.values.Add("D1");  // a fourth value: not a whole row
  EXPECT_THROW(ItemRows(item), Exception);
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  writer->AddSql(Bulk({}, {}, kInsert, {{"D1", "R0", "a"}}));
  writer->AddSql(std::move(item));
  EXPECT_THROW(writer->WaitForIdle(600000), Exception);
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb"), "0;");
}

TEST_F(BulkItems, AFailingUpdateSkipsItsRowAndAFailingInsertStoresNothing) {
  auto writer = MakeWriter<TAsynExecSql>(env_.Db());
  constexpr std::string_view kBadUpdate = "update sb_ryjbxxb set nosuchcolumn = ?3 where djxh = ?1 and rydjxh = ?2";
  writer->AddSql(Bulk({}, kBadUpdate, kInsert, {{"D1", "R1", "a"}, {"D1", "R2", "b"}}));
  writer->AddSql(Bulk({}, {}, kInsert, {{"D1", "R3", "c"}}));
  EXPECT_TRUE(writer->WaitForIdle(600000));
  EXPECT_EQ(Q("select rydjxh from sb_ryjbxxb"), "R3;") << "both rows' updates failed and were skipped";

  // The third statement of the second row fails: the whole batch goes, the first row too.
  ASSERT_TRUE(env_.Db()->ExecSQL("delete from sb_ryjbxxb"));
  FaultInjection::FailStatement(2);  // armed first: the thread runs at once
  writer->AddSql(Bulk({}, {}, kInsert, {{"D1", "R1", "a"}, {"D1", "R2", "b"}, {"D1", "R3", "c"}}));
  EXPECT_THROW(writer->WaitForIdle(600000), Exception);
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb"), "0;");
  FaultInjection::Clear();

  // The counting writer counts every row of a bulk item.
  auto base = MakeWriter<TBaseAsynExecSql>(env_.Db());
  base->StartCounting();
  base->AddSql(Bulk(kDrop, kRename, kInsert, {{"D1", "R1", "a"}, {"D1", "R2", "b"}}));
  base->AddSql(Bulk(kDrop, kRename, kInsert, {{"D1", "R1", "a2"}}));
  EXPECT_TRUE(base->WaitForIdle(true, nullptr, 600000, 0));
  EXPECT_EQ(base->InsertCount(), 2);
  EXPECT_EQ(base->UpdateCount(), 1);
  EXPECT_EQ(base->ExecCount(), 5);
}

TEST(BulkRows, RowsOfTheSameStatementsShareAnItemInTheirOrder) {
  std::vector<SqlItem> items;
  BulkRows rows(2, 3, [&](SqlItem item) { items.push_back(std::move(item)); });
  for (int i = 0; i < 4; ++i) rows.Row({}, {}, kInsert).Add("D").Add(std::to_string(i));
  rows.Row(kDrop, kRename, kInsert).Add("D").Add("u");  // other statements: the waiting rows go first
  rows.Row({}, {}, kInsert).Add("D").Add("4");
  EXPECT_EQ(rows.Waiting(), 1u);
  rows.Flush();
  rows.Flush();  // nothing waiting: nothing queued
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(ItemRows(items[0]), 3u);
  EXPECT_EQ(items[0].values[5], "2");
  EXPECT_EQ(ItemRows(items[1]), 1u);
  EXPECT_EQ(items[1].values[1], "3");
  EXPECT_EQ(items[2].second, kRename);
  EXPECT_EQ(items[2].values[1], "u");
  EXPECT_EQ(items[3].third, kInsert);
  EXPECT_EQ(items[3].values[1], "4");

  // A statement text equal in content but elsewhere counts as other statements (compared by place).
  const std::string copy(kInsert);
  rows.Row({}, {}, kInsert).Add("D").Add("5");
  rows.Row({}, {}, copy).Add("D").Add("6");
  rows.Flush();
  EXPECT_EQ(items.size(), 6u);
}

TEST(BulkRows, AnIncompleteRowIsRefusedAndDropForgetsTheWaitingRows) {
  std::vector<SqlItem> items;
  BulkRows rows(2, 100, [&](SqlItem item) { items.push_back(std::move(item)); });
  rows.Row({}, {}, kInsert).Add("D");
  EXPECT_THROW(rows.Row({}, {}, kInsert), Exception);
  EXPECT_THROW(rows.Flush(), Exception);
  rows.Drop();
  rows.Flush();
  EXPECT_TRUE(items.empty());
}

}  // namespace
}  // namespace velmor::testing
