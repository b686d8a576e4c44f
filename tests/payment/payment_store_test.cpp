// The payment store: stored lines read back with their keys, the filters and paging, the voucher
// summary, timed-out deductions, certificate print records, and whole-or-nothing writes.
#include <ctime>

#include "payment/payment_store_fixture.h"

namespace velmor::testing {
namespace {

// ---- Lines paid or vouchered -----------------------------------------------------------------

TEST_F(PaymentStore, CommittedLinesReadBackWithTheirKeysNewestFirst) {
  Json a = Line("Y1", "1", "U1"), b = Line("Y1", "2", "U2");
  b["jksj"] = "2024-03-01 09:00:00";
  ASSERT_TRUE(pay_->CommitData(Json::array({a, b}).dump(), 1, 0, "", "", "")) << pay_->GetErrorMessage();
  std::string text;
  Json rows = Out(pay_->GetData("", 1, 2, 0, 0, text), text);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["zsuuid"], "U2");  // page 0: every row, newest jksj first
  EXPECT_EQ(rows[0]["yhhbMc"], "建设银行");
  EXPECT_FALSE(rows[0].contains("yhhbmc"));
  EXPECT_FALSE(rows[0].contains("dzjfpzdyID"));  // no certificate yet
  EXPECT_EQ(rows[0]["dyzt"], "0");
  EXPECT_EQ(rows[0]["jkfs"], "1");
  EXPECT_EQ(rows[0]["djxh"], kPayer);
  rows = Out(pay_->GetData("", 1, 2, 2, 1, text), text);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["zsuuid"], "U1");
  int32_t n = 0;
  ASSERT_TRUE(pay_->GetCount("", 1, 2, n));
  EXPECT_EQ(n, 2);
  ASSERT_TRUE(pay_->GetCount("", 3, 3, n));
  EXPECT_EQ(n, 0);

  // The same lines again replace the earlier copies.
  ASSERT_TRUE(pay_->CommitData(Json::array({a, b}).dump(), 1, 0, "", "", ""));
  ASSERT_TRUE(pay_->GetCount("", 1, 2, n));
  EXPECT_EQ(n, 2);
}

// A line replaces the stored one of its key (voucher line, or levy for vouchered lines) whether
// that one was stored before or earlier in the same call, and only the one of its own payer.
TEST_F(PaymentStore, ALineReplacesTheOneOfItsKeyStoredBeforeOrInTheSameCall) {
  auto rows = [&] { return Sql("select djxh, yzpzxh, yzpzmxxh, zsuuid, qfje from sb_fkjnxxb order by djxh, rowid"); };
  Json first = Line("Y1", "1", "U1"), again = Line("Y1", "1", "U9");
  again["qfje"] = "7";
  ASSERT_TRUE(pay_->CommitData(Json::array({first, again, Line("Y1", "2", "U2")}).dump(), 1, 0, "", "", ""));
  Json r = rows();
  ASSERT_EQ(r.size(), 2u) << r.dump();
  EXPECT_EQ(r[0]["zsuuid"], "U9");
  EXPECT_EQ(r[0]["qfje"], "7");
  sql_->getData("delete from sb_fkjnxxb");
  ASSERT_TRUE(pay_->CommitData(Json::array({Line("A", "1", "U1"), Line("B", "1", "U1")}).dump(), 3, 0, "", "", ""));
  r = rows();
  ASSERT_EQ(r.size(), 1u) << "by levy: " << r.dump();
  EXPECT_EQ(r[0]["yzpzxh"], "B");
  sql_->getData("delete from sb_fkjnxxb");

  // Another payer's line of the same key stays; this payer's stored one is replaced.
  Json other = Line("Y1", "1", "U1");
  other["djxh"] = "OTHER";
  ASSERT_TRUE(pay_->CommitData(Json::array({other, Line("Y1", "1", "U1")}).dump(), 1, 0, "", "", ""));
  ASSERT_TRUE(pay_->CommitData(Json::array({Line("Y1", "1", "U5")}).dump(), 1, 0, "", "", ""));
  r = rows();
  ASSERT_EQ(r.size(), 2u) << r.dump();
  EXPECT_EQ(r[0]["djxh"], kPayer);
  EXPECT_EQ(r[0]["zsuuid"], "U5");
  EXPECT_EQ(r[1]["djxh"], "OTHER");
  EXPECT_EQ(r[1]["zsuuid"], "U1");
}

