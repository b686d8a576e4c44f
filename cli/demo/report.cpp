#include "cli/demo/report.h"

#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <set>

#include "cli/declare_command.h"
#include "cli/json_rows.h"
#include "cli/state_names.h"
#include "cli/text_table.h"
#include "store/sql.h"
#include "velmor/employee_dao.h"
#include "velmor/employee_service.h"
#include "velmor/jk_service.h"
#include "velmor/rcsb_mgr.h"
#include "workbook/workbook.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::json;

// Headings whose cells are numbers in the workbook.
const std::set<std::string> kNumberColumns = {"人数", "笔数", "金额", "凭证数"};

// Counted through `roster` alone, so that it may run on a thread of its own.
ReportTable Persons(IEmployeeService& roster, const std::string& djxh, int outsideImported) {
  ReportTable t{"人员", {"参保状态", "人数"}, {}};
  for (const char* cbzt : {"1", "2", "3"})
    t.rows.push_back(
        {StateCell(cbzt, PersonStateName(cbzt)), std::to_string(roster.getRyCount(djxh, RyOrigin::kAll, cbzt))});
  t.rows.push_back({"其中外部人员导入", std::to_string(outsideImported)});
  t.rows.push_back({"合计", std::to_string(roster.getRyCount(djxh, RyOrigin::kAll, ""))});
  return t;
}

ReportTable Declarations(DemoContext& c) {
  Ref<IRcsbMgr> mgr = c.session.Require<IRcsbMgr>("IRcsbMgr");
  std::string rows;
  if (!mgr->GetSbzbData(Json{{"djxh", c.djxh}}.dump(), -1, 0, rows)) c.session.Fail(mgr->GetErrorMessage());
  std::map<std::string, std::pair<int, double>> byState;
  int count = 0;
  double total = 0;
  for (const Json& m : Json::parse(rows)) {
    const std::string sbzt = m.value("sbzt", "");
    const double zje = std::strtod(m.value("zje", "0").c_str(), nullptr);
    byState[sbzt].first += 1;
    byState[sbzt].second += zje;
    count += 1;
    total += zje;
  }
  ReportTable t{"申报", {"申报状态", "笔数", "金额"}, {}};
  for (const auto& [sbzt, n] : byState)
    t.rows.push_back({StateCell(sbzt, DeclarationStateName(sbzt)), std::to_string(n.first), Money(n.second)});
  t.rows.push_back({"合计", std::to_string(count), Money(total)});
  return t;
}

// The stored payments by method and state (each line once), then the vouchers by the payment
// state the server answered. The lines are counted and summed by the store: the listing of every
// line (200,000 at 100,000 persons, sorted by payment time) took over 3 s to tell the same.
ReportTable Payments(DemoContext& c) {
  Ref<IEmployeeDao> store = c.session.Require<IEmployeeDao>("IEmployeeDao");
  const std::string rows = store->getData(
      "select jkfs, jkzt, dyzt, count(*) as n, sum(qfje) as qfje from sb_fkjnxxb where djxh = " + QuotedStr(c.djxh) +
      " and jkfs in (1, 3) group by jkfs, jkzt, dyzt");
  std::map<std::string, std::pair<int, double>> byState;
  int32_t counted = 0;
  ForEachRow(rows, {"jkfs", "jkzt", "dyzt", "n", "qfje"}, [&](std::string_view, const std::vector<std::string>& r) {
    const std::string key =
        (r[0] == "1" ? "扣款" : "银行端凭证") + std::string(" jkzt ") + r[1] + " dyzt " + r[2];
    const int n = std::atoi(r[3].c_str());
    byState[key].first += n;
    byState[key].second += std::strtod(r[4].empty() ? "0" : r[4].c_str(), nullptr);
    counted += n;
  });
  // The payment service's own count of the same lines: a query the store refused reads as none.
  Ref<IJkService> jk = c.session.Require<IJkService>("IJkService");
  int32_t lines = 0;
  if (!jk->GetCount("", 1, 3, lines)) c.session.Fail(jk->GetErrorMessage());
  if (lines != counted)
    c.session.Fail("缴款明细汇总不完整：共" + std::to_string(lines) + "条，汇总" + std::to_string(counted) + "条");
  ReportTable t{"缴款", {"缴费方式与状态", "笔数", "金额"}, {}};
  for (const auto& [key, n] : byState) t.rows.push_back({key, std::to_string(n.first), Money(n.second)});
  for (const auto& [state, n] : c.employer.voucherStates)
    t.rows.push_back({"申报凭证 " + StateCell(std::to_string(state), PaymentStateName(state)), std::to_string(n), ""});
  t.rows.push_back({"缴费凭证导入", std::to_string(c.employer.receiptsImported), Money(c.employer.receiptsAmount)});
  t.rows.push_back({"缴费明细证明 " + c.employer.certificate, std::to_string(c.employer.certificateLines),
                    Money(c.employer.certificateAmount)});
  return t;
}

