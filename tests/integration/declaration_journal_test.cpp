// A submission is stored before it is sent, so the server never holds a declaration the store
// lacks: answers lost after the server filed it, write faults at every statement after the
// request left, a full disk, and how the journal is settled (feedback under the serial, the
// list download) without ever sending the declaration a second time.
#include <set>

#include "declaration_fixture.h"

namespace velmor::testing {
namespace {

constexpr const char* kMayBeAccepted = "服务器可能已受理，请先同步申报清单";

class Journal : public DeclarationFlow {
 protected:
  // The serials of the declarations the server holds.
  std::vector<std::string> ServerSerials() {
    return sim.WithState([](taxsim::State& s) {
      std::vector<std::string> out;
      for (const auto& d : s.declarations) out.push_back(d.value("yblsh", ""));
      return out;
    });
  }
  // Every declaration the server holds is stored under its serial.
  void ExpectEveryFilingStored(const std::string& where) {
    for (const std::string& yblsh : ServerSerials()) {
      EXPECT_EQ(Get("select count(*) from ds_sbzb where yblsh = '" + yblsh + "'"), "1") << where << ": " << yblsh;
    }
  }
  void DropAnswerOf(const char* serviceCode) {
    taxsim::Fault f;
    f.kind = taxsim::FaultKind::kDropAnswer;
    f.serviceCode = serviceCode;
    sim.Faults().Add(f);
  }
};

TEST_F(Journal, AnAnswerLostAfterTheServerFiledItIsSettledByTheListDownloadNotBySendingAgain) {
  DropAnswerOf("0004");
  int32_t id = 0, state = 0;
  std::string error;
  ASSERT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  EXPECT_EQ(error.rfind("发送申报异常：", 0), 0u) << error;
  EXPECT_NE(error.find(kMayBeAccepted), std::string::npos) << error;
  ASSERT_EQ(ServerSerials().size(), 1u);
  const int32_t journal = LastId();
  EXPECT_EQ(Master(journal), "10|||0");
  EXPECT_EQ(Counts(), "1/1/2");
  ExpectEveryFilingStored("answer lost");

  // Sending again could file it twice: refused until its filing is known.
  EXPECT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  EXPECT_EQ(error, "发送申报异常：申报记录[" + std::to_string(journal) + "]尚未确认服务器是否受理，请先同步申报清单");
  EXPECT_FALSE(mgr_->SbSend_61(Declaration().dump(), nullptr, id, state, error));
  EXPECT_EQ(ServerSerials().size(), 1u) << "nothing sent";

  // The list download stores the voucher and settles the journal under its serial; the copy the
  // list brought goes, so the declaration is there once, with its persons.
  ASSERT_TRUE(mgr_->synSbqdCx("5", "2026-01", "2026-12", nullptr, error)) << error;
  EXPECT_EQ(Master(journal), "2|1100000001||0");
  EXPECT_EQ(Counts(), "1/1/2");
  EXPECT_EQ(Send(Declaration(), 2), journal + 2) << "submissions go again";
}

TEST_F(Journal, AWriteFaultAtAnyStatementNeverLosesAFiling) {
  int failedBefore = 0, failedAfter = 0;
  for (int n = 1; n < 40; ++n) {
    const size_t filed = ServerSerials().size();
    const std::string counts = Counts();
    FaultInjection::FailStatement(n);
    int32_t id = 0, state = 0;
    std::string error;
    const bool ok = mgr_->SbSend(Declaration().dump(), nullptr, id, state, error);
    FaultInjection::Clear();
    if (ok) break;
    ExpectEveryFilingStored("statement " + std::to_string(n));
    if (ServerSerials().size() == filed) {
      ++failedBefore;  // nothing sent: nothing stored, and no talk of the server
      EXPECT_EQ(Counts(), counts) << n;
      EXPECT_EQ(error.find(kMayBeAccepted), std::string::npos) << n << ": " << error;
      continue;
    }
    ++failedAfter;
    EXPECT_NE(error.find(kMayBeAccepted), std::string::npos) << n << ": " << error;
    const int32_t journal = LastId();
    EXPECT_EQ(Master(journal), "10|||0") << n;
    ASSERT_TRUE(mgr_->GetSbFk(journal, nullptr, state, error)) << n << ": " << error;
    EXPECT_EQ(Master(journal).substr(0, 2), "2|") << n;
  }
  EXPECT_GE(failedBefore, 7) << "the check, the journal's six statements";
  EXPECT_GE(failedAfter, 2) << "the outcome's statements";
  ExpectEveryFilingStored("end");
  EXPECT_EQ(Get("select count(*) from ds_sbzb where sbzt <> 2"), "0");
}

TEST_F(Journal, AFullDiskAfterTheServerFiledItNamesTheCauseAndKeepsTheJournal) {
  FaultInjection::FailCommit(2, "database or disk is full");  // the journal commits, the outcome does not
  int32_t id = 0, state = 0;
  std::string error;
  EXPECT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  FaultInjection::Clear();
  EXPECT_NE(error.find(kMayBeAccepted), std::string::npos) << error;
  const int32_t journal = LastId();
  EXPECT_EQ(Master(journal), "10|||0");
  ExpectEveryFilingStored("disk full");
  ASSERT_TRUE(mgr_->GetSbFk(journal, nullptr, state, error)) << error;
  EXPECT_EQ(state, 2);

  // A full disk before sending: nothing sent, nothing stored.
  FaultInjection::FailCommit(1, "database or disk is full");
  EXPECT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  FaultInjection::Clear();
  EXPECT_EQ(error.find(kMayBeAccepted), std::string::npos) << error;
  EXPECT_EQ(ServerSerials().size(), 1u);
  EXPECT_EQ(Counts(), "1/1/2");
}

TEST_F(Journal, TheSecondFormIsJournalledAndSettledTheSameWay) {
  DropAnswerOf("0083");
  int32_t id = 0, state = 0;
  std::string error;
  ASSERT_FALSE(mgr_->SbSend_61(Declaration().dump(), nullptr, id, state, error));
  EXPECT_NE(error.find(kMayBeAccepted), std::string::npos) << error;
  const int32_t journal = LastId();
  EXPECT_EQ(Master(journal), "11|||0");
  ExpectEveryFilingStored("second form");
  // Its own feedback call ("0085") settles it; the first form's does not apply.
  EXPECT_FALSE(mgr_->GetSbFk(journal, nullptr, state, error));
  ASSERT_TRUE(mgr_->synSbqdCx("5", "2026-01", "2026-12", nullptr, error)) << error;
  EXPECT_EQ(Master(journal), "2|1100000001||0");
  EXPECT_EQ(sim.RecentCalls().back().serviceCode, "0085");
}

TEST_F(Journal, AListDownloadThatCannotSettleAJournalSaysSo) {
  DropAnswerOf("0004");
  int32_t id = 0, state = 0;
  std::string error;
  ASSERT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  const int32_t journal = LastId();
  taxsim::Fault refuse;
  refuse.serviceCode = "0005";
  refuse.code = "10009";
  refuse.message = "服务暂停";
  sim.Faults().Add(refuse);
  EXPECT_FALSE(mgr_->synSbqdCx("5", "2026-01", "2026-12", nullptr, error));
  EXPECT_EQ(error.rfind("申报清单已同步，但申报记录[" + std::to_string(journal) + "]的受理情况仍未确认：", 0), 0u)
      << error;
  EXPECT_EQ(Master(journal), "10|||0");
  ASSERT_TRUE(mgr_->synSbqdCx("5", "2026-01", "2026-12", nullptr, error)) << error;
  EXPECT_EQ(Master(journal).substr(0, 2), "2|");
}

TEST_F(Journal, EveryListDownloadSettlesTheJournal) {
  int32_t id = 0, state = 0;
  std::string error;
  DropAnswerOf("0004");
  ASSERT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  const int32_t byType = LastId();
  ASSERT_TRUE(mgr_->DownloadSbqdByJfrlxs("5,8", false, "2026-01", "2026-12", nullptr, error)) << error;
  EXPECT_EQ(Master(byType).substr(0, 2), "2|");

  DropAnswerOf("0004");
  ASSERT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  const int32_t byDataInterface = LastId();
  ASSERT_TRUE(mgr_->synSbqdCxSjjk("2026-01-01", "2026-12-31", nullptr, error)) << error;
  EXPECT_EQ(Master(byDataInterface).substr(0, 2), "2|");
  ExpectEveryFilingStored("after the downloads");
}

}  // namespace
}  // namespace velmor::testing