TEST_F(PaymentStore, FiltersByPeriodAndPayerType) {
  Json unit = Line("Y1", "1", "U1");
  Json person = Line("Y2", "1", "U2");
  person["skssqq"] = "2024-05-01";
  person["skssqz"] = "2024-05-31";
  ASSERT_TRUE(pay_->CommitData(Json::array({unit}).dump(), 1, 0, "", "", ""));
  ASSERT_TRUE(pay_->CommitData(Json::array({person}).dump(), 1, 1, "王五", "201", "110101199001011234"));
  sql_->ExecSQL("insert into sb_fkjnxxb(djxh, jkfs, jfrlx, skssqq, skssqz) values('" + kPayer +
                "', 1, null, '2024-01-01', '2024-01-31')");
  int32_t n = 0;
  ASSERT_TRUE(pay_->GetCount(R"({"jfrlx": 0, "xm": "nobody"})", 1, 1, n));
  EXPECT_EQ(n, 2) << "the unit's rows and those of no type; names ignored";
  ASSERT_TRUE(pay_->GetCount(R"({"jfrlx": 1, "xm": "王", "zjhm": "9001"})", 1, 1, n));
  EXPECT_EQ(n, 1);
  ASSERT_TRUE(pay_->GetCount(R"({"jfrlx": 1, "zjlx": "999"})", 1, 1, n));
  EXPECT_EQ(n, 0);
  ASSERT_TRUE(pay_->GetCount(R"({"jfrlx": 1, "skssqq": " 2024-05-15 ", "skssqz": "2024-06-30"})", 1, 1, n));
  EXPECT_EQ(n, 1) << "overlapping periods";
  ASSERT_TRUE(pay_->GetCount(R"({"jfrlx": 1, "skssqq": "2024-06-01"})", 1, 1, n));
  EXPECT_EQ(n, 0);
  ASSERT_TRUE(pay_->GetCount(R"({"djxh": "other"})", 1, 1, n));
  EXPECT_EQ(n, 0);
  std::string text;
  EXPECT_FALSE(pay_->GetData("[1]", 1, 1, 0, 0, text));
  EXPECT_EQ(pay_->GetErrorMessage(), "数据库查询异常");
}

TEST_F(PaymentStore, HostileValuesAreStoredIntact) {
  const std::string hostile = "O'Brien'); drop table sb_fkjnxxb; --<&>";
  Json l = Line(hostile, "1'", hostile);
  l["zhmc"] = hostile;
  l["zsjgDm"] = hostile;
  ASSERT_TRUE(pay_->CommitData(Json::array({l}).dump(), 1, 1, hostile, hostile, hostile));
  std::string text;
  Json rows = Out(pay_->GetData(Json{{"jfrlx", 1}, {"xm", hostile}, {"zjlx", hostile}}.dump(), 1, 1, 0, 0, text), text);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["yzpzxh"], hostile);
  EXPECT_EQ(rows[0]["zhmc"], hostile);
  EXPECT_EQ(rows[0]["xm"], hostile);
  ASSERT_TRUE(pay_->UpdateJkzt(kPayer, hostile, 4));
  ASSERT_TRUE(pay_->UpdateJkzt(kPayer, hostile, "10210", "102100100", "null", 2, hostile));
  rows = Out(pay_->GetData(Json{{"jfrlx", 1}}.dump(), 1, 1, 0, 0, text), text);
  EXPECT_EQ(rows[0]["jkzt"], "2");
  EXPECT_EQ(rows[0]["sbyy"], hostile);
  ASSERT_TRUE(pay_->GetZspmdmList(kPayer, 1, "[2]", 1, text));
  EXPECT_EQ(Json::parse(text), Json::array({hostile}));
}

// ---- Vouchers --------------------------------------------------------------------------------

