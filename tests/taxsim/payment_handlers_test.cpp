// The simulator's payment handlers called directly on a State: arrears per office, deduction with
// steered outcomes, vouchers, void, the paid lines and the summary's payment figures, and the
// values of odd texts (quotes, control characters, bytes that are not UTF-8) in the answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "taxsim/call.h"
#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"
#include "taxsim/state.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;
using OJson = nlohmann::ordered_json;

Json Person(const Json& yjfe, const std::string& zsxmDm = "10210", const std::string& sbbm = "S1") {
  return {{"zsxmDm", zsxmDm}, {"zspmDm", "102101000"}, {"zszmDm", ""}, {"yjfe", yjfe}, {"jfnd", "2026"},
          {"cxjmsbbm", sbbm},  {"sbjbjgDm", "J1"}};
}

class PaymentHandlers : public ::testing::Test {
 protected:
  PaymentHandlers() : s_(Generate({.persons = 3, .payers = 1, .seed = 7})), djxh_(s_.payers[0].djxh) {
    RegisterPaymentHandlers(registry_);
    Declared("Y1", {Person(100), Person("200.5"), Person(0.333)});
    Declared("Y2", {Person(10), Person(20)}, "A2", "2026-01-01");
    Declared("Y3", {Person(7)}, "A2", "", "pending");
    Declared("Y4", {Person(9)}, "A2", "", "declared", "99999999999999999999");
    Declared("Y5", {Person(1, "q\"b\\s\n\x01/税", "甲\xff乙")}, "A5");
    Declared("Y6", {}, "A6");
  }

  void Declared(const std::string& yzpzxh, std::vector<Json> persons, const std::string& office = "",
                const std::string& jkqx = "", const std::string& state = "declared", std::string djxh = "") {
    Json d = {{"djxh", djxh.empty() ? djxh_ : djxh}, {"yzpzxh", yzpzxh}, {"state", state}, {"yjfe", 0.0},
              {"paid", 0.0}, {"persons", persons}};
    if (!office.empty()) d["swjg"] = office;
    if (!jkqx.empty()) d["jkqx"] = jkqx;
    s_.declarations.push_back(std::move(d));
  }
  // A levy document "L1" of office "AL" with more lines than are written on one thread; line n
  // (from 1) owes LongAmount(n) by person "S<n - 1>". Its number of lines.
  size_t DeclaredLong() {
    const size_t n = kHalvesFrom + 3;
    std::vector<Json> persons;
    for (size_t i = 0; i < n; ++i) persons.push_back(Person(LongAmount(i + 1), "10210", "S" + std::to_string(i)));
    Declared("L1", persons, "AL");
    return n;
  }
  static double LongAmount(size_t line) { return static_cast<double>((line - 1) % 97); }

  // The answer's text: the JSON response, or the taxML document.
  std::string Text(const std::string& code, OJson body) {
    Call call;
    call.serviceCode = code;
    call.body = std::move(body);
    Answer a = registry_.Find(code)(call, s_);
    std::string text = a.document ? a.document->Text() : a.ResponseJson();
    if (a.envelope.status != wire::kAnswered) text = "refused " + a.envelope.responseData + " " + text;
    transcript_.push_back(code + " " + text);
    return text;
  }
  Json Ask(const std::string& code, OJson body) { return Json::parse(Text(code, std::move(body))); }

  Json Arrears(OJson offices = nullptr) {
    OJson body = {{"djxh", djxh_}};
    if (!offices.is_null()) body["zgswskfjdmList"] = offices;
    return Ask("0007", body)["qfxxList"];
  }
  // The zsuuids of one office's arrears.
  static std::vector<std::string> Zsuuids(const Json& entry) {
    std::vector<std::string> out;
    if (entry["qfxxMxList"].is_array())
      for (const Json& r : entry["qfxxMxList"]) out.push_back(r["zsuuid"]);
    return out;
  }
  Json Deduct(const std::vector<std::string>& zsuuids) {
    OJson mx = OJson::array();
    for (const auto& z : zsuuids) mx.push_back({{"zsuuid", z}});
    return Ask("0008", {{"zzdjxh", djxh_}, {"yzpzxhGridlb", {{{"yzpzmxxhGridlb", mx}}}}});
  }
  Json Vouchers(const std::vector<std::string>& yzpzxhs) {
    OJson mx = OJson::array();
    for (const auto& y : yzpzxhs) mx.push_back({{"yzpzxh", y}});
    return Ask("0010", {{"zzdjxh", djxh_}, {"mxlb", mx}})["szxxlb"];
  }

