// Reading datasets, and writing through them with Append, Edit and Post.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "db_test_util.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class HostDbDataSet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('10001', 'a', '1'), "
                             "('10001', 'b', null), ('global_param', 'a', '2')"));
  }
  Ref<IDBDataSet> Open(const std::string& sql) {
    Ref<IDBDataSet> ds;
    EXPECT_TRUE(db_->OpenQuery(sql, ds)) << db_->GetErrorText();
    return ds;
  }
  static std::string Text(IDBDataSet& ds, const std::string& name) {
    Ref<IDBField> f = ds.Fields()->FieldByName(name);
    return f ? f->AsString() : "<no field>";
  }

  TempDatabase file_;
  Ref<IDBMechanism> db_ = file_.Connect();
};

TEST_F(HostDbDataSet, ReadsRowsForwardAsText) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = '10001' order by key");
  ASSERT_FALSE(ds->Eof());
  EXPECT_EQ(Text(*ds, "key"), "a");
  EXPECT_EQ(Text(*ds, "VALUE"), "1") << "names compare without regard to case";
  EXPECT_TRUE(ds->Next());
  EXPECT_EQ(Text(*ds, "key"), "b");
  EXPECT_EQ(Text(*ds, "value"), "");
  EXPECT_TRUE(ds->Fields()->FieldByName("value")->IsNull());
  EXPECT_TRUE(ds->Next());
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Text(*ds, "key"), "") << "fields read empty at Eof";
  EXPECT_TRUE(ds->Next()) << "moving past the end stays at Eof";
  EXPECT_TRUE(ds->Eof());
}

TEST_F(HostDbDataSet, FieldsDescribeTheColumns) {
  Ref<IDBDataSet> ds = Open("select djxh, key as k, 1 + 1 as two from sb_xtcsb");
  Ref<IDBFields> fields = ds->Fields();
  ASSERT_EQ(fields->Count(), 3);
  EXPECT_EQ(fields->FieldByIndex(1)->FieldName(), "k");
  EXPECT_FALSE(fields->FieldByIndex(3));
  EXPECT_FALSE(fields->FieldByIndex(-1));
  EXPECT_FALSE(fields->FieldByName("key")) << "the query renamed it";
  EXPECT_EQ(fields->FieldByName("two")->AsInteger(), 2);
}

TEST_F(HostDbDataSet, NumbersTravelAsText) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_fkjnxxb(djxh, sjje, jkzt) values ('1', 12.5, 3), ('1', 100, 0)"));
  Ref<IDBDataSet> ds = Open("select sjje, jkzt, count(*) over () as itemCount from sb_fkjnxxb order by sjje");
  EXPECT_EQ(Text(*ds, "sjje"), "12.5");
  EXPECT_EQ(Text(*ds, "jkzt"), "3");
  EXPECT_EQ(ds->Fields()->FieldByName("itemCount")->AsInteger(), 2);
  EXPECT_EQ(ds->Fields()->FieldByName("sjje")->AsInteger(), 12) << "a real value is truncated";
  ds->Next();
  EXPECT_EQ(Text(*ds, "sjje"), "100.0");
}

TEST_F(HostDbDataSet, AsIntegerOfTextThatIsNoNumberIsZeroWithAReason) {
  Ref<IDBDataSet> ds = Open("select 'abc' as t, ' 42 ' as n, '7.9' as r, 99999999999 as big, null as z");
  Ref<IDBFields> f = ds->Fields();
  EXPECT_EQ(f->FieldByName("n")->AsInteger(), 42);
  EXPECT_EQ(f->FieldByName("r")->AsInteger(), 7);
  EXPECT_EQ(f->FieldByName("z")->AsInteger(), 0);
  EXPECT_EQ(f->FieldByName("t")->AsInteger(), 0);
  EXPECT_EQ(ds->GetErrorText(), "'abc' is not a valid integer value");
  EXPECT_EQ(f->FieldByName("big")->AsInteger(), 0);
  EXPECT_EQ(ds->GetErrorText(), "'99999999999' is out of the integer range");
}

