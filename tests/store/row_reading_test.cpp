// Rows read one at a time: through the host's row reader, and through a dataset for a host
// without one, the callbacks see the same names and texts and RowsJson of a query writes what
// RowsJson of its dataset writes. A callback's exception comes out. (A failed query raises the
// caller's text: sql_toolkit_test.cpp.)
#include "store/row_reading.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

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