TEST_F(PaymentStore, VoucherSummaryHasOneRowPerVoucher) {
  Json a = Line("Y1", "1", "U1", 0), b = Line("Y1", "2", "U2", 0), c = Line("Y2", "1", "U3", 0);
  for (Json* l : {&a, &b, &c}) {
    (*l)["dysj"] = "2024-02-02 08:00:00";
    (*l)["sjje"] = -50.126;
  }
  a["dzsphm"] = b["dzsphm"] = "P1";
  c["dzsphm"] = "P2";
  c["skssqq"] = "2024-03-01";
  c["skssqz"] = "2024-03-31";
  ASSERT_TRUE(pay_->CommitData(Json::array({a, b, c}).dump(), 3, 0, "", "", ""));
  ASSERT_TRUE(pay_->UpdateJkzt(kPayer, "Y1", "10210", "102100100", "", 3, ""));
  sql_->ExecSQL("update sb_fkjnxxb set jkzt=0 where zsuuid='U2'");  // one line of P1 still unpaid

  std::string text;
  Json rows = Out(pay_->GetPrintData("", 3, 0, 0, text), text);
  ASSERT_EQ(rows.size(), 2u) << rows.dump();
  Json p1 = rows[0]["dzsphm"] == "P1" ? rows[0] : rows[1];
  EXPECT_EQ(p1["zje"], "100.26");
  EXPECT_EQ(p1["jkzt"], "0") << "the least paid line stands for the voucher";
  EXPECT_EQ(p1["dyzt"], "1");
  EXPECT_EQ(p1["zsjgDm"], "13201000000");
  EXPECT_EQ(p1["fkssqq"], "2024-01-01");
  int32_t n = 0;
  ASSERT_TRUE(pay_->GetPrintCount("", 3, n));
  EXPECT_EQ(n, 2);
  ASSERT_TRUE(pay_->GetPrintCount(R"({"fkssqq": "2024-03-01", "fkssqz": "2024-03-31"})", 3, n));
  EXPECT_EQ(n, 1);
  ASSERT_TRUE(pay_->GetPrintCount(R"({"dyrqq": "2024-02-03"})", 3, n));
  EXPECT_EQ(n, 0);
  rows = Out(pay_->GetPrintData("", 3, 2, 1, text), text);
  EXPECT_EQ(rows.size(), 1u);

  ASSERT_TRUE(pay_->UpdateDyzt(3, kPayer, "P1", "13201000000"));
  rows = Out(pay_->GetDataByDzsphm("", "P1", text), text);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1]["dyzt"], "3");
  ASSERT_TRUE(pay_->UpdateJkzt(kPayer, "P2", "13201000000", 3));
  ASSERT_TRUE(pay_->GetZs10305CxList(3, "[0, \"2\"]", 3, text));
  EXPECT_EQ(Json::parse(text), Json::parse(R"([{"dzsphm":"P1","zsjgDm":"13201000000","skssswjgDm":"13201000000"}])"));
  ASSERT_TRUE(pay_->UpdateJkztBy10305("P1", 4, "银行退回"));
  ASSERT_TRUE(pay_->GetWjkYhjkpzLb("", 3, 4, 4, 4, 3, text));
  EXPECT_EQ(Json::parse(text), Json::parse(R"([{"yzpzxh":"Y1"}])"));
  EXPECT_FALSE(pay_->GetZs10305CxList(3, "[\"1 or 1=1\"]", 3, text));
  EXPECT_EQ(pay_->GetErrorMessage(), "查询电子税票号码失败：缴费状态[1 or 1=1]不是整数。");
  ASSERT_TRUE(pay_->DeleteByDzsphm("P1"));
  rows = Out(pay_->GetDataByDzsphm("", "P1", text), text);
  EXPECT_TRUE(rows.empty());
}

// ---- Deductions whose answer did not come ------------------------------------------------------