TEST_F(HostDbDataSet, OpenQueryFailuresAreReported) {
  Ref<IDBDataSet> ds;
  EXPECT_FALSE(db_->OpenQuery("select nope from sb_xtcsb", ds));
  EXPECT_FALSE(ds);
  EXPECT_EQ(db_->GetErrorText(), "no such column: nope");
  EXPECT_FALSE(db_->OpenQuery("select 1; delete from sb_xtcsb", ds));
  EXPECT_EQ(db_->GetErrorText(), "only one statement is allowed here, the text holds more");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb"), "3") << "the second statement never ran";
  EXPECT_TRUE(db_->OpenQuery("select 1; ", ds)) << "a trailing semicolon is fine";
  EXPECT_FALSE(db_->OpenQuery("", ds));
  EXPECT_EQ(db_->GetErrorText(), "empty SQL statement");
}

TEST_F(HostDbDataSet, QueryOfTheDialectsFeatures) {
  Ref<IDBDataSet> ds = Open(
      "with p as (select djxh, key, ifnull(value, 'none') v from sb_xtcsb) "
      "select substr(djxh, 1, 3) || '-' || v as x, date('2024-03-01') as d from p order by x limit 1, 1");
  EXPECT_EQ(Text(*ds, "x"), "100-none");
  EXPECT_EQ(Text(*ds, "d"), "2024-03-01");
}

TEST_F(HostDbDataSet, AppendAtEofInsertsTheRow) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = '10002' and key = 'k'");
  ASSERT_TRUE(ds->Eof());
  ASSERT_TRUE(ds->Append());
  Ref<IDBFields> f = ds->Fields();
  ASSERT_TRUE(f->FieldByName("djxh")->SetAsString("10002"));
  ASSERT_TRUE(f->FieldByName("key")->SetAsString("k"));
  ASSERT_TRUE(f->FieldByName("value")->SetAsString("it's'; drop table sb_xtcsb; --"));
  EXPECT_EQ(Text(*ds, "value"), "it's'; drop table sb_xtcsb; --") << "pending values read back";
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  EXPECT_FALSE(ds->Eof()) << "the dataset stands on the written row";
  EXPECT_EQ(Text(*ds, "key"), "k");
  EXPECT_EQ(Scalar(*db_, "select value from sb_xtcsb where djxh = '10002'"), "it's'; drop table sb_xtcsb; --");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb"), "4");
}

TEST_F(HostDbDataSet, EditChangesOnlyTheCurrentRow) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where key = 'a' order by djxh");
  ASSERT_EQ(Text(*ds, "djxh"), "10001");
  ASSERT_TRUE(ds->Edit());
  ASSERT_TRUE(ds->Fields()->FieldByName("value")->SetAsString("9"));
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  EXPECT_EQ(Text(*ds, "value"), "9");
  EXPECT_EQ(Column(*db_, "select value from sb_xtcsb where key = 'a' order by djxh"),
            (std::vector<std::string>{"9", "2"}));
  // Edit the same row again through the values it was written with.
  ASSERT_TRUE(ds->Edit());
  ASSERT_TRUE(ds->Fields()->FieldByName("value")->SetAsString("10"));
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  ds->Next();
  EXPECT_EQ(Text(*ds, "djxh"), "global_param");
  EXPECT_EQ(Column(*db_, "select value from sb_xtcsb where key = 'a' order by djxh"),
            (std::vector<std::string>{"10", "2"}));
}

TEST_F(HostDbDataSet, EditOfANullValueAndOfTypedColumns) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_fkjnxxb(djxh, sjje, jkzt, dzjfpzdyID) values ('1', 0.1, 3, null)"));
  Ref<IDBDataSet> ds = Open("select id, djxh, sjje, jkzt, dzjfpzdyID from sb_fkjnxxb");
  ASSERT_TRUE(ds->Edit());
  ASSERT_TRUE(ds->Fields()->FieldByName("jkzt")->SetAsString("7"));
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  EXPECT_EQ(Scalar(*db_, "select typeof(jkzt) || ':' || jkzt from sb_fkjnxxb"), "integer:7");
  Ref<IDBDataSet> b = Open("select * from sb_xtcsb where key = 'b'");
  ASSERT_TRUE(b->Edit());
  ASSERT_TRUE(b->Fields()->FieldByName("value")->SetAsString("x"));
  ASSERT_TRUE(b->Post()) << b->GetErrorText();
  EXPECT_EQ(Scalar(*db_, "select value from sb_xtcsb where key = 'b'"), "x");
}

