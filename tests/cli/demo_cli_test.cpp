// `velmor demo`: both days with its own child server and bank, the printed summary and the report
// workbook checked against the server's own summary; the employer's day against an in-process
// simulator whose state is read directly; and the ways the demo stops early.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"
#include "workbook/workbook.h"

namespace velmor::testing {
namespace {

using Json = nlohmann::json;
using Table = std::vector<std::vector<std::string>>;  // the head row, then the rows

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";

std::string Money(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

// The tables printed after "== 汇总" (tab-separated when piped), by title.
std::map<std::string, Table> PrintedTables(const std::string& out) {
  std::map<std::string, Table> tables;
  const size_t at = out.find("\n== 汇总\n");
  if (at == std::string::npos) return tables;
  std::istringstream lines(out.substr(at + 9));
  std::string title;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) {
      title.clear();
      continue;
    }
    if (title.empty()) {
      title = line;
      continue;
    }
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, '\t');) cells.push_back(f);
    if (line.back() == '\t') cells.push_back("");
    tables[title].push_back(cells);
  }
  return tables;
}

// The rows of a table whose first cell starts with `prefix` (and, when given, whose second is
// `second`), summed: {count, amount} from the columns `countCol` and `amountCol`.
std::pair<long, double> Sum(const Table& t, const std::string& prefix, size_t countCol, size_t amountCol,
                            const std::string& second = "") {
  long count = 0;
  double amount = 0;
  for (size_t r = 1; r < t.size(); ++r) {
    if (t[r].empty() || t[r][0].rfind(prefix, 0) != 0) continue;
    if (!second.empty() && (t[r].size() < 2 || t[r][1] != second)) continue;
    count += t[r].size() > countCol ? std::stol(t[r][countCol]) : 0;
    amount += t[r].size() > amountCol && !t[r][amountCol].empty() ? std::stod(t[r][amountCol]) : 0;
  }
  return {count, std::round(amount * 100) / 100};
}

std::map<std::string, Table> WorkbookTables(const std::string& path) {
  std::map<std::string, Table> tables;
  workbook::Workbook book = workbook::Workbook::Open(path);
  for (size_t i = 0; i < book.SheetCount(); ++i) {
    const workbook::Sheet& sheet = book.sheet(i);
    const size_t columns = sheet.RowText(0).size();
    Table t;
    for (uint32_t r = 0; r < sheet.RowCount(); ++r) t.push_back(sheet.RowText(r, uint32_t(columns)));
    tables[book.SheetNames()[i]] = t;
  }
  return tables;
}

class DemoRun : public ::testing::Test {
 protected:
  ProcessResult Demo(std::vector<std::string> args) {
    args.insert(args.begin(), {kVelmor, "demo", "--data", dir_.File("data")});
    return RunProcess(args);
  }
  TempDir dir_;
};

