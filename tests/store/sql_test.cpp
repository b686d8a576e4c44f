// The SQL toolkit's texts: escaping, formatting, filters, paging, count/page pairs, mark-and-sweep.
#include <gtest/gtest.h>

#include "store/mark_sweep.h"
#include "store/paging.h"
#include "store/sql.h"
#include "store/sql_filters.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return std::string(e.ClassName()) + ": " + e.what();
  }
  return "no exception";
}

TEST(Sql, QuoteDoubling) {
  EXPECT_EQ(EscapeSql("it's"), "it''s");
  EXPECT_EQ(EscapeSql("''"), "''''");
  EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("张三"), "'张三'");
}

TEST(Sql, EveryValueIsEscapedCodesAndIdentifiersToo) {
  EXPECT_EQ(FormatSql(" select * from sb_xtcsb where djxh = '%s' and key = '%s' ", {V("1' or '1'='1"), V("k")}),
            " select * from sb_xtcsb where djxh = '1'' or ''1''=''1' and key = 'k' ");
  EXPECT_EQ(FormatSql(" update sb_dmmcb set mc = %s where lb = %d and dm = %s ", {Q("a'b"), 6, Q("x")}),
            " update sb_dmmcb set mc = 'a''b' where lb = 6 and dm = 'x' ");
  EXPECT_EQ(FormatSql("%0:s-%1:s-%0:s", {V("a"), V("b")}), "a-b-a");
}

TEST(Sql, NumbersAsTheStoresWriteThem) {
  EXPECT_EQ(FormatSql("%d %d", {-1, int64_t{9999900000}}), "-1 9999900000");
  EXPECT_EQ(FormatSql("%f|%.4f|%f", {1.0, 2.5, -1234.5}), "1.00|2.5000|-1234.50");
}

TEST(Sql, ArgumentsThatDoNotFitTheTemplateRaise) {
  EXPECT_EQ(ErrorOf([] { FormatSql("lb = %d", {V("6")}); }),
            "EConvertError: Format 'lb = %d' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf([] { FormatSql("'%s' '%s'", {V("a")}); }), "EConvertError: No argument for format ''%s' '%s''");
}

TEST(Sql, FiltersOnlyForGivenValues) {
  SqlFilters f;
  f.AddLike(" and a.xm like ", "O'Ne%")
      .AddValue(" and a.zjlx = '%s'", "")
      .AddQuoted(" and zjhm=", "1'2")
      .AddIf(true, kLocalOriginFilter)
      .AddIf(false, kServerOriginFilter)
      .AddNumber(true, " and zbid = %d ", 7);
  EXPECT_EQ(f.Build().str(), " and a.xm like '%O''Ne\\%%' escape '\\' and zjhm='1''2' and ly = '1'  and zbid = 7 ");
  EXPECT_TRUE(SqlFilters().AddLike(" and xm like ", "").AddValue(" and x = '%s'", "").empty());
  EXPECT_EQ(SqlFilters().AddValue(" and a.zjlx = '%s'", "2'01").Build().str(), " and a.zjlx = '2''01'");
}

TEST(Sql, PagingSuffix) {
  EXPECT_EQ(PagingSuffix(kAllPages, 20).str(), "");
  EXPECT_EQ(PagingSuffix(-1, 0).str(), "") << "all rows whatever the size";
  EXPECT_EQ(PagingSuffix(1, 20).str(), " limit 0, 20");
  EXPECT_EQ(PagingSuffix(3, 20).str(), " limit 40, 20");
  EXPECT_EQ(PagingSuffix(3, 20, true).str(), " LIMIT 40, 20");
  EXPECT_EQ(PagingSuffix(100000, 100000).str(), " limit 9999900000, 100000") << "no overflow";
  EXPECT_EQ(ErrorOf([] { PagingSuffix(0, 20); }), "Exception: 无效的分页参数：第0页，每页20行");
  EXPECT_EQ(ErrorOf([] { PagingSuffix(-2, 20); }), "Exception: 无效的分页参数：第-2页，每页20行");
  EXPECT_EQ(ErrorOf([] { PagingSuffix(2, 0); }), "Exception: 无效的分页参数：第2页，每页0行");
}

TEST(Sql, CountAndPageShareOneTemplate) {
  SqlFilters f;
  f.AddLike(" and xm like ", "张");
  PagedSelect q("select %s from sb_ryjbxxb where djxh = '%s' %s %s",
                {V("1'0"), f.Build(), SqlArg::PageOnly(" order by id desc ")});
  EXPECT_EQ(q.Count(), "select count(*) as zs from sb_ryjbxxb where djxh = '1''0'  and xm like '%张%' escape '\\' ");
  EXPECT_EQ(q.Page(" *", 2, 10),
            "select  * from sb_ryjbxxb where djxh = '1''0'  and xm like '%张%' escape '\\'  order by id desc  limit 10, 10");
  EXPECT_EQ(q.Page("xm, zjhm", kAllPages, 10, " -- tail"),
            "select xm, zjhm from sb_ryjbxxb where djxh = '1''0'  and xm like '%张%' escape '\\'  order by id desc  -- tail");
}

TEST(Sql, MarkAndSweepStatementsOfTheRoster) {
  EXPECT_EQ(MarkStatement(kRosterTables, "1"),
            " update sb_ryjbxxb set updateflag = 0 where djxh = '1';  update sb_rycbjgxxb set updateflag = 0 where "
            "djxh = '1';  update sb_rycbxmb set updateflag = 0 where djxh = '1';  update sb_rycbztb set updateflag = "
            "0 where djxh = '1'; ");
  EXPECT_EQ(SweepStatement(kRosterTables, "1"),
            " delete from sb_ryjbxxb where djxh = '1' and updateflag = 0;  delete from sb_rycbjgxxb where djxh = '1' "
            "and updateflag = 0;  delete from sb_rycbxmb where djxh = '1' and updateflag = 0;  delete from sb_rycbztb "
            "where djxh = '1' and updateflag = 0; ");
  constexpr std::string_view one[] = {"ds_ybgrzh_cxjmdjxx"};
  EXPECT_EQ(MarkStatement(one, "x';--"), " update ds_ybgrzh_cxjmdjxx set updateflag = 0 where djxh = 'x'';--'; ");
  constexpr std::string_view bad[] = {"t; drop table x"};
  EXPECT_EQ(ErrorOf([&] { MarkStatement(bad, "1"); }), "Exception: 无效的表名：t; drop table x");
}

}  // namespace
}  // namespace velmor::testing
