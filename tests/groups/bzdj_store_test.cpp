// The statements of the collective and government payers' tables: every read and delete within
// one payer, values quote-doubled, and the checks of a prepared line.
#include "groups/bzdj_store.h"

#include <gtest/gtest.h>

#include "groups/bzdj_ops.h"
#include "service/taxml_json.h"

namespace velmor::groups {
namespace {

TEST(BzDjStatements, PreparedLinesAreReadCountedSummedAndDeletedWithinThePayer) {
  BzDjFilter qc;
  EXPECT_EQ(LinesSelect("100", qc, false), " select * from ds_jtbz where 1 = 1  and djxh = '100'   ");
  EXPECT_EQ(LinesDelete("100", qc), " delete from ds_jtbz where 1 = 1  and djxh = '100'  ");
  EXPECT_EQ(LinesCount("100", qc).rfind(" select count(1) as zs from (  select * from ds_jtbz where 1 = 1  and djxh = "
                                        "'100'",
                                        0),
            0u);
  EXPECT_NE(LinesSum("100", qc).find("ifnull(sum(yjfe), 0) as hj"), std::string::npos);
  qc.page = 3;
  qc.pageSize = 10;
  EXPECT_NE(LinesSelect("100", qc, true).find(" limit 20, 10"), std::string::npos);
  EXPECT_EQ(LinesCount("100", qc).find("limit"), std::string::npos) << "a count is never paged";
}

TEST(BzDjStatements, FilterValuesAreQuoteDoubled) {
  BzDjFilter qc;
  qc.jfnd = "2024' or '1'='1";
  qc.xm = "O'Brien";
  qc.zjhm = "1101";
  const std::string sql = LinesSelect("1' or '1'='1", qc, false);
  EXPECT_NE(sql.find(" and djxh = '1'' or ''1''=''1' "), std::string::npos) << sql;
  EXPECT_NE(sql.find(" and jfnd = '2024'' or ''1''=''1' "), std::string::npos) << sql;
  EXPECT_NE(sql.find(" and xm like '%O''Brien%'"), std::string::npos) << sql;
  EXPECT_NE(sql.find(" and zjhm like '%1101%'"), std::string::npos) << sql;
}

TEST(BzDjStatements, RecordLinesAndListEntriesOnlyThroughARecordOfThePayer) {
  BzDjFilter qc;
  qc.zbid = 7;
  const std::string own = " and zbid = 7 and zbid in (select id from ds_jtbzhsbjlb where djxh = '100') ";
  EXPECT_NE(RecordLinesSelect("100", qc, false).find(own), std::string::npos);
  EXPECT_NE(RecordLinesCount("100", qc).find(own), std::string::npos);
  EXPECT_NE(ListEntriesSelect("100", 7).find(own), std::string::npos);
  EXPECT_EQ(UnpaidSelect("100"),
            " select * from ds_jtbzhsbjlb where djxh = '100'  and sbzt in ('2', '6') and jkzt not in ('3', '8') ");
  qc.sbzt = "2";
  qc.sbrqq = "2026-01-01";
  EXPECT_NE(RecordsSelect("100", qc, false).find(" and sbzt = '2'  and substr(sbrq, 1, 10) >= '2026-01-01' "),
            std::string::npos);
}

TEST(BzDjStatements, CodeListsFilterOnAgencyOrValidity) {
  EXPECT_EQ(DistinctSelect("dwbh", "100", "A'1"),
            " select distinct dwbh from ds_jtbzhcbxxb where djxh = '100'  and sbjbjgDm = 'A''1'  ");
  EXPECT_EQ(DistinctSelect("zgswksDm", "100", "Y"),
            " select distinct zgswksDm from ds_jtbzhcbxxb where djxh = '100'  and upper(yxbz) = 'Y'  ");
  EXPECT_EQ(DistinctSelect("zgswjgDm", "100", ""), " select distinct zgswjgDm from ds_jtbzhcbxxb where djxh = '100'  ");
}

TEST(BzDjLines, AProblemNamesTheFirstMissingFieldOrTheBadAmount) {
  Json line = {{"jfnd", "2024"}, {"sbjbjgdm", "A"}, {"rybh", "R"}, {"xzlxdm", "1"},
               {"xm", "张三"},   {"zjhm", "1"},     {"yjfe", "380"}};
  EXPECT_EQ(LineProblem(line), "");
  EXPECT_EQ(LineProblem(Json::array()), "不是数据行");
  for (const char* key : {"jfnd", "xm", "zjhm"}) {
    Json bad = line;
    bad.erase(key);
    EXPECT_EQ(LineProblem(bad), std::string("缺少") + key);
  }
  line["yjfe"] = "1e999";
  EXPECT_EQ(LineProblem(line), "应缴费额不是数字");
  line["yjfe"] = "-3";
  EXPECT_EQ(LineProblem(line), "应缴费额须大于0");
  line["yjfe"] = 12.5;
  EXPECT_NE(LineInsert("100", line).find(", 12.50) "), std::string::npos) << LineInsert("100", line);
  line.erase("rybh");
  EXPECT_THROW(LineInsert("100", line), service::OpRefusal);
}

TEST(BzDjLines, AmountsThatAreNoNumberCountAsZero) {
  EXPECT_DOUBLE_EQ(NumberOf("80.5"), 80.5);
  EXPECT_DOUBLE_EQ(NumberOf("-3"), -3);
  for (const char* bad : {"", "abc", "12x", "1e999", "nan"}) EXPECT_DOUBLE_EQ(NumberOf(bad), 0) << bad;
}

TEST(BzDjLines, DeclaredLinesAreNumberedFromOneWithTwoDecimals) {
  Json rows = Json::array({{{"rybh", "A"}, {"yjfe", "380"}}, {{"rybh", "B"}, {"yjfe", "80.5"}}});
  Json lines = NumberLines(rows);
  EXPECT_EQ(lines[0]["jfmxxh"], "1");
  EXPECT_EQ(lines[1]["jfmxxh"], "2");
  EXPECT_EQ(lines[1]["yjfe"], "80.50");
}

}  // namespace
}  // namespace velmor::groups
