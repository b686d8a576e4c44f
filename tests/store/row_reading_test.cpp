// Rows read one at a time: through the host's row reader, and through a dataset for a host
// without one, the callbacks see the same names and texts and RowsJson of a query writes what
// RowsJson of its dataset writes. A callback's exception comes out. (A failed query raises the
// caller's text: sql_toolkit_test.cpp.)
#include "store/row_reading.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/json_text.h"
#include "store/sql_toolkit.h"
#include "store_env.h"
#include "velmor/db_row_reader.h"

namespace velmor::testing {
namespace {

struct Read {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;
};

Read ReadAll(IDBMechanism& db, const std::string& sql, size_t stopAfter = SIZE_MAX) {
  Read r;
  ReadRowsOrThrow(
      db, sql, [&](std::span<const std::string_view> names) { r.names.assign(names.begin(), names.end()); },
      [&](std::span<const std::string_view> cells) {
        r.rows.emplace_back(cells.begin(), cells.end());
        return r.rows.size() < stopAfter;
      });
  return r;
}

class RowReading : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    ASSERT_TRUE(db_);
    ASSERT_TRUE(Query<IDBRowReader>(db_)) << "the reference host reads rows one at a time";
    plain_ = Make<PlainConnection>(db_);
    ASSERT_FALSE(Query<IDBRowReader>(plain_));
    ASSERT_TRUE(
        db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (7, '01', 'a''b'), (7, '02', '甲'), "
                     "(7, '03', ''), (8, 'q\"\\', 'x' || char(10) || 'y'), (9, '09', 2.5)"))
        << db_->GetErrorText();
  }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
  Ref<IDBMechanism> plain_;
};

TEST_F(RowReading, BothWaysSeeTheSameNamesAndTexts) {
  for (const char* sql :
       {"select dm, mc, lb from sb_dmmcb order by lb, dm", "select dm, mc as dm, null, nullif(lb, 9) from sb_dmmcb",
        "select * from sb_dmmcb where lb = 99", "select cast(x'ff41' as text) as bad, lb * 0.5 from sb_dmmcb"}) {
    const Read streamed = ReadAll(*db_, sql), held = ReadAll(*plain_, sql);
    EXPECT_EQ(streamed.names, held.names) << sql;
    EXPECT_EQ(streamed.rows, held.rows) << sql;
  }
  EXPECT_EQ(ReadAll(*db_, "select lb from sb_dmmcb order by lb", 2).rows.size(), 2u) << "false stops";
  EXPECT_EQ(ReadAll(*plain_, "select lb from sb_dmmcb order by lb", 2).rows.size(), 2u) << "false stops";
}

TEST_F(RowReading, RowsJsonOfAQueryIsRowsJsonOfItsDataset) {
  const std::vector<RowShape> shapes = {{}, {{{"dm", "code"}}, {"mc"}}, {{{"dm", "mc"}}, {}}, {{}, {"dm", "mc", "lb"}}};
  for (const char* sql : {"select dm, mc, lb from sb_dmmcb order by lb, dm", "select mc, dm, mc as dm from sb_dmmcb",
                          "select * from sb_dmmcb where lb = 99",
                          "select cast(x'e4b8' as text) as t, char(1) || char(31) as \"a\"\"b\" from sb_dmmcb"}) {
    for (size_t i = 0; i < shapes.size(); ++i) {
      Ref<IDBDataSet> ds = QueryOrThrow(*db_, sql);
      const std::string expected = RowsJson(*ds, shapes[i]);
      EXPECT_EQ(RowsJson(*db_, sql, shapes[i]), expected) << sql << " shape " << i;
      EXPECT_EQ(RowsJson(*plain_, sql, shapes[i]), expected) << sql << " shape " << i << ", without the reader";
    }
  }
}

// A listing of more than one batch of rows is written behind the reading, on a second thread: the
// text is still each row as the tree of Rows() would have it, in order, across the batches' edges.
TEST_F(RowReading, AListingOfManyBatchesIsTheTextOfItsRowsInOrder) {
  const std::string rows =
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < %d) "
      "select i as id, case i %% 4 when 0 then '' when 1 then '税' || i when 2 then 'q\"' || char(9) || i "
      "else cast(x'ff' as text) || i end as mc, printf('%%05d', i) as dm from n";
  const RowShape shaped = {{{"dm", "code"}}, {"mc"}};
  for (const int count : {255, 256, 257, 1000}) {
    char sql[512];
    std::snprintf(sql, sizeof sql, rows.c_str(), count);
    nlohmann::ordered_json expected = Rows(*db_, sql);
    ASSERT_EQ(expected.size(), static_cast<size_t>(count));
    EXPECT_EQ(RowsJson(*db_, sql), JsonText(expected)) << count;
    EXPECT_EQ(RowsJson(*plain_, sql), JsonText(expected)) << count << ", without the reader";
    for (nlohmann::ordered_json& row : expected) {
      nlohmann::ordered_json dm = row["dm"];
      row.erase("dm");
      row["code"] = dm;
      if (row["mc"] == "") row.erase("mc");
    }
    EXPECT_EQ(RowsJson(*db_, sql, shaped), JsonText(expected)) << count << ", shaped";
  }
}

TEST_F(RowReading, ACallbacksExceptionComesOutAndTheConnectionGoesOn) {
  for (IDBMechanism* db : {db_.get(), plain_.get()}) {
    int rows = 0;
    EXPECT_THROW(ReadRowsOrThrow(
                     *db, "select lb from sb_dmmcb", [](std::span<const std::string_view>) {},
                     [&](std::span<const std::string_view>) -> bool {
                       if (++rows == 2) throw std::runtime_error("stop here");
                       return true;
                     }),
                 std::runtime_error);
    EXPECT_EQ(rows, 2) << "no row after the exception";
    EXPECT_THROW(ReadRowsOrThrow(
                     *db, "select lb from sb_dmmcb",
                     [](std::span<const std::string_view>) { throw std::runtime_error("no names"); },
                     [&](std::span<const std::string_view>) -> bool {
                       ADD_FAILURE() << "a row after the names failed";
                       return true;
                     }),
                 std::runtime_error);
    EXPECT_TRUE(db->ExecSQL("delete from sb_dmmcb where lb = 9")) << db->GetErrorText();
  }
}

}  // namespace
}  // namespace velmor::testing