TEST_F(HostDbDataSet, EditOfARowChangedMeanwhileFails) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = '10001' and key = 'a'");
  ASSERT_TRUE(file_.Connect()->ExecSQL("update sb_xtcsb set value = 'other' where djxh = '10001' and key = 'a'"));
  ASSERT_TRUE(ds->Edit());
  ASSERT_TRUE(ds->Fields()->FieldByName("value")->SetAsString("mine"));
  EXPECT_FALSE(ds->Post());
  EXPECT_EQ(ds->GetErrorText(), "cannot post: the row was changed or removed after it was read");
  EXPECT_EQ(Scalar(*db_, "select value from sb_xtcsb where djxh = '10001' and key = 'a'"), "other");
}

TEST_F(HostDbDataSet, PostThatViolatesTheKeyFailsAndStaysPending) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = '10001' and key = 'zz'");
  ASSERT_TRUE(ds->Append());
  ds->Fields()->FieldByName("djxh")->SetAsString("10001");
  ds->Fields()->FieldByName("key")->SetAsString("a");
  EXPECT_FALSE(ds->Post());
  EXPECT_EQ(ds->GetErrorText(), "UNIQUE constraint failed: sb_xtcsb.djxh, sb_xtcsb.key");
  ASSERT_TRUE(ds->Fields()->FieldByName("key")->SetAsString("zz"));
  EXPECT_TRUE(ds->Post()) << ds->GetErrorText();
}

TEST_F(HostDbDataSet, MisuseIsReportedNotRaised) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = 'none'");
  EXPECT_FALSE(ds->Edit());
  EXPECT_EQ(ds->GetErrorText(), "cannot edit: there is no current row");
  EXPECT_FALSE(ds->Post());
  EXPECT_EQ(ds->GetErrorText(), "nothing to post: call Append or Edit first");
  Ref<IDBDataSet> row = Open("select * from sb_xtcsb where djxh = '10001' and key = 'a'");
  EXPECT_FALSE(row->Fields()->FieldByName("value")->SetAsString("x"));
  EXPECT_EQ(row->GetErrorText(), "cannot set value: the dataset is not in Append or Edit");
  ASSERT_TRUE(row->Edit());
  row->Fields()->FieldByName("value")->SetAsString("x");
  row->Cancel();
  EXPECT_EQ(Text(*row, "value"), "1");
  EXPECT_FALSE(row->Post());
  EXPECT_EQ(Scalar(*db_, "select value from sb_xtcsb where djxh = '10001' and key = 'a'"), "1");
}

TEST_F(HostDbDataSet, OnlyAPlainQueryOfOneTableIsEditable) {
  Ref<IDBDataSet> join = Open("select a.djxh, b.mc from sb_xtcsb a left join sb_dmmcb b on a.key = b.dm");
  EXPECT_FALSE(join->Append());
  EXPECT_EQ(join->GetErrorText(), "cannot append: the columns come from more than one table");
  Ref<IDBDataSet> computed = Open("select djxh, upper(key) as k from sb_xtcsb");
  EXPECT_FALSE(computed->Edit());
  EXPECT_EQ(computed->GetErrorText(), "cannot edit: column k is not a plain column of a table");
  Ref<IDBDataSet> counted = Open("select count(*) as zs from sb_xtcsb");
  EXPECT_FALSE(counted->Edit());
}

TEST_F(HostDbDataSet, InjectedFailureOfPostLeavesTheRowPending) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = '3' and key = 'k'");
  ASSERT_TRUE(ds->Append());
  ds->Fields()->FieldByName("djxh")->SetAsString("3");
  ds->Fields()->FieldByName("key")->SetAsString("k");
  FaultInjection::FailStatement(1);
  EXPECT_FALSE(ds->Post());
  EXPECT_EQ(ds->GetErrorText(), FaultInjection::kStatementMessage);
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb where djxh = '3'"), "0");
  EXPECT_TRUE(ds->Post());
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb where djxh = '3'"), "1");
}

