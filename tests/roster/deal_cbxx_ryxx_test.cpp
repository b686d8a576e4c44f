// The bulk processor of roster downloads on the host's real database.
#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "host/db/fault_injection.h"
#include "roster/deal_cbxx_ryxx.h"
#include "roster/roster_fixture.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class Processor : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    ASSERT_TRUE(db_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('P1', '00'), ('P2', '01')"));
  }
  // Runs one download of the given records through a fresh processor: `before` runs before the
  // records are dealt with, `after` once they are queued (before the wait for the writer, which
  // raises out of here when the batch failed).
  void Download(const std::vector<std::string>& persons, const std::vector<std::string>& enrols,
                const std::function<void(TDealCbxxAndRyxx&)>& before = {},
                const std::function<void(TDealCbxxAndRyxx&)>& after = {}) {
    TFastParseJson ryxx, cbxx;
    if (!persons.empty()) ryxx.ParseText(JsonList(persons));
    if (!enrols.empty()) cbxx.ParseText(JsonList(enrols));
    TDealCbxxAndRyxx deal(&cbxx, &ryxx, env_.Db(), "D1");
    if (before) before(deal);
    deal.dealRyxx();
    deal.dealXzxx();
    if (after) after(deal);
    EXPECT_TRUE(deal.WaitForIdle(600000));
  }
  // One server person (c1, R1) with one item (x1).
  void DownloadOnePerson(const std::function<void(TDealCbxxAndRyxx&)>& after) {
    Download({PersonRecord("c1", "R1", "a", "1")}, {EnrolRecord("c1", "x1", "2024-01", "2099-12")}, {}, after);
  }
  std::string Q(const std::string& sql) { return Rows(*db_, sql); }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
};

TEST_F(Processor, WritesPersonsEnrolmentsAndItemsWithTheirColumnMapping) {
  Download({PersonRecord("c1", "R1", "张'三", "110", "13800000000", "Y ", "J01", "RB1")},
           {EnrolRecord("c1", "x1", "2024-01-15", "2099-12-31"), EnrolRecord("c1", "x2", "2024-01", "2099-12", "N", "P2")});
  EXPECT_EQ(Q("select djxh, rydjxh, xm, zjlx, zjhm, fzid, phonenumber, updateFlag from sb_ryjbxxb"),
            "D1,R1,张'三,201,110,-1,13800000000,1;");
  EXPECT_EQ(Q("select rydjxh, sbjbjgdm, rybh, yxbz from sb_rycbjgxxb"), "R1,J01,RB1,Y;");
  EXPECT_EQ(Q("select rydjxh, sbjbjgdm, rybh, xzid, zsxmdm, zspmdm, zszmdm, xzjddm, sqhczdm, cbrytslbdm, ksjfyf, "
              "tzjfyf, gxsj, pmlx, xzlxdm, yxbz from sb_rycbxmb order by xzid"),
            "R1,J01,RB1,x1,X1,P1,Z1,T1,C1,K1,2024-01,2099-12,2024-02-03 04:05:06,00,L1,Y;"
            "R1,J01,RB1,x2,X1,P2,Z1,T1,C1,K1,2024-01,2099-12,2024-02-03 04:05:06,01,L1,N;");
}