TEST_F(PaymentStore, TimedOutDeductionsAreGroupedBySerial) {
  ASSERT_TRUE(pay_->SaveCsjkxx(Json::array({Line("Y1", "1", "U1", 0), Line("Y1", "2", "U2", 0)}).dump(), "S1", 1, 0,
                               "", "", ""));
  ASSERT_TRUE(pay_->SaveCsjkxx(Json::array({Line("Y2", "1", "U3", 0)}).dump(), "S'2", 1, 1, "赵六", "201", "1"));
  std::string text;
  Json groups = Out(pay_->GetCsjkxx("", 0, text), text);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]["yblsh"], "S1");
  EXPECT_EQ(groups[0]["jkfs"], "1");
  EXPECT_EQ(groups[0]["mxlb"].size(), 2u);
  EXPECT_EQ(groups[0]["mxlb"][1]["zsuuid"], "U2");
  groups = Out(pay_->GetCsjkxx(kPayer, 1, text), text);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]["yblsh"], "S'2");
  ASSERT_TRUE(pay_->DeleteCsjkxx("S'2"));
  groups = Out(pay_->GetCsjkxx(kPayer, 1, text), text);
  EXPECT_TRUE(groups.empty());
  groups = Out(pay_->GetCsjkxx("other", 0, text), text);
  EXPECT_TRUE(groups.empty());
}

// ---- Texts of lines as written ---------------------------------------------------------------

// The lines as written by hand read as the general parser reads them: stored as their parsed and
// rewritten text is. Blanks, escapes, numbers, a name given twice, a nested value, a line that is
// no object, a byte-order mark (taken by the parser only).
TEST_F(PaymentStore, LinesAreReadAsTheGeneralParserReadsThem) {
  const std::string odd = " [ {\"yzpzxh\" : \"Y\\u0031\", \"yzpzmxxh\":1, \"zsuuid\":\"U1\", \"qfje\":\"1\", "
                          "\"qfje\":100.50, \"sjje\":\"12.5x\", \"jkzt\":\"3\", \"bz\":{\"a\":[1]}, "
                          "\"zsswjgMc\":\"\\\"\\n\u00e9\", \"yhhbmc\":\"小写\", \"djxh\":\"D2\", \"hsjg\":true},\n"
                          " 7, {\"zsuuid\":\"U2\",\"sjje\":1e1,\"jkzt\":5.9,\"yhhbMc\":\"大写\",\"yhhbmc\":\"小\",\"zhmc\":null} ] ";
  auto stored = [&](int jkfs, const std::string& text) {
    EXPECT_TRUE(pay_->CommitData(text, jkfs, 0, "", "", "")) << pay_->GetErrorMessage();
    Json rows = Sql("select * from sb_fkjnxxb order by rowid");
    for (Json& r : rows) r.erase("id");
    sql_->getData("delete from sb_fkjnxxb");
    return rows.dump();
  };
  for (int jkfs : {1, 3}) {
    const std::string tree = stored(jkfs, Json::parse(odd).dump());
    EXPECT_EQ(stored(jkfs, odd), tree);
    EXPECT_EQ(stored(jkfs, "\xEF\xBB\xBF" + odd), tree);
  }
  ASSERT_TRUE(pay_->CommitData(odd, 3, 0, "", "", ""));  // by zsuuid: the line that is no object kept too
  const Json rows = Sql("select yzpzxh, yzpzmxxh, qfje, sjje, jkzt, hsjg, zsswjgMc, yhhbmc, djxh from sb_fkjnxxb "
                        "order by rowid");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].dump(), R"({"yzpzxh":"Y1","yzpzmxxh":"1","qfje":"100.5","sjje":"12.5","jkzt":"3","hsjg":"Y",)"
                            R"("zsswjgMc":"\"\né","yhhbmc":"小写","djxh":"D2"})");
  EXPECT_EQ(rows[1]["djxh"], kPayer);
  EXPECT_EQ(rows[2].dump(), R"({"yzpzxh":"","yzpzmxxh":"","qfje":"","sjje":"10.0","jkzt":"5","hsjg":"",)"
                            R"("zsswjgMc":"","yhhbmc":"大写","djxh":"10000000000000000001"})");

  // Not an array of lines: refused whole, before anything is stored.
  const std::string before = Snapshot();
  for (const char* bad : {"{}", "[{\"zsuuid\":\"U9\"}", "[{\"zsuuid\":\"U9\"}] x", "", "[{\"a\":\"\\x\"}]"}) {
    EXPECT_FALSE(pay_->CommitData(bad, 1, 0, "", "", "")) << bad;
    EXPECT_EQ(pay_->GetErrorMessage(), "数据库执行失败");
    EXPECT_FALSE(pay_->SaveCsjkxx(bad, "S1", 1, 0, "", "", "")) << bad;
  }
  EXPECT_EQ(Snapshot(), before);
}