TEST_F(DemoRun, BothDaysAtFiveHundredPersonsAgreeWithTheSimulatorsOwnSummary) {
  ProcessResult r = Demo({"--persons", "500"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("=== 用人单位的一天"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("=== 城乡居民缴费人的一天"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("模拟银行 https://127.0.0.1:"), std::string::npos) << r.out;

  const Json all = Json::parse(ReadFile(dir_.File("data/taxsim-summary.json")));
  const Json& payer = all["server"]["payers"][0];
  const Json& group = all["server"]["groups"][0];
  const auto printed = PrintedTables(r.out);
  const auto book = WorkbookTables(dir_.File("data/velmor-demo-report.xlsx"));
  ASSERT_EQ(book.size(), 4u) << "one sheet per table";
  for (const char* sheet : {"人员", "申报", "缴款", "居民"}) {
    ASSERT_TRUE(book.count(sheet)) << sheet;
    ASSERT_TRUE(printed.count(sheet)) << sheet << "\n" << r.out;
    EXPECT_EQ(book.at(sheet), printed.at(sheet)) << "the workbook holds what was printed: " << sheet;
  }

  // Persons: the server's roster and the outside persons of the workbook (three of four rows).
  const Table& persons = book.at("人员");
  EXPECT_EQ(Sum(persons, "其中外部人员导入", 1, 1).first, 3);
  EXPECT_EQ(Sum(persons, "合计", 1, 1).first, payer["persons"].get<long>() + 3);
  EXPECT_EQ(Sum(persons, "1 ", 1, 1).first + Sum(persons, "2 ", 1, 1).first + Sum(persons, "3 ", 1, 1).first,
            Sum(persons, "合计", 1, 1).first);

  // Declarations: the roster's, accepted after its feedback, for the server's amount.
  const Table& declarations = book.at("申报");
  ASSERT_EQ(payer["declarations"], Json({{"declared", 1}})) << payer.dump();
  EXPECT_EQ(Sum(declarations, "2 ", 1, 2), std::make_pair(1L, payer["declarationAmounts"]["declared"].get<double>()));
  EXPECT_EQ(Sum(declarations, "合计", 1, 2), Sum(declarations, "2 ", 1, 2));

  // Payments: what was deducted and what stands on vouchers, line by line and in amount.
  const Table& payments = book.at("缴款");
  const Json& paid = payer["payments"];
  EXPECT_GT(paid["deductedLines"].get<long>(), 0);
  EXPECT_EQ(Sum(payments, "扣款", 1, 2),
            std::make_pair(paid["deductedLines"].get<long>(), paid["deducted"].get<double>()));
  EXPECT_EQ(Sum(payments, "银行端凭证", 1, 2),
            std::make_pair(paid["voucherLines"].get<long>(), paid["onVouchers"].get<double>()));
  EXPECT_EQ(Sum(payments, "缴费凭证导入", 1, 2).first, 5) << "a hundredth of the persons, at least three";
  EXPECT_GT(Sum(payments, "缴费明细证明", 1, 2).first, 0);

  // Residents: verdicts, street changes, the order the bank has as paid, the collection status,
  // the collective payer's declaration.
  const Table& residents = book.at("居民");
  const Json& held = payer["residents"];
  EXPECT_EQ(Sum(residents, "缴费登记", 2, 3, "已受理").first, held["accepted"].get<long>());
  EXPECT_EQ(Sum(residents, "缴费登记", 2, 3, "未通过").first, held["rejected"].get<long>());
  EXPECT_EQ(held["accepted"], 4);
  EXPECT_EQ(held["rejected"], 1) << "the resident without an ID number";
  EXPECT_EQ(Sum(residents, "街道社区变更", 2, 3).first, held["streetChanges"].get<long>());
  const Json& bankPaid = all["bank"]["orders"]["2"];
  EXPECT_EQ(Sum(residents, "网上缴费订单", 2, 3, "已支付"),
            std::make_pair(bankPaid["count"].get<long>(), bankPaid["amount"].get<double>()));
  EXPECT_FALSE(all["bank"]["orders"].contains("1")) << "no order left unpaid";
  const long declared = Sum(residents, "申报状态", 2, 3, "已申报").first;
  const long undeclared = Sum(residents, "申报状态", 2, 3, "未申报").first;
  EXPECT_GT(declared + undeclared, 0) << "the roster's insured lines were asked about";
  EXPECT_EQ(declared, payer["lineStates"]["declared"].get<long>());
  EXPECT_EQ(undeclared, payer["lineStates"]["undeclared"].get<long>());
  const long insured = Sum(residents, "归集情况", 2, 3, "参保").first;
  EXPECT_GT(insured, 0);
  EXPECT_EQ(insured,
            Sum(residents, "归集情况", 2, 3, "已缴费").first + Sum(residents, "归集情况", 2, 3, "未缴费").first);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("data/demo/归集情况.xlsx"))) << "the collection status exported";
  EXPECT_EQ(group["declarations"], Json({{"declared", 1}})) << group.dump();
  EXPECT_EQ(Sum(residents, "集体补助户申报", 2, 3),
            std::make_pair(2L, group["declarationAmounts"]["declared"].get<double>()));
}

TEST_F(DemoRun, OnlyTheResidentsDay) {
  ProcessResult r = Demo({"--persons", "60", "--only", "residents"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out.find("用人单位的一天"), std::string::npos) << r.out;
  // Without the employer's roster the status query refuses to run: the day says so and goes on.
  EXPECT_NE(r.out.find("本地没有参保险种明细（花名册未下载），未查询"), std::string::npos) << r.out;
  const auto book = WorkbookTables(dir_.File("data/velmor-demo-report.xlsx"));
  ASSERT_EQ(book.size(), 1u);
  EXPECT_TRUE(book.count("居民"));
  ProcessResult bad = Demo({"--only", "nobody"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--only"), std::string::npos) << bad.err;
}

taxsim::SimulatorOptions Busy(int persons) {
  taxsim::SimulatorOptions o;
  o.generate.persons = persons;
  o.queueDeclarations = true;
  return o;
}

// The employer's day against an in-process simulator: its summary is what the state holds.
TEST_F(DemoRun, TheEmployersDayAgreesWithTheServerState) {
  taxsim::Simulator sim(Busy(300));
  sim.Start();
  ProcessResult r = Demo({"--server", sim.Url(), "--only", "employer"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  struct Held {
    size_t declarations = 0, declared = 0, vouchers = 0;
    double amount = 0, paid = 0;
  };
  Held held = sim.WithState([](taxsim::State& s) {
    Held h;
    const std::string djxh = s.payers.at(0).djxh;
    for (const auto& d : s.declarations) {
      if (d.value("djxh", "") != djxh) continue;
      ++h.declarations;
      if (d.value("state", "") == "declared") ++h.declared;
      h.amount += d.value("yjfe", 0.0);
      h.paid += d.value("paid", 0.0);
    }
    if (s.payments.contains("vouchers")) h.vouchers = s.payments["vouchers"].size();
    return h;
  });
  EXPECT_EQ(held.declarations, 1u) << "the demo submits one declaration";
  EXPECT_EQ(held.declared, 1u) << "its feedback was fetched, so the queued declaration is final";
  EXPECT_EQ(held.vouchers, 1u);
  const Json summary = Json::parse(ReadFile(dir_.File("data/taxsim-summary.json")))["server"]["payers"][0];
  EXPECT_EQ(Money(summary["declarationAmounts"]["declared"].get<double>()), Money(held.amount));
  EXPECT_EQ(Money(summary["payments"]["deducted"].get<double>()), Money(held.paid));
  EXPECT_EQ(summary["payments"]["vouchers"], 1);

  const auto printed = PrintedTables(r.out);
  EXPECT_EQ(Sum(printed.at("申报"), "合计", 1, 2), std::make_pair(1L, std::round(held.amount * 100) / 100));
  EXPECT_NE(r.out.find("状态 1 已受理待反馈"), std::string::npos) << "a busy server answers later";
  EXPECT_NE(r.out.find("1张应征凭证中0张已全部缴清"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0x8511 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("成功 3 人，失败 1 人"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("城乡居民缴费人的一天"), std::string::npos);
}

// A running server without a bank: the residents' day goes on without the online order.
TEST_F(DemoRun, TheResidentsDayAgainstAServerWithoutABank) {
  taxsim::Simulator sim(Busy(40));
  sim.Start();
  ProcessResult r = Demo({"--server", sim.Url(), "--only", "residents"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("没有模拟银行（--server），未下单"), std::string::npos) << r.out;
  const Table residents = PrintedTables(r.out).at("居民");
  EXPECT_EQ(Sum(residents, "网上缴费订单", 2, 3).first, 0);
  const long accepted = sim.WithState([](taxsim::State& s) {
    long n = 0;
    for (const auto& [serial, request] : s.residents["jfdj"].items())
      for (const auto& person : request["persons"]) n += !person.value("zjhm", "").empty();
    return n;
  });
  EXPECT_EQ(Sum(residents, "缴费登记", 2, 3, "已受理").first, accepted);
  EXPECT_FALSE(Json::parse(ReadFile(dir_.File("data/taxsim-summary.json"))).contains("bank"));
}

TEST_F(DemoRun, StartsItsOwnServerAndStopsIt) {
  ProcessResult r = Demo({"--persons", "120", "--only", "employer"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(Sum(PrintedTables(r.out).at("人员"), "合计", 1, 1).first, 123);
  // The child server is gone: its address no longer answers.
  ProcessResult after = RunProcess({kVelmor, "--data", dir_.File("data"), "dict", "update", "--force"});
  EXPECT_NE(after.exitCode, 0) << "the child server still answers";

  // The directory is in use now: a second demo would repoint and replace it.
  ProcessResult again = Demo({"--persons", "10"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(again.err, "velmor: data directory " + dir_.File("data") +
                           " is not empty: the demo would replace its server address and roster (give a new or "
                           "empty directory, or --reuse)\n");
  EXPECT_EQ(again.out, "") << "refused before starting a server";
}

TEST_F(DemoRun, AFailedStepEndsTheDemoWithItsMessage) {
  taxsim::Simulator sim(Busy(50));
  sim.Start();
  taxsim::Fault refuse;
  refuse.kind = taxsim::FaultKind::kCode;
  refuse.serviceCode = "0004";
  refuse.code = "20099";
  refuse.message = "申报服务暂停";
  sim.Faults().Add(refuse);
  ProcessResult r = Demo({"--server", sim.Url()});
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.err.find("申报服务暂停"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("== 汇总"), std::string::npos) << "no summary after a failed step";
  EXPECT_EQ(r.out.find("城乡居民缴费人的一天"), std::string::npos) << "the second day does not start";
  EXPECT_FALSE(std::filesystem::exists(dir_.File("data/velmor-demo-report.xlsx")));
}

TEST_F(DemoRun, ReportsAServerThatCannotBeStartedOrReached) {
  ProcessResult missing =
      RunProcess({kVelmor, "demo", "--taxsim", dir_.File("no-such-program"), "--data", dir_.File("a")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot run the simulated server"), std::string::npos) << missing.err;
  std::filesystem::create_directory(dir_.File("used"));
  ASSERT_TRUE(WriteFile(dir_.File("used/velmor.conf"), ""));
  ProcessResult reused =
      RunProcess({kVelmor, "demo", "--reuse", "--taxsim", dir_.File("no-such-program"), "--data", dir_.File("used")});
  EXPECT_NE(reused.err.find("cannot run the simulated server"), std::string::npos) << "--reuse goes on\n" << reused.err;

  // A program that says where the server listens but never starts the bank.
  const std::string fake = dir_.File("fake-taxsim");
  ASSERT_TRUE(WriteFile(fake, "#!/bin/sh\necho 'listening on http://127.0.0.1:9'\n"));
  std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
  ProcessResult noBank = RunProcess({kVelmor, "demo", "--taxsim", fake, "--data", dir_.File("c")});
  EXPECT_EQ(noBank.exitCode, 1);
  EXPECT_NE(noBank.err.find("the simulated bank did not start"), std::string::npos) << noBank.err;

  ProcessResult unreachable = RunProcess({kVelmor, "demo", "--server", "http://127.0.0.1:9", "--data", dir_.File("b")});
  EXPECT_EQ(unreachable.exitCode, 1);
  EXPECT_NE(unreachable.err.find("cannot ask the simulated server"), std::string::npos) << unreachable.err;
  EXPECT_EQ(unreachable.out.find("== 1."), std::string::npos) << "stops before the first step";
}

}  // namespace
}  // namespace velmor::testing