TEST_F(Processor, RowsSharingAnInsertAreTheSameRowsAsOneStatementEach) {
  std::vector<std::string> persons, enrols;
  for (int i = 0; i < 250; ++i) {
    const std::string n = std::to_string(i);
    persons.push_back(PersonRecord("c" + n, "R" + n, "n'" + n, n, "1" + n));
    enrols.push_back(EnrolRecord("c" + n, "x" + n, "2024-01", "2099-12"));
    enrols.push_back(EnrolRecord("c" + n, "y" + n, "2024-01", "2099-12", "Y", "P2"));
  }
  persons.push_back(PersonRecord("c0b", "R0", "again", "0"));  // a second record of R0: an update
  const char* dump =
      "select p.rydjxh, p.xm, p.phonenumber, b.rybh, c.xzid, c.pmlx from sb_ryjbxxb p, sb_rycbjgxxb b, sb_rycbxmb c "
      "where b.rydjxh = p.rydjxh and c.rydjxh = p.rydjxh order by p.rydjxh, c.xzid";
  Download(persons, enrols, [](TDealCbxxAndRyxx& deal) { deal.SetRowsPerInsert(1); });
  const std::string one = Q(dump);
  ASSERT_TRUE(db_->ExecSQL("delete from sb_ryjbxxb; delete from sb_rycbjgxxb; delete from sb_rycbxmb"));
  host::db::FaultInjection::SetTracing(true);
  Download(persons, enrols);
  const auto trace = host::db::FaultInjection::TakeTrace();
  host::db::FaultInjection::SetTracing(false);
  EXPECT_EQ(Q(dump), one);
  EXPECT_EQ(Q("select count(*), count(distinct rydjxh) from sb_ryjbxxb"), "250,250;");
  EXPECT_EQ(Q("select xm from sb_ryjbxxb where rydjxh = 'R0'"), "again;");
  std::set<std::string> texts(trace.begin(), trace.end());
  EXPECT_LE(texts.size(), 10u) << "250 persons, 250 enrolments and 500 items through a few statement texts, each "
                                  "prepared once";
}

TEST_F(Processor, ValuesAreStoredAsTheyAreWhateverTheyHold) {
  // Quotes, parameter marks, non-ASCII text and empty members: stored as the server sent them,
  // on a first download (inserts) and on a second one (updates of the same keys).
  const std::vector<std::string> persons = {PersonRecord("c1", "R'1", "欧阳'?1 娜娜", "11'0", "", "Y", "J'01", "?2"),
                                            PersonRecord("c2", "R2", "", "", "13800000000", "", "", "")};
  const std::vector<std::string> enrols = {EnrolRecord("c1", "x'1", "2024-01-15", "2099-12-31", "Y", "P'9"),
                                           EnrolRecord("c2", "x2", "", "", "", "")};
  const char* persons_ = "select rydjxh, xm, zjhm, ifnull(phonenumber, 'NULL'), typeof(xm) from sb_ryjbxxb order by rydjxh";
  const char* enrols_ = "select rydjxh, sbjbjgdm, rybh, yxbz from sb_rycbjgxxb order by rydjxh";
  const char* items_ = "select xzid, rydjxh, zspmdm, ksjfyf, tzjfyf, ifnull(pmlx, 'NULL'), yxbz from sb_rycbxmb order by xzid";
  const std::string expectedPersons = "R'1,欧阳'?1 娜娜,11'0,,text;R2,,,13800000000,text;";
  const std::string expectedEnrols = "R'1,J'01,?2,Y;R2,,BR2,N;";
  const std::string expectedItems = "x'1,R'1,P'9,2024-01,2099-12,,Y;x2,R2,,,,,N;";
  Download(persons, enrols);
  EXPECT_EQ(Q(persons_), expectedPersons);
  EXPECT_EQ(Q(enrols_), expectedEnrols);
  EXPECT_EQ(Q(items_), expectedItems);
  Download(persons, enrols);
  EXPECT_EQ(Q(persons_), expectedPersons);
  EXPECT_EQ(Q(enrols_), expectedEnrols);
  EXPECT_EQ(Q(items_), expectedItems);
}

TEST_F(Processor, AStatementFailingHalfWayThroughTheRowsStoresNothing) {
  std::vector<std::string> persons, enrols;
  for (int i = 0; i < 300; ++i) {
    const std::string n = std::to_string(i);
    persons.push_back(PersonRecord("c" + n, "R" + n, "n" + n, n));
    enrols.push_back(EnrolRecord("c" + n, "x" + n, "2024-01", "2099-12"));
  }
  TFastParseJson ryxx, cbxx;
  ryxx.ParseText(JsonList(persons));
  cbxx.ParseText(JsonList(enrols));
  TDealCbxxAndRyxx deal(&cbxx, &ryxx, env_.Db(), "D1");
  FaultInjection::FailStatement(750);  // the 750th statement from now: an item of the second half
  deal.dealRyxx();
  deal.dealXzxx();
  EXPECT_THROW(deal.WaitForIdle(600000), Exception);
  FaultInjection::Clear();
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb"), "0;");
  EXPECT_EQ(Q("select count(*) from sb_rycbjgxxb"), "0;");
  EXPECT_EQ(Q("select count(*) from sb_rycbxmb"), "0;");
}