// ---- Certificates ----------------------------------------------------------------------------

TEST_F(PaymentStore, CertificatePrintRecordsLinkTheirLines) {
  ASSERT_TRUE(pay_->CommitData(Json::array({Line("Y1", "1", "U1"), Line("Y1", "2", "U2")}).dump(), 1, 0, "", "", ""));
  std::string text;
  Json open = Out(pay_->GetWdySfxyjkJl("", "2024-01-01", "2024-12-31", 1, 3, text), text);
  ASSERT_EQ(open.size(), 2u);
  std::string maxNo = "x";
  ASSERT_TRUE(pay_->GetMaxDzjfpzNo("", maxNo));
  EXPECT_EQ(maxNo, "");
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char today[16];
  std::strftime(today, sizeof today, "%Y%m%d", &tm);
  Json record = {{"dycs", 1}, {"no", std::string(today) + "00000007"}, {"sign", "S'1"},
                 {"list", Json::array({{{"id", open[0]["id"]}}})}};
  ASSERT_TRUE(pay_->SaveDzjfpz(record.dump())) << pay_->GetErrorMessage();
  ASSERT_TRUE(pay_->GetMaxDzjfpzNo("", maxNo));
  EXPECT_EQ(maxNo, "00000007");
  open = Out(pay_->GetWdySfxyjkJl("", "2024-01-01", "2024-12-31", 1, 3, text), text);
  EXPECT_EQ(open.size(), 1u);

  Json records = Out(pay_->GetDzjfpzJlData("", 0, 0, text), text);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["sign"], "S'1");
  EXPECT_EQ(records[0]["dysj"].get<std::string>().size(), 10u);
  const int32_t id = std::stoi(records[0]["id"].get<std::string>());
  Json lines = Out(pay_->GetDzjfpzMxData(id, text), text);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["dzjfpzdyID"], records[0]["id"]);
  ASSERT_TRUE(pay_->UpdateDzjfpzDy(id));
  records = Out(pay_->GetDzjfpzJlData("", 1, 10, text), text);
  EXPECT_EQ(records[0]["dycs"], "2");
  int32_t n = 0;
  ASSERT_TRUE(pay_->GetDzjfpzJlCount(R"({"dyrqq": "2000-01-01", "dyrqz": "2999-12-31"})", n));
  EXPECT_EQ(n, 1);
  ASSERT_TRUE(pay_->GetDzjfpzJlCount(R"({"dyrqz": "2000-01-01"})", n));
  EXPECT_EQ(n, 0);
  EXPECT_FALSE(pay_->SaveDzjfpz(R"({"list": {"id": 1}})"));
  EXPECT_EQ(pay_->GetErrorMessage(), "数据库保存异常。");
}

// ---- Whole or nothing ------------------------------------------------------------------------

TEST_F(PaymentStore, AFailedStatementLeavesTheTablesUnchanged) {
  ASSERT_TRUE(pay_->CommitData(Json::array({Line("Y0", "1", "U0")}).dump(), 1, 0, "", "", ""));
  const std::string lines = Json::array({Line("Y1", "1", "U1"), Line("Y1", "2", "U2")}).dump();
  EXPECT_EQ(FailEachStatement([&] { return pay_->CommitData(lines, 3, 0, "", "", ""); }, {"数据库执行失败"}), 4);
  EXPECT_EQ(FailEachStatement([&] { return pay_->SaveCsjkxx(lines, "S1", 1, 0, "", "", ""); }, {"数据库执行失败"}),
            2);
  std::string text;
  Json stored = Out(pay_->GetData("", 1, 3, 0, 0, text), text);
  Json record = {{"dycs", 1}, {"no", "2024010100000001"}, {"sign", ""},
                 {"list", Json::array({{{"id", stored[0]["id"]}}, {{"id", stored[1]["id"]}}})}};
  EXPECT_EQ(FailEachStatement([&] { return pay_->SaveDzjfpz(record.dump()); },
                              {"数据库插入失败。", "数据库查询失败。", "数据库更新失败。"}),
            4);
  const std::string before = Snapshot();
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(pay_->CommitData(Json::array({Line("Y9", "1", "U9")}).dump(), 1, 0, "", "", ""));
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace velmor::testing