ReportTable Residents(DemoContext& c) {
  const ResidentsTally& r = c.residents;
  ReportTable t{"居民", {"事项", "状态", "笔数", "金额"}, {}};
  t.rows.push_back({"缴费登记", "已受理", std::to_string(r.accepted), ""});
  t.rows.push_back({"缴费登记", "未通过", std::to_string(r.rejected), ""});
  t.rows.push_back({"基础信息采集", "成功", std::to_string(r.basicInfo), ""});
  t.rows.push_back({"街道社区变更", "本地记录", std::to_string(r.streetChangesStored), ""});
  t.rows.push_back({"缴费金额确认", "已确认", std::to_string(r.confirmed), Money(r.confirmedAmount)});
  t.rows.push_back(
      {"网上缴费订单", r.orderState == "1" ? "已支付" : r.orderState, std::to_string(r.orders), Money(r.orderAmount)});
  if (r.statesLines > 0) {
    t.rows.push_back({"申报状态", "已申报", std::to_string(r.statesDeclared), ""});
    t.rows.push_back({"申报状态", "未申报", std::to_string(r.statesUndeclared), ""});
  }
  if (r.collectionUnits > 0) {
    t.rows.push_back({"归集情况", "参保", std::to_string(r.collectionInsured), ""});
    t.rows.push_back({"归集情况", "已缴费", std::to_string(r.collectionPaid), ""});
    t.rows.push_back({"归集情况", "未缴费", std::to_string(r.collectionUnpaid), ""});
  }
  t.rows.push_back({"集体补助户申报", StateCell(r.groupState, DeclarationStateName(r.groupState)),
                    std::to_string(r.groupLines), Money(r.groupAmount)});
  return t;
}

}  // namespace

std::vector<ReportTable> BuildReport(DemoContext& c) {
  std::vector<ReportTable> tables;
  if (c.employer.ran) {
    // The persons are counted on connections of their own, with a service object made here, on a
    // thread of its own while the declarations and payments are read (a quarter of a second at
    // 100,000 persons, one core idle while the other counted).
    Ref<IEmployeeService> roster = c.session.Require<IEmployeeService>("IEmployeeService");
    std::future<ReportTable> persons =
        std::async(std::launch::async, [&roster, &c] { return Persons(*roster, c.djxh, c.employer.outsideImported); });
    ReportTable declarations = Declarations(c);
    ReportTable payments = Payments(c);
    tables.push_back(persons.get());
    tables.push_back(std::move(declarations));
    tables.push_back(std::move(payments));
  }
  if (c.residents.ran) tables.push_back(Residents(c));
  return tables;
}

void PrintReport(const std::vector<ReportTable>& tables) {
  std::printf("\n== 汇总\n");
  for (const ReportTable& t : tables) {
    std::printf("\n%s\n", t.sheet.c_str());
    PrintTable(t.head, t.rows);
  }
  std::fflush(stdout);
}

void WriteReportWorkbook(const std::vector<ReportTable>& tables, const std::string& path) {
  workbook::Workbook book;
  for (const ReportTable& t : tables) {
    workbook::Sheet& sheet = book.AddSheet(t.sheet);
    sheet.SetHeader(t.head);
    for (uint32_t col = 0; col < t.head.size(); ++col) sheet.SetColumnWidth(col, col == 0 ? 28 : 14);
    for (uint32_t r = 0; r < t.rows.size(); ++r) {
      for (uint32_t col = 0; col < t.rows[r].size() && col < t.head.size(); ++col) {
        const std::string& cell = t.rows[r][col];
        if (kNumberColumns.count(t.head[col]) && !cell.empty())
          sheet.SetNumber(r + 1, col, std::strtod(cell.c_str(), nullptr), t.head[col] == "金额" ? "0.00" : "0");
        else sheet.SetText(r + 1, col, cell);
      }
    }
  }
  book.Save(path);
}

}  // namespace velmor::cli