TEST_F(Processor, AnEmptyFlagMeansNotValid) {
  Download({PersonRecord("c1", "R1", "a", "1", "", "")}, {EnrolRecord("c1", "x1", "2024-01", "2099-12", "")});
  EXPECT_EQ(Q("select yxbz from sb_rycbjgxxb"), "N;");
  EXPECT_EQ(Q("select yxbz from sb_rycbxmb"), "N;");
}

TEST_F(Processor, AFlagIsItsFirstCharacterThenTrimmed) {
  // " Y": the first character is a space, so the flag is empty and means not valid. A flag that
  // starts with a character of several bytes keeps the whole character (never half of it).
  Download({PersonRecord("c1", "R1", "a", "1", "", " Y", "J01", "RB1"), PersonRecord("c2", "R2", "b", "2", "", "是Y", "J01", "RB2")},
           {EnrolRecord("c1", "x1", "2024-01", "2099-12", "\tY"), EnrolRecord("c2", "x2", "2024-01", "2099-12", "yes")});
  EXPECT_EQ(Q("select rydjxh, yxbz from sb_rycbjgxxb order by rydjxh"), "R1,N;R2,是;");
  EXPECT_EQ(Q("select xzid, yxbz from sb_rycbxmb order by xzid"), "x1,N;x2,y;");
}

TEST_F(Processor, RecordsLeftOutAreCountedWithTheirFirstKeys) {
  TFastParseJson ryxx, cbxx;
  ryxx.ParseText(JsonList({PersonRecord("c1", "R1", "a", "1", "", "Y"), PersonRecord("", "R2", "b", "2", "", "Y")}));
  cbxx.ParseText(JsonList({EnrolRecord("c1", "x1", "2024-01", "2099-12"), EnrolRecord("c1", "", "2024-01", "2099-12"),
                           EnrolRecord("c7", "x7", "2024-01", "2099-12"), EnrolRecord("c8", "x8", "2024-01", "2099-12")}));
  TDealCbxxAndRyxx deal(&cbxx, &ryxx, env_.Db(), "D1");
  EXPECT_EQ(deal.DroppedSummary(), "");
  deal.dealRyxx();
  deal.dealXzxx();
  EXPECT_TRUE(deal.WaitForIdle(600000));
  EXPECT_EQ(deal.DroppedSummary(),
            "人员信息缺少cbxxID，未入库1条（前几条djxh：R2）；参保信息缺少cbxzID，未入库1条（前几条cbxxID：c1）；"
            "参保信息无对应人员，未入库2条（前几条cbxxID：c7、c8）");
  EXPECT_EQ(Q("select xzid from sb_rycbxmb"), "x1;");
}

// The sets go before the wait: what was queued is still written, in one transaction, and the
// summaries read the same; a pass after the release is refused rather than run with empty sets.
TEST_F(Processor, ReleasedIndexesKeepWhatIsQueuedAndRefuseAnotherPass) {
  TFastParseJson ryxx, cbxx;
  ryxx.ParseText(JsonList({PersonRecord("c1", "R1", "a", "1"), PersonRecord("", "R2", "b", "2")}));
  cbxx.ParseText(
      JsonList({EnrolRecord("c1", "x1", "2024-01", "2099-12"), EnrolRecord("c9", "x9", "2024-01", "2099-12")}));
  TDealCbxxAndRyxx deal(&cbxx, &ryxx, env_.Db(), "D1");
  deal.dealRyxx();
  deal.dealXzxx();
  deal.sweepItems();
  deal.updateCbzt();
  const std::string dropped = deal.DroppedSummary();
  deal.ReleaseIndexes();
  EXPECT_THROW(deal.dealRyxx(), Exception);
  EXPECT_THROW(deal.dealXzxx(), Exception);
  EXPECT_THROW(deal.sweepItems(), Exception);
  EXPECT_TRUE(deal.WaitForIdle(600000));
  EXPECT_EQ(deal.DroppedSummary(), dropped);
  EXPECT_NE(dropped.find("参保信息无对应人员，未入库1条（前几条cbxxID：c9）"), std::string::npos) << dropped;
  EXPECT_EQ(Q("select rydjxh, cbzt from sb_ryjbxxb"), "R1,1;");
  EXPECT_EQ(Q("select rydjxh, xzid from sb_rycbxmb"), "R1,x1;");
}