  // VELMOR_PAYMENT_TRANSCRIPT=FILE keeps every answer, to compare two builds of the simulator.
  ~PaymentHandlers() override {
    const char* file = std::getenv("VELMOR_PAYMENT_TRANSCRIPT");
    if (!file) return;
    std::ofstream out(file, std::ios::app);
    out << ::testing::UnitTest::GetInstance()->current_test_info()->name() << "\n";
    for (const auto& t : transcript_) out << t << "\n";
  }

  State s_;
  std::string djxh_;
  HandlerRegistry registry_;
  std::vector<std::string> transcript_;
};

TEST_F(PaymentHandlers, ArrearsAreTheOwedLinesOfDeclaredEntriesPerOffice) {
  Json all = Arrears();
  ASSERT_EQ(all.size(), 3u) << "offices of entries with lines, in order: the payer's, A2, A5";
  EXPECT_EQ(all[0]["zgswskfjdm"], s_.payers[0].zgswjgDm);
  EXPECT_EQ(Zsuuids(all[0]), (std::vector<std::string>{"Y1-1", "Y1-2", "Y1-3"}));
  EXPECT_EQ(Zsuuids(all[1]), (std::vector<std::string>{"Y2-1", "Y2-2"})) << "neither pending nor another payer's";
  const Json& row = all[0]["qfxxMxList"][1];
  EXPECT_EQ(row["qfje"], "200.50");
  EXPECT_EQ(all[0]["qfxxMxList"][2]["qfje"], "0.33");
  EXPECT_EQ(row["yzpzmxxh"], "2");
  EXPECT_EQ(row["skgkDm"], "GK" + s_.payers[0].zgswjgDm);
  EXPECT_EQ(row["skssqq"], "2026-01-01");
  EXPECT_EQ(row["skssqz"], "2026-12-31");
  EXPECT_EQ(row["sbbm"], "S1");
  EXPECT_EQ(row.size(), 17u);
  EXPECT_EQ(all[1]["qfxxMxList"][0]["jkqx"], "2026-01-01");
  EXPECT_EQ(all[0]["qfxxMxList"][0]["jkqx"], LocalTimeText("%Y-%m-%d", -10 * 86400)) << "the first entry: overdue";
  const Json& odd = all[2]["qfxxMxList"][0];
  EXPECT_EQ(odd["zsxmDm"], "q\"b\\s\n\x01/税");
  EXPECT_EQ(odd["sbbm"], "甲\xEF\xBF\xBD乙") << "a byte that is not UTF-8 is replaced";

  s_.payments["failOffices"]["A3"] = "维护";
  Json asked = Arrears({{{"zgswksDm", "A2"}}, {{"zgswksDm", "A3"}}, {{"zgswksDm", "A7"}}, {{"zgswksDm", "A2"}}});
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0]["code"], "SUCCESS");
  EXPECT_EQ(Zsuuids(asked[0]).size(), 2u);
  EXPECT_EQ(asked[1], Json({{"code", "FAIL"}, {"message", "维护"}, {"zgswskfjdm", "A3"}}));
  EXPECT_EQ(asked[2]["qfxxMxList"], "null") << "an office without lines";
  EXPECT_EQ(asked[3]["qfxxMxList"], "null") << "an office asked twice answers its lines once";
}

TEST_F(PaymentHandlers, DeductionPaysTheSteeredLinesOnce) {
  s_.payments["outcomes"]["Y1-2"] = "FFF";
  s_.payments["outcomes"]["Y2-1"] = "OMIT";
  Json d = Deduct({"Y1-1", "Y1-2", "Y2-1", "Y2-2", "Y9-1", "Y1-4", "Y1-01", "Y4-1"});
  ASSERT_EQ(d["szmxLb"].size(), 3u) << d.dump();
  EXPECT_EQ(d["kkfkLb"], Json::parse(R"([{"kkfhdm":"000","kkfhmc":"扣款成功"},{"kkfhdm":"FFF","kkfhmc":"扣款失败：FFF"}])"));
  const Json& first = d["szmxLb"][0];
  EXPECT_EQ(first["yzpzmxxh"], "1");
  EXPECT_EQ(first["ybtse"], "100.00");
  EXPECT_FALSE(first["dzsphm"].get<std::string>().empty());
  EXPECT_EQ(d["szmxLb"][1]["dzsphm"], "") << "not paid";
  EXPECT_EQ(first.size(), 13u);
  EXPECT_EQ(Json::parse(s_.declarations[0].dump())["paid"], 100.0);
  EXPECT_EQ(s_.declarations[1]["paid"], 20.0);

  // Paid lines are no longer owed, nor deducted again, even when asked twice.
  EXPECT_EQ(Zsuuids(Arrears()[0]), (std::vector<std::string>{"Y1-2", "Y1-3"}));
  Json again = Deduct({"Y1-3", "Y1-3", "Y1-1"});
  ASSERT_EQ(again["szmxLb"].size(), 1u) << again.dump();
  EXPECT_EQ(s_.declarations[0]["paid"], 100.33);

  s_.payments["timeoutNext"] = true;
  EXPECT_EQ(Text("0008", {{"zzdjxh", djxh_}, {"yzpzxhGridlb", {{{"yzpzmxxhGridlb", {{{"zsuuid", "Y1-2"}}}}}}}}),
            "refused 10042 ");
  EXPECT_EQ(Zsuuids(Arrears()[0]), std::vector<std::string>{}) << "a timed-out deduction still pays";
  EXPECT_FALSE(s_.payments["timeoutNext"].get<bool>());

  Json history = Ask("0237", {{"djxh", djxh_}});
  ASSERT_EQ(history["jfqdList"].size(), 4u);
  EXPECT_EQ(history["jfqdList"][0]["sjje"], "100.00");
  EXPECT_NE(Text("0035", {{"djxh", djxh_}}).find("<sjje>200.50</sjje>"), std::string::npos);
  EXPECT_NE(Text("0035", {{"djxh", "1"}}).find("70001"), std::string::npos) << "nothing paid";
}