TEST_F(HostDbDataSet, WalkingRowsHoldsNoSnapshotThatBlocksOwnWrites) {
  Ref<IDBDataSet> ds = Open("select djxh, key from sb_xtcsb order by djxh, key");
  ASSERT_TRUE(file_.Connect()->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('9', 'z', '')"));
  int rows = 0;
  for (; !ds->Eof(); ds->Next(), ++rows) {
    EXPECT_TRUE(db_->ExecSQL("update sb_xtcsb set value = 'seen' where djxh = '" + Text(*ds, "djxh") +
                             "' and key = '" + Text(*ds, "key") + "'"))
        << db_->GetErrorText();
  }
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb where value = 'seen'"), "3");
}

// Results of several blocks (4 MiB of values or 256 Ki values each), which the dataset lets go of
// as the reader passes them.
class HostDbDataSetLarge : public HostDbDataSet {
 protected:
  static constexpr int kRows = 3000;  // 2,000-byte values: about 6 MB, two blocks
  void SetUp() override {
    ASSERT_TRUE(db_->ExecSQL(
        "insert into sb_xtcsb(djxh, key, value) with recursive n(i) as (select 1 union all select i + 1 from n "
        "where i < " + std::to_string(kRows) + ") select 'big', printf('%05d', i), printf('%2000d', i) from n"));
  }
  static std::string Key(int i) {
    char key[8];
    std::snprintf(key, sizeof key, "%05d", i);
    return key;
  }
};

TEST_F(HostDbDataSetLarge, EveryValueOfManyBlocksReadsBackInOrder) {
  // 70,000 rows of four values pass the 256 Ki records of a block; one value alone is larger
  // than a block's bytes.
  Ref<IDBDataSet> ds = Open(
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < 70000) "
      "select i, i * 0.5 as half, 'r' || i as t, case when i = 65000 then printf('%.*c', 5000000, 'x') end as big "
      "from n");
  int expected = 1;
  for (; !ds->Eof(); ds->Next(), ++expected) {
    Ref<IDBFields> f = ds->Fields();
    ASSERT_EQ(f->FieldByName("i")->AsInteger(), expected);
    ASSERT_EQ(std::strtod(f->FieldByName("half")->AsString().c_str(), nullptr), expected * 0.5);
    ASSERT_EQ(f->FieldByName("t")->AsString(), "r" + std::to_string(expected));
    ASSERT_EQ(f->FieldByName("big")->AsString().size(), expected == 65000 ? 5000000u : 0u);
    ASSERT_EQ(f->FieldByName("big")->IsNull(), expected != 65000);
  }
  EXPECT_EQ(expected, 70001);
}

TEST_F(HostDbDataSetLarge, EditAndAppendAfterEarlierBlocksWereLetGo) {
  Ref<IDBDataSet> ds = Open("select * from sb_xtcsb where djxh = 'big' order by key");
  for (int i = 1; i < 2500; ++i) ds->Next();
  ASSERT_EQ(Text(*ds, "key"), Key(2500));
  ASSERT_TRUE(ds->Edit());
  ASSERT_TRUE(ds->Fields()->FieldByName("value")->SetAsString("edited"));
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  EXPECT_EQ(Text(*ds, "value"), "edited");
  // A row appended in the middle becomes current; the rows after it follow.
  ASSERT_TRUE(ds->Append());
  ds->Fields()->FieldByName("djxh")->SetAsString("big");
  ds->Fields()->FieldByName("key")->SetAsString("middle");
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  EXPECT_EQ(Text(*ds, "key"), "middle");
  ds->Next();
  EXPECT_EQ(Text(*ds, "key"), Key(2500)) << "the edited row follows the appended one";
  ds->Next();
  EXPECT_EQ(Text(*ds, "key"), Key(2501));
  int rest = 0;
  for (; !ds->Eof(); ds->Next()) ++rest;
  EXPECT_EQ(rest, kRows - 2500);
  // At the end, every block passed: an appended row stands alone and can be edited again.
  ASSERT_TRUE(ds->Append());
  ds->Fields()->FieldByName("djxh")->SetAsString("big");
  ds->Fields()->FieldByName("key")->SetAsString("last");
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  ASSERT_FALSE(ds->Eof());
  ASSERT_TRUE(ds->Edit());
  ds->Fields()->FieldByName("value")->SetAsString("again");
  ASSERT_TRUE(ds->Post()) << ds->GetErrorText();
  ds->Next();
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Scalar(*db_, "select value from sb_xtcsb where key = '" + Key(2500) + "'"), "edited");
  EXPECT_EQ(Scalar(*db_, "select value from sb_xtcsb where key = 'last'"), "again");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_xtcsb where djxh = 'big'"), std::to_string(kRows + 2));
}

}  // namespace
}  // namespace velmor::testing