TEST_F(Processor, AServerPersonReplacesItsLocalTwinWithItsEnrolmentsAndItems) {
  SeedPerson(*db_, "D1", "L1", "李四", "220", "1");
  SeedEnrolment(*db_, "D1", "L1", "J09", "LB");
  SeedItem(*db_, "D1", "L1", "J09", "LB", "lx", "2099-12");
  SeedPerson(*db_, "D1", "L2", "王五", "330", "1");  // another local person: untouched
  Download({PersonRecord("c1", "R1", "李四", "220")}, {EnrolRecord("c1", "x1", "2024-01", "2099-12")});
  EXPECT_EQ(Q("select rydjxh, xm, ifnull(ly, '') from sb_ryjbxxb order by id"), "L2,王五,1;R1,李四,;");
  EXPECT_EQ(Q("select rydjxh from sb_rycbjgxxb"), "R1;");
  EXPECT_EQ(Q("select xzid from sb_rycbxmb"), "x1;");
}

TEST_F(Processor, ASecondDownloadUpdatesInPlaceAndCollapsesCopies) {
  Download({PersonRecord("c1", "R1", "a", "1", "111"), PersonRecord("c2", "R2", "b", "2", "222")},
           {EnrolRecord("c1", "x1", "2024-01", "2024-06"), EnrolRecord("c2", "x2", "2024-01", "2024-06")});
  ASSERT_TRUE(db_->ExecSQL("update sb_ryjbxxb set fzid = 7, fullpath = ',7,' where rydjxh = 'R1'"));
  // A copy of R2's person and item rows (two rows of one key).
  SeedPerson(*db_, "D1", "R2", "b", "2", "0");
  SeedItem(*db_, "D1", "R2", "J01", "BR2", "x2", "2000-01");
  Download({PersonRecord("c1", "R1", "a2", "1", ""), PersonRecord("c2", "R2", "b2", "2", "999")},
           {EnrolRecord("c1", "x1", "2024-01", "2099-12"), EnrolRecord("c2", "x2", "2024-01", "2099-11")});
  EXPECT_EQ(Q("select rydjxh, xm, phonenumber, fzid, fullpath from sb_ryjbxxb order by rydjxh"),
            "R1,a2,111,7,,7,;R2,b2,999,-1,;")
      << "R1 kept its group and, with no phone from the server, its phone; R2's copies became one row";
  EXPECT_EQ(Q("select xzid, tzjfyf from sb_rycbxmb order by xzid"), "x1,2099-12;x2,2099-11;");
  EXPECT_EQ(Q("select count(*) from sb_rycbjgxxb"), "2;");
}

TEST_F(Processor, PassesHandleOnlyWhatArrivedSinceTheLastOne) {
  TFastParseJson ryxx, cbxx;
  TDealCbxxAndRyxx deal(&cbxx, &ryxx, env_.Db(), "D1");
  EXPECT_FALSE(deal.PrepareNewRecords());
  EXPECT_EQ(deal.dealRyxx(), 0);
  cbxx.ParseText(JsonList({EnrolRecord("c1", "x1", "2024-01", "2099-12"), EnrolRecord("c2", "x2", "2024-01", "2099-12")}));
  ryxx.ParseText(JsonList({PersonRecord("c1", "R1", "a", "1")}));
  EXPECT_EQ(deal.dealRyxx(), 1);
  EXPECT_EQ(deal.dealXzxx(), 1) << "x2 waits for its person record";
  ryxx.ParseText(JsonList({PersonRecord("c2", "R2", "b", "2"), PersonRecord("c1", "R1", "a", "1")}));
  EXPECT_EQ(deal.dealRyxx(), 1) << "c1 was handled already";
  EXPECT_EQ(deal.dealXzxx(), 1);
  EXPECT_FALSE(deal.PrepareNewRecords());
  EXPECT_TRUE(deal.WaitForIdle(600000));
  EXPECT_EQ(deal.PersonCount(), 2);
  EXPECT_EQ(deal.ItemCount(), 2);
  EXPECT_EQ(deal.Towns().at("T1"), "镇一");
  EXPECT_EQ(deal.Communities().at("C1"), "村一");
  EXPECT_EQ(deal.Categories().at("K1"), "类一");
  EXPECT_EQ(Q("select rydjxh from sb_ryjbxxb order by rydjxh"), "R1;R2;");
}