TEST_F(PaymentHandlers, VouchersHoldTheOwedLinesUntilVoided) {
  s_.payments["outcomes"]["Y1-3"] = "NOVOUCHER";
  Deduct({"Y1-1"});
  Json v = Vouchers({"Y1", "Y2", "Y9", "Y2"});
  ASSERT_EQ(v.size(), 3u) << v.dump();
  EXPECT_EQ(v[0]["zsuuid"], "Y1-2");
  EXPECT_EQ(v[0]["sjje"], "200.50");
  EXPECT_EQ(v[1]["dzsphm"], v[2]["dzsphm"]) << "one voucher per levy document";
  EXPECT_NE(v[0]["dzsphm"], v[1]["dzsphm"]);
  EXPECT_EQ(v[1]["swjgDm"], "A2");
  EXPECT_EQ(v[1]["jkqx"], "2026-01-01");
  EXPECT_EQ(Zsuuids(Arrears()[0]), std::vector<std::string>{"Y1-3"}) << "lines on a valid voucher are not owed";

  const std::string voucher = v[1]["dzsphm"];
  Json states = Ask("0902", {{"djxh", djxh_}, {"kjrqq", "2000-01-01"}, {"kjrqz", "2999-12-31"}});
  EXPECT_EQ(states["dzsphmList"].size(), 2u);
  OJson summary = Summary(s_)["payers"][0]["payments"];
  EXPECT_EQ(summary, OJson::parse(R"({"deductedLines":1,"deducted":100.0,"vouchers":2,"voucherLines":3,"onVouchers":230.5})"));

  EXPECT_EQ(Ask("0011", {{"dzsphm", voucher}})["kkfhDm"], "000");
  EXPECT_EQ(Ask("0011", {{"dzsphm", voucher}})["kkfhDm"], "002");
  EXPECT_EQ(Ask("0011", {{"dzsphm", "nope"}})["kkfhDm"], "001");
  EXPECT_EQ(Arrears()[1]["qfxxMxList"].size(), 2u) << "a voided voucher's lines are owed again";
  EXPECT_EQ(Summary(s_)["payers"][0]["payments"]["vouchers"], 1);
  // A test may set a voucher's state; a state other than voided keeps its lines.
  s_.payments["vouchers"][v[0]["dzsphm"].get<std::string>()]["state"] = "2";
  EXPECT_EQ(Arrears()[0]["qfxxMxList"].size(), 1u);
}

TEST_F(PaymentHandlers, ArrearsOfDocumentsAddThePaymentServicesLines) {
  s_.payments["sbfjnLines"] = Json::array({{{"yzpzxh", "Y2"}, {"zsuuid", "Y2-9"}, {"hsjg", "A0"}, {"qfje", "3.00"}},
                                           {{"yzpzxh", "Z9"}, {"zsuuid", "Z9-1"}, {"hsjg", "A0"}}});
  Deduct({"Y2-2"});
  Json a = Ask("0901", {{"djxh", djxh_}, {"yzpzxhList", {"Y2", "Y5", 7}}})["qfxxList"];
  ASSERT_EQ(a.size(), 3u) << a.dump();
  EXPECT_EQ(a[0]["zgswskfjdm"], "A0") << "offices in order";
  EXPECT_EQ(a[0]["qfxxMxList"], Json::array({{{"yzpzxh", "Y2"}, {"zsuuid", "Y2-9"}, {"hsjg", "A0"}, {"qfje", "3.00"}}}));
  EXPECT_EQ(Zsuuids(a[1]), std::vector<std::string>{"Y2-1"});
  EXPECT_EQ(Zsuuids(a[2]), std::vector<std::string>{"Y5-1"});
  EXPECT_EQ(Ask("0901", {{"djxh", djxh_}})["qfxxList"], Json::array());
}

