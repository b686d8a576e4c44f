// `velmor demo`: the working day against a simulator, its summary checked against what the
// server holds afterwards; its own child server; and a failed step ending the demo.
#include <gtest/gtest.h>

#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";

// The summary's "合计" lines in order: persons, then declarations (count and amount).
std::vector<std::vector<std::string>> Totals(const std::string& out) {
  std::vector<std::vector<std::string>> totals;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("合计", 0) != 0) continue;
    std::istringstream words(line);
    std::vector<std::string> cells;
    for (std::string w; words >> w;) cells.push_back(w);
    totals.push_back(cells);
  }
  return totals;
}

std::string Money(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

taxsim::SimulatorOptions Busy(int persons) {
  taxsim::SimulatorOptions o;
  o.generate.persons = persons;
  o.queueDeclarations = true;
  return o;
}

TEST(DemoCli, SummaryAgreesWithWhatTheServerHolds) {
  taxsim::Simulator sim(Busy(500));
  sim.Start();
  TempDir dir;
  ProcessResult r = RunProcess({kVelmor, "demo", "--server", sim.Url(), "--data", dir.File("data")});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;

  struct Held {
    size_t persons = 0, declarations = 0, declared = 0, vouchers = 0;
    double amount = 0, paid = 0;
  };
  Held held = sim.WithState([](taxsim::State& s) {
    Held h;
    const std::string djxh = s.payers.at(0).djxh;
    auto [first, last] = s.PersonsOf(djxh);
    h.persons = size_t(last - first);
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
  ASSERT_EQ(held.persons, 500u);
  EXPECT_EQ(held.declarations, 1u) << "the demo submits one declaration";
  EXPECT_EQ(held.declared, 1u) << "its feedback was fetched, so the queued declaration is final";

  auto totals = Totals(r.out);
  ASSERT_EQ(totals.size(), 2u) << r.out;
  EXPECT_EQ(totals[0], (std::vector<std::string>{"合计", std::to_string(held.persons)}));
  EXPECT_EQ(totals[1], (std::vector<std::string>{"合计", std::to_string(held.declarations), Money(held.amount)}));
  EXPECT_NE(r.out.find("状态 1 已受理待反馈"), std::string::npos) << "a busy server answers later";
  EXPECT_NE(r.out.find("2 申报成功"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0 未缴款\t1"), std::string::npos) << "the voucher is unpaid\n" << r.out;

  // The payment of the day: what the demo deducted is what the server counts as paid, the rest
  // is on the one levy document's voucher, and the home page heard of it.
  const size_t end = r.out.find("），开具凭证");
  ASSERT_NE(end, std::string::npos) << r.out;
  const size_t begin = r.out.rfind("条（", end) + std::string("条（").size();
  EXPECT_EQ(r.out.substr(begin, end - begin), Money(held.paid));
  EXPECT_GT(held.paid, 0);
  EXPECT_EQ(held.vouchers, 1u);
  EXPECT_NE(r.out.find("1张应征凭证中0张已全部缴清"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0x8511 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("扣款 jkzt 2 dyzt 0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("凭证 jkzt 2 dyzt 1"), std::string::npos) << r.out;
}

TEST(DemoCli, StartsItsOwnServerAndStopsIt) {
  TempDir dir;
  ProcessResult r = RunProcess({kVelmor, "demo", "--persons", "120", "--data", dir.File("data")});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  auto totals = Totals(r.out);
  ASSERT_EQ(totals.size(), 2u) << r.out;
  EXPECT_EQ(totals[0][1], "120");
  EXPECT_EQ(totals[1][1], "1");
  // The child server is gone: its address no longer answers.
  const size_t at = r.out.find("服务器 http://");
  ASSERT_NE(at, std::string::npos) << r.out;
  const size_t skip = std::string("服务器 ").size();
  std::string url = r.out.substr(at + skip, r.out.find("，", at) - at - skip);
  ProcessResult after = RunProcess({kVelmor, "--data", dir.File("data"), "dict", "update", "--force"});
  EXPECT_NE(after.exitCode, 0) << "the server of " << url << " still answers";

  // The directory is in use now: a second demo would repoint and replace it.
  ProcessResult again = RunProcess({kVelmor, "demo", "--persons", "10", "--data", dir.File("data")});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(again.err, "velmor: data directory " + dir.File("data") +
                           " is not empty: the demo would replace its server address and roster (give a new or "
                           "empty directory, or --reuse)\n");
  EXPECT_EQ(again.out, "") << "refused before starting a server";
}

TEST(DemoCli, AFailedStepEndsTheDemoWithItsMessage) {
  taxsim::Simulator sim(Busy(50));
  sim.Start();
  taxsim::Fault refuse;
  refuse.kind = taxsim::FaultKind::kCode;
  refuse.serviceCode = "0004";
  refuse.code = "20099";
  refuse.message = "申报服务暂停";
  sim.Faults().Add(refuse);
  TempDir dir;
  ProcessResult r = RunProcess({kVelmor, "demo", "--server", sim.Url(), "--data", dir.File("data")});
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.err.find("申报服务暂停"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("== 汇总"), std::string::npos) << "no summary after a failed step";
}

TEST(DemoCli, ReportsAServerThatCannotBeStartedOrReached) {
  TempDir dir;
  ProcessResult missing = RunProcess({kVelmor, "demo", "--taxsim", dir.File("no-such-program"), "--data", dir.File("a")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot run the simulated server"), std::string::npos) << missing.err;
  std::filesystem::create_directory(dir.File("used"));
  ASSERT_TRUE(WriteFile(dir.File("used/velmor.conf"), ""));
  ProcessResult reused =
      RunProcess({kVelmor, "demo", "--reuse", "--taxsim", dir.File("no-such-program"), "--data", dir.File("used")});
  EXPECT_NE(reused.err.find("cannot run the simulated server"), std::string::npos) << "--reuse goes on\n" << reused.err;

  ProcessResult unreachable =
      RunProcess({kVelmor, "demo", "--server", "http://127.0.0.1:9", "--djxh", "10011", "--data", dir.File("b")});
  EXPECT_EQ(unreachable.exitCode, 1);
  EXPECT_NE(unreachable.err.find("velmor.log"), std::string::npos) << "points at the log\n" << unreachable.err;
  EXPECT_EQ(unreachable.out.find("== 2."), std::string::npos) << "stops at the first step";
}

}  // namespace
}  // namespace velmor::testing