TEST_F(Processor, LaterPeriodsOfOneItemAreWrittenLast) {
  Download({PersonRecord("c1", "R1", "a", "1")},
           {EnrolRecord("c1", "x1", "2024-07", "2099-12"), EnrolRecord("c1", "x1", "2023-01", "2023-12")});
  EXPECT_EQ(Q("select ksjfyf, tzjfyf from sb_rycbxmb"), "2024-07,2099-12;");
}

TEST_F(Processor, SummaryStatesOneTwoThree) {
  SeedPerson(*db_, "D1", "A", "a", "1", "0");  // a valid item running this month
  SeedEnrolment(*db_, "D1", "A", "J01", "RA");
  SeedItem(*db_, "D1", "A", "J01", "RA", "xa", MonthFromNow(0));
  SeedPerson(*db_, "D1", "B", "b", "2", "0");  // a valid item that ended last month
  SeedEnrolment(*db_, "D1", "B", "J01", "RB");
  SeedItem(*db_, "D1", "B", "J01", "RB", "xb", MonthFromNow(-1));
  SeedPerson(*db_, "D1", "C", "c", "3", "0");  // no item
  SeedPerson(*db_, "D1", "E", "e", "4", "0");  // a running item of an invalid enrolment
  SeedEnrolment(*db_, "D1", "E", "J01", "RE", "N");
  SeedItem(*db_, "D1", "E", "J01", "RE", "xe", MonthFromNow(6));
  SeedPerson(*db_, "D2", "F", "f", "5", "0");  // another payer: untouched
  TDealCbxxAndRyxx deal(nullptr, nullptr, env_.Db(), "D1");
  deal.updateCbzt();
  EXPECT_TRUE(deal.WaitForIdle(600000));
  EXPECT_EQ(Q("select rydjxh, ifnull(cbzt, '-') from sb_ryjbxxb order by rydjxh"), "A,1;B,2;C,3;E,2;F,-;");
}

// New persons are written and given their states in one pass: each ends in the state its items
// give it, as a person already stored does.
TEST_F(Processor, PersonsOfADownloadEndInTheStatesOfTheirItems) {
  SeedPerson(*db_, "D1", "S", "s", "9", "0");  // stored before, no item
  SeedPerson(*db_, "D2", "F", "f", "5", "0");  // another payer: untouched
  Download({PersonRecord("c1", "R1", "a", "1"), PersonRecord("c2", "R2", "b", "2"), PersonRecord("c3", "R3", "c", "3")},
           {EnrolRecord("c1", "x1", MonthFromNow(-2), MonthFromNow(3)),
            EnrolRecord("c2", "x2", MonthFromNow(-6), MonthFromNow(-1)),
            EnrolRecord("c3", "x3", MonthFromNow(-2), MonthFromNow(3), "N")},
           {}, [](TDealCbxxAndRyxx& deal) { deal.updateCbzt(); });
  EXPECT_EQ(Q("select rydjxh, ifnull(cbzt, '-') from sb_ryjbxxb order by rydjxh"), "F,-;R1,1;R2,2;R3,2;S,3;");
}

TEST_F(Processor, ClearInvalidRemovesEnrolmentsWithoutItemsThenServerPersonsWithoutEnrolments) {
  SeedPerson(*db_, "D1", "A", "a", "1", "0");
  SeedEnrolment(*db_, "D1", "A", "J01", "RA");
  SeedItem(*db_, "D1", "A", "J01", "RA", "xa", "2099-12");
  SeedPerson(*db_, "D1", "B", "b", "2", "0");  // its enrolment has no item
  SeedEnrolment(*db_, "D1", "B", "J01", "RB");
  SeedPerson(*db_, "D1", "L", "l", "3", "1");  // local, without enrolment: kept
  TDealCbxxAndRyxx deal(nullptr, nullptr, env_.Db(), "D1");
  deal.clearInvalid();
  EXPECT_TRUE(deal.WaitForIdle(600000));
  EXPECT_EQ(Q("select rydjxh from sb_ryjbxxb order by rydjxh"), "A;L;");
  EXPECT_EQ(Q("select rydjxh from sb_rycbjgxxb"), "A;");
}