// A document of more lines than are written on one thread: its rows come whole, once each and in
// order (the halves written at once are joined where they meet), with their own amounts, and a
// paid line is left out wherever it falls. The same for the payment service's answer, and for the
// vouchers of the owed lines.
TEST_F(PaymentHandlers, ALongListIsWrittenWholeAndInOrder) {
  const size_t n = DeclaredLong();
  const size_t paid = n / 2;  // the first line of the second half
  Deduct({"L1-" + std::to_string(paid + 1)});
  for (const char* code : {"0007", "0901"}) {
    Json list =
        Ask(code, {{"djxh", djxh_}, {"zgswskfjdmList", {{{"zgswksDm", "AL"}}}}, {"yzpzxhList", {"L1"}}})["qfxxList"];
    ASSERT_EQ(list.size(), 1u) << code;
    const Json& rows = list[0]["qfxxMxList"];
    ASSERT_EQ(rows.size(), n - 1) << code;
    size_t line = 0;
    for (const Json& r : rows) {
      if (++line == paid + 1) ++line;
      ASSERT_EQ(r["zsuuid"], "L1-" + std::to_string(line)) << code;
      ASSERT_EQ(r["sbbm"], "S" + std::to_string(line - 1)) << code;
      ASSERT_EQ(r["qfje"], Amount(LongAmount(line))) << code;
    }
  }
  const Json v = Vouchers({"L1"});
  ASSERT_EQ(v.size(), n - 1);
  size_t line = 0;
  for (const Json& r : v) {
    if (++line == paid + 1) ++line;
    ASSERT_EQ(r["zsuuid"], "L1-" + std::to_string(line));
    ASSERT_EQ(r["sjje"], Amount(LongAmount(line)));
    ASSERT_EQ(r["dzsphm"], v[0]["dzsphm"]) << "one voucher per levy document";
  }
  EXPECT_EQ(Summary(s_)["payers"][0]["payments"]["voucherLines"], n - 1);
}

// A deduction of more lines than are written on one thread: its feedback rows come whole, once
// each and in order, after the codes in the order met; an omitted line leaves no row, a refused
// one a row without a voucher number, and only the deducted lines are paid.
TEST_F(PaymentHandlers, ALongDeductionIsAnsweredWholeAndInOrder) {
  const size_t n = DeclaredLong();
  const size_t refused = n / 2 + 1, omitted = n - 1;  // line numbers: in the second half
  s_.payments["outcomes"]["L1-" + std::to_string(refused)] = "999";
  s_.payments["outcomes"]["L1-" + std::to_string(omitted)] = "OMIT";
  std::vector<std::string> all;
  for (size_t line = 1; line <= n; ++line) all.push_back("L1-" + std::to_string(line));
  const Json d = Deduct(all);
  EXPECT_EQ(d["kkfkLb"],
            Json::parse(R"([{"kkfhdm":"000","kkfhmc":"扣款成功"},{"kkfhdm":"999","kkfhmc":"扣款失败：999"}])"));
  const Json& rows = d["szmxLb"];
  ASSERT_EQ(rows.size(), n - 1);
  std::set<std::string> numbers;
  size_t line = 0;
  for (const Json& r : rows) {
    if (++line == omitted) ++line;
    ASSERT_EQ(r["yzpzmxxh"], std::to_string(line));
    ASSERT_EQ(r["ybtse"], Amount(LongAmount(line)));
    ASSERT_EQ(r["kkfhdm"], line == refused ? "999" : "000");
    if (line != refused) {
      ASSERT_TRUE(numbers.insert(r["dzsphm"].get<std::string>()).second) << "a number each";
    }
  }
  EXPECT_EQ(rows[refused - 1]["dzsphm"], "");
  EXPECT_EQ(Summary(s_)["payers"][0]["payments"]["deductedLines"], n - 2);
  EXPECT_EQ(Zsuuids(Arrears(OJson::array({{{"zgswksDm", "AL"}}}))[0]),
            (std::vector<std::string>{"L1-" + std::to_string(refused), "L1-" + std::to_string(omitted)}));
}

}  // namespace
}  // namespace velmor::taxsim