TEST_F(Processor, StatementsQueuedByTheCallerAreSeenByTheNextPass) {
  Download({PersonRecord("c1", "R1", "a", "1")}, {EnrolRecord("c1", "x1", "2024-01", "2099-12")},
           [](TDealCbxxAndRyxx& deal) {
             // The caller inserts R1 itself first; the pass must update it, not add a second one.
             deal.queueSql("insert into sb_ryjbxxb (djxh, rydjxh, xm, fzid, phonenumber) values ('D1', 'R1', 'old', 3, '5')");
           });
  EXPECT_EQ(Q("select xm, fzid from sb_ryjbxxb"), "a,3;");
}

TEST_F(Processor, ProgressIsReportedAtMostEvery300Ms) {
  std::vector<std::string> persons, enrols;
  for (int i = 0; i < 3000; ++i) {
    persons.push_back(PersonRecord("c" + std::to_string(i), "R" + std::to_string(i), "n", std::to_string(i)));
    enrols.push_back(EnrolRecord("c" + std::to_string(i), "x" + std::to_string(i), "2024-01", "2099-12"));
  }
  std::vector<std::chrono::steady_clock::time_point> calls;
  TFastParseJson ryxx, cbxx;
  ryxx.ParseText(JsonList(persons));
  cbxx.ParseText(JsonList(enrols));
  TDealCbxxAndRyxx deal(&cbxx, &ryxx, env_.Db(), "D1");
  deal.SetRowsPerInsert(1);  // one statement per row, so that the writer holds the producer back
  deal.Writer().TEST_SetBeforeItem([] { std::this_thread::sleep_for(std::chrono::microseconds(300)); });
  deal.dealRyxx();
  const auto start = std::chrono::steady_clock::now();
  deal.dealXzxx([&](int count, int max) {
    EXPECT_EQ(max, 200);
    EXPECT_GT(count, 0);
    calls.push_back(std::chrono::steady_clock::now());
  });
  ASSERT_FALSE(calls.empty()) << "the producer was slowed by back-pressure long enough to report";
  EXPECT_GE(calls[0] - start, std::chrono::milliseconds(300));
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_GE(calls[i] - calls[i - 1], std::chrono::milliseconds(300));
  deal.Writer().TEST_SetBeforeItem({});
  EXPECT_TRUE(deal.WaitForIdle(600000));
  EXPECT_EQ(Q("select count(*) from sb_rycbxmb"), "3000;");
}

TEST_F(Processor, RollbackIfOpenAndAFailedCommitStoreNothing) {
  DownloadOnePerson([](TDealCbxxAndRyxx& deal) { deal.RollbackIfOpen(); });
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb"), "0;");
  try {
    DownloadOnePerson([](TDealCbxxAndRyxx&) { FaultInjection::FailCommit(1); });
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "保存数据库失败！");
  }
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb"), "0;");
  EXPECT_EQ(Q("select count(*) from sb_rycbxmb"), "0;");
}

TEST_F(Processor, TheSweepRemovesOnlyTheItemsOfServerPersonsThatWereNotWritten) {
  SeedPerson(*db_, "D1", "R1", "a", "1", "0", "updateFlag = 0");
  SeedItem(*db_, "D1", "R1", "J01", "BR1", "gone", "2099-12");  // the server no longer has it
  SeedPerson(*db_, "D1", "L", "l", "2", "1");
  SeedItem(*db_, "D1", "L", "J01", "BL", "local", "2099-12");  // a local person's: stays
  SeedPerson(*db_, "D2", "R5", "e", "5", "0", "updateFlag = 0");  // another payer's: no concern
  SeedItem(*db_, "D2", "R5", "J01", "BR5", "other", "2099-12");
  auto sweep = [&](bool expectStale) {
    DownloadOnePerson([&](TDealCbxxAndRyxx& deal) {
      deal.sweepItems();
      EXPECT_EQ(deal.StalePersons(), expectStale);
    });
  };
  sweep(false);
  EXPECT_EQ(Q("select xzid from sb_rycbxmb order by xzid"), "local;other;x1;");
  // A server person the download does not mention stays unmarked: the removal has work.
  SeedPerson(*db_, "D1", "R9", "z", "9", "0", "updateFlag = 0");
  sweep(true);
  EXPECT_EQ(Q("select xzid from sb_rycbxmb order by xzid"), "local;other;x1;") << "nothing else to sweep";
}

// Whether a server person is left for the removal is told from the keys the processor holds
// when it knows them, and read from the table when a caller's statement may have changed it: both
// give the same answer for each kind of row.
TEST_F(Processor, StalePersonsAreToldAlikeFromTheKeysAndFromTheTable) {
  struct Case {
    const char* what;
    const char* ly;
    const char* extra;
    bool stale;
  };
  const Case cases[] = {
      {"an unmarked server person", "0", "updateFlag = 0", true},
      {"an unmarked server person of no origin", "", "updateFlag = 0, ly = null", true},
      {"an unmarked server person of empty origin", "", "updateFlag = 0", true},
      {"a marked server person", "0", "updateFlag = 1", false},
      {"a server person never marked", "0", "updateFlag = null", false},
      {"an unmarked local person", "1", "updateFlag = 0", false},
  };
  for (const Case& c : cases) {
    for (bool keysKnown : {true, false}) {
      ASSERT_TRUE(db_->ExecSQL("delete from sb_ryjbxxb; delete from sb_rycbjgxxb; delete from sb_rycbxmb"));
      SeedPerson(*db_, "D1", "R9", "z", "9", c.ly, c.extra);
      SeedPerson(*db_, "D2", "R8", "y", "8", "0", "updateFlag = 0");  // another payer's: no concern
      DownloadOnePerson([&](TDealCbxxAndRyxx& deal) {
        if (!keysKnown) deal.queueSql("update sb_ryjbxxb set djxh = djxh where 0");
        deal.sweepItems();
        EXPECT_EQ(deal.StalePersons(), c.stale) << c.what << (keysKnown ? ", from the keys" : ", from the table");
      });
    }
  }
  // A server person the download writes is marked by it, whichever way it is told.
  for (bool keysKnown : {true, false}) {
    ASSERT_TRUE(db_->ExecSQL("delete from sb_ryjbxxb; delete from sb_rycbjgxxb; delete from sb_rycbxmb"));
    SeedPerson(*db_, "D1", "R1", "a", "1", "0", "updateFlag = 0");
    DownloadOnePerson([&](TDealCbxxAndRyxx& deal) {
      if (!keysKnown) deal.queueSql("update sb_ryjbxxb set djxh = djxh where 0");
      deal.sweepItems();
      EXPECT_FALSE(deal.StalePersons()) << (keysKnown ? "from the keys" : "from the table");
    });
  }
}

TEST_F(Processor, TheSweepFindsItemsACallersStatementAddedAfterThePasses) {
  // The processor does not know what a caller's statement wrote: the sweep reads the table.
  DownloadOnePerson([&](TDealCbxxAndRyxx& deal) {
    deal.queueSql("insert into sb_rycbxmb (djxh, rydjxh, sbjbjgdm, rybh, xzid) values ('D1', 'R1', 'J01', 'BR1', 'late')");
    deal.sweepItems();
  });
  EXPECT_EQ(Q("select xzid from sb_rycbxmb order by xzid"), "x1;");
}

TEST_F(Processor, RecordsWithoutTheirKeyColumnsAreRefused) {
  TFastParseJson ryxx;
  ryxx.ParseText(R"([{"djxh":"R1","xm":"a"}])");
  TDealCbxxAndRyxx deal(nullptr, &ryxx, env_.Db(), "D1");
  try {
    deal.dealRyxx();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "人员信息缺少字段[cbxxID]或[djxh]");
  }
}

}  // namespace
}  // namespace velmor::testing
