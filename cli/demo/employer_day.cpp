// The employer's day of `velmor demo`: rules, scheme account, roster with a workbook of outside
// persons, enrolment states, payable information, a declaration built from the roster with its
// feedback, the arrears paid part by deduction and the rest on bank-side vouchers, their states,
// the home-page notices, a receipt workbook imported, and a payment-detail certificate issued and
// checked. Every step goes through the plug-in's services, as the `velmor` commands do.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <future>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/declaration_rows.h"
#include "cli/declare_command.h"
#include "cli/demo/arrears_split.h"
#include "cli/demo/demo_context.h"
#include "cli/demo/demo_day.h"
#include "cli/error_record.h"
#include "cli/pay_command.h"
#include "cli/roster_declaration.h"
#include "cli/roster_workbooks.h"
#include "cli/state_names.h"
#include "cli/text_table.h"
#include "codec/json_cursor.h"
#include "store/sql.h"
#include "velmor/dict_mgr.h"
#include "velmor/employee_dao.h"
#include "velmor/employee_service.h"
#include "velmor/jfpj_service.h"
#include "velmor/jk_service.h"
#include "velmor/rcsb_mgr.h"
#include "velmor/shbxfjfmxzm.h"
#include "velmor/xnh_mgr.h"
#include "velmor/yjxx_service.h"
#include "workbook/workbook.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::json;

double Amount(const Json& row, const char* key) {
  const std::string text = CellText(row, key);
  return text.empty() ? 0 : std::strtod(text.c_str(), nullptr);
}

// The outside persons' workbook: the region's installed template with a few persons the server
// does not know, and one row whose ID number is too short (refused into the error workbook).
std::string OutsidePersonsWorkbook(DemoContext& c) {
  workbook::Workbook book = workbook::Workbook::Open(InstalledRosterTemplate(c.session, false));
  workbook::Sheet& sheet = book.FirstSheet();
  const char* names[] = {"外部甲", "外部乙", "外部丙"};
  uint32_t row = 1;
  for (int i = 0; i < 3; ++i)
    sheet.SetRow(row++, {names[i], "居民身份证", "99010119800101" + std::to_string(1000 + i), "外部人员", "临时组"});
  sheet.SetRow(row, {"外部丁", "居民身份证", "12345"});
  const std::string path = c.workDir + "/外部人员.xlsx";
  book.Save(path);
  return path;
}

// The receipts of the workbook imported: one per person of the first roster rows.
int ReceiptCount(const DemoContext& c) { return std::clamp(c.persons / 100, 3, 50); }

// The first `count` rows of a page of the roster's JSON text as a tree; the rest is not read (the
// declaration reads the page next). Text that does not begin as a list of rows is parsed whole.
Json FirstRows(std::string_view text, size_t count) {
  try {
    JsonCursor c(text);
    Json rows = Json::array();
    c.BeginArray();
    for (bool more = c.FirstElement(); more; more = c.NextElement()) {
      if (rows.size() == count) return rows;
      rows.push_back(Json::parse(c.Skip()));
    }
    c.End();
    return rows;
  } catch (const JsonCursor::Malformed&) {
  } catch (const Json::exception&) {
  }
  return Json::parse(text, nullptr, false);
}

// The receipt workbook: the plug-in's template with one receipt per person of the first roster
// rows (the whole year of their first item).
std::string ReceiptsWorkbook(DemoContext& c, IJfpjService& jfpj, const Json& roster, int count) {
  const std::string path = c.workDir + "/缴费凭证.xlsx";
  std::string message;
  if (!jfpj.DealXlsTemplate(path, message)) c.session.Fail(message);
  workbook::Workbook book = workbook::Workbook::Open(path);
  workbook::Sheet& sheet = book.FirstSheet();
  const std::string year = std::to_string(c.year);
  uint32_t row = 1;
  for (const Json& r : roster) {
    if (int(row) > count) break;
    const std::string amount = Money(std::max(Amount(r, "yjfe"), 100.0));
    sheet.SetRow(row++, {CellText(r, "xm"), "居民身份证", CellText(r, "zjhm"), "社保经办机构", "基本养老保险费",
                         "职工基本养老保险", year + "-01", year + "-12", amount, c.today});
  }
  book.Save(path);
  return path;
}

}  // namespace

void RunEmployerDay(DemoContext& c, LongOperation& op) {
  PluginSession& session = c.session;
  const std::string& djxh = c.djxh;
  const std::string year = std::to_string(c.year);
  DemoDay day("用人单位的一天：缴费人 " + djxh + " " + c.Payer().value("nsrmc", ""), op);
  Ref<IEmployeeService> roster = session.Require<IEmployeeService>("IEmployeeService");
  Ref<IRcsbMgr> mgr = session.Require<IRcsbMgr>("IRcsbMgr");
  Ref<IXnhMgr> xnh = session.Require<IXnhMgr>("IXnhMgr");
  Ref<IJkService> jk = session.Require<IJkService>("IJkService");
  EmployerTally& tally = c.employer;
  tally.ran = true;
  std::string message;

  day.Step("更新规则", [&](IProgressView*) {
    Ref<IDictMgr> dict = session.Require<IDictMgr>("IDictMgr");
    if (!dict->Update(djxh, true)) session.Fail(dict->GetErrorMessage());
    return std::string("规则已更新");
  });
  day.Step("下载参保登记信息", [&](IProgressView* view) {
    if (!xnh->DjxxXz(view) || !xnh->downloadZjms(view)) session.Fail(xnh->GetErrorMessage());
    std::vector<std::string> types;
    if (!xnh->GetXzlxList(djxh, types)) session.Fail(xnh->GetErrorMessage());
    return "参保登记信息已保存，" + std::to_string(types.size()) + "个险种类型";
  });
  day.Step("下载花名册", [&](IProgressView* view) {
    if (!roster->updateCbryxx(djxh, false, view, message)) session.Fail(message);
    // The items are counted through a service object of their own, on a thread of their own,
    // while the persons are counted here (each count reads on a connection of its own).
    Ref<IEmployeeService> counter = session.Require<IEmployeeService>("IEmployeeService");
    std::future<int32_t> items =
        std::async(std::launch::async, [&counter, &djxh] { return counter->getItemCount(djxh); });
    const int32_t persons = roster->getRyCount(djxh, RyOrigin::kAll, "");
    return std::to_string(persons) + "人，" + std::to_string(items.get()) + "个参保项目";
  });
  day.Step("导入外部人员（工作簿）", [&](IProgressView* view) {
    std::vector<TWbryImportEntity> rows;
    WorkbookImportResult result;
    if (!roster->importWbry(djxh, OutsidePersonsWorkbook(c), view, rows, result, message)) session.Fail(message);
    tally.outsideImported = result.accepted;
    tally.outsideRejected = result.rejected;
    return "成功 " + std::to_string(result.accepted) + " 人，失败 " + std::to_string(result.rejected) + " 人" +
           (result.errorFile.empty() ? "" : "（失败的行及原因：" + result.errorFile + "）");
  });
  day.Step("刷新参保状态", [&](IProgressView* view) {
    if (roster->refreshCbzt(djxh, false, true, view, message) < 0) session.Fail(message);
    return "本月参保" + std::to_string(roster->getRyCount(djxh, RyOrigin::kAll, "1")) + "人";
  });
  day.Step("下载应缴信息", [&](IProgressView* view) {
    Ref<IYjxxService> yjxx = session.Require<IYjxxService>("IYjxxService");
    int32_t count = 0;
    if (!yjxx->downloadData(year, Json{{"batch", false}, {"zjyxrq_enabled", "N"}}.dump(), view, count, message))
      session.Fail(message);
    const Json stats = Json::parse(yjxx->getStatistics());
    tally.payableRows = count;
    tally.payableAmount = Amount(stats, "zje");
    return year + "年度应缴信息" + std::to_string(count) + "条，合计 " + Money(tally.payableAmount);
  });
  day.Step("下载申报清单", [&](IProgressView* view) {
    if (!mgr->synSbqdCx("5", year + "-01-01", year + "-12-31", view, message)) session.Fail(message);
    int32_t count = 0;
    mgr->GetSbzbCount(Json{{"djxh", djxh}}.dump(), count);
    return "本地共" + std::to_string(count) + "条申报记录";
  });
  day.Step("查询核定申报状态", [&](IProgressView* view) {
    int32_t stored = 0;
    if (!roster->QueryHdsbztCx(djxh, year + "-01-01", year + "-12-31", view, stored, message)) session.Fail(message);
    return "已保存" + std::to_string(stored) + "条核定申报状态";
  });
  int32_t id = 0, sbzt = 0;
  Json rosterRows = Json::array();
  day.Step("按花名册申报", [&](IProgressView* view) {
    Json offices = Json::parse(xnh->GetDAO() ? xnh->GetDAO()->GetSwjgList(djxh) : "[]", nullptr, false);
    const bool hasOffice = offices.is_array() && !offices.empty() && offices[0].is_string();
    RosterDeclaration sb;
    {
      // The roster's rows (those of the update view, with only the members the declaration
      // reads) are read as text a page of persons at a time (a tree of them would hold every row
      // of 100,000 persons), each built into the declaration while the next is read.
      Ref<IEmployeeDao> store = session.Require<IEmployeeDao>("IEmployeeDao");
      const std::map<std::string, double> amounts =
          AssessedAmountsText(store->getData("select xzid, ybtfe from ds_rysbztb where djxh = " + QuotedStr(djxh)));
      const size_t receipts = ReceiptCount(c);
      sb = DeclarationFromStore(*store, djxh, c.month, amounts, hasOffice ? offices[0].get<std::string>() : "", c.year,
                                [&](std::string_view page) {
                                  if (rosterRows.size() >= receipts) return;
                                  Json rows = FirstRows(page, receipts - rosterRows.size());
                                  if (!rows.is_array()) return;
                                  for (Json& row : rows) rosterRows.push_back(std::move(row));
                                });
    }
    HandBackFreedMemory();
    if (!mgr->SbSend(sb.text, view, id, sbzt, message)) session.Fail(message);
    return "申报 " + std::to_string(id) + "：" + std::to_string(sb.persons) + "行人员，金额 " + Money(sb.amount) +
           "，状态 " + StateCell(std::to_string(sbzt), DeclarationStateName(std::to_string(sbzt)));
  });
  day.Step("获取申报反馈", [&](IProgressView* view) {
    if (sbzt != 1 && sbzt != 9) return std::string("服务器已即时答复，无需获取反馈");
    if (!mgr->GetSbFk(id, view, sbzt, message)) session.Fail(message);
    return "申报 " + std::to_string(id) + "：状态 " +
           StateCell(std::to_string(sbzt), DeclarationStateName(std::to_string(sbzt)));
  });
  day.Step("查询缴款状态", [&](IProgressView* view) {
    std::string vouchers, states;
    if (!mgr->GetWjkDataLb(djxh, "2,6", vouchers)) session.Fail(mgr->GetErrorMessage());
    if (Json::parse(vouchers).empty()) return std::string("没有未缴款的凭证");
    if (!mgr->BatGetJkzt(vouchers, view, 100, states, message)) session.Fail(message);
    const Json jkzt = Json::parse(states);
    for (const auto& [voucher, state] : jkzt.items()) tally.voucherStates[state.get<int>()] += 1;
    return "已查询" + std::to_string(jkzt.size()) + "张凭证";
  });
  // Half the arrears lines by deduction under the payer's agreement, the rest on bank-side vouchers.
  std::vector<std::string> deducted;
  day.Step("缴纳欠费（扣款与银行端凭证）", [&](IProgressView* view) {
    std::string text;
    if (!jk->GetQfxxLb(0, "", "", "", view, text)) session.Fail(jk->GetErrorMessage());
    ArrearsSplit split = SplitArrears(text);
    text.clear();
    text.shrink_to_fit();
    if (split.deductionLines == 0) return std::string("没有欠费");
    deducted = std::move(split.deductedDocuments);
    if (!jk->GetSfxyLb(djxh, "1", view, text)) session.Fail(jk->GetErrorMessage());
    const Json agreements = Json::parse(text);
    if (agreements.empty()) session.Fail("未查询到三方协议，无法扣款。");
    int32_t result = kJkFailed;
    if (!jk->SfyxJk(split.deduction, agreements[0].dump(), "{}", 0, view, result)) session.Fail(jk->GetErrorMessage());
    if (split.voucherLines > 0) {
      if (!jk->PrintJkpz(split.voucher, VoucherAccount(agreements[0]).dump(), view, result))
        session.Fail(jk->GetErrorMessage());
    }
    return "扣款" + std::to_string(split.deductionLines) + "条（" + Money(split.deductionAmount) + "），开具凭证" +
           std::to_string(split.voucherLines) + "条（" + Money(split.voucherAmount) + "）";
  });
  day.Step("查询扣款结果", [&](IProgressView* view) {
    int paid = 0;
    for (const std::string& yzpzxh : deducted) {
      std::string answer;
      if (!jk->Kkqkcx(djxh, yzpzxh, view, answer) || !jk->SaveKkqkcxResult(djxh, yzpzxh, answer))
        session.Fail(jk->GetErrorMessage());
      paid += std::strtod(Json::parse(answer).value("wjkje", "1").c_str(), nullptr) == 0;
    }
    return std::to_string(deducted.size()) + "张应征凭证中" + std::to_string(paid) + "张已全部缴清";
  });
  day.Step("首页提醒", [&](IProgressView* view) {
    return "首页收到" + std::to_string(SendArrearsNotices(session, *jk, view, "   ")) + "条提醒";
  });
  day.Step("导入缴费凭证（工作簿）", [&](IProgressView*) {
    Ref<IJfpjService> jfpj = session.Require<IJfpjService>("IJfpjService");
    std::string valid, rejected;
    if (!jfpj->ImportXls(ReceiptsWorkbook(c, *jfpj, rosterRows, ReceiptCount(c)), valid, rejected, message))
      session.Fail(message);
    for (const Json& r : Json::parse(valid)) {
      tally.receiptsImported += 1;
      tally.receiptsAmount += Amount(r, "jfje");
    }
    return "导入 " + std::to_string(tally.receiptsImported) + " 条（" + Money(tally.receiptsAmount) + "），未导入 " +
           std::to_string(Json::parse(rejected).size()) + " 条";
  });
  day.Step("开具并查验缴费明细证明", [&](IProgressView* view) {
    Ref<IShbxfjfmxzm> zm = session.Require<IShbxfjfmxzm>("IShbxfjfmxzm");
    Ref<ErrorRecord> error = Make<ErrorRecord>();
    Ref<IItems> lines;
    if (!zm->synSbfzrrjfqdCx(djxh, view, lines, error.get())) session.Fail(error->GetErrorMsg());
    // The lines of the first levy document that no certificate covers yet.
    Ref<IItems> chosen = zm->NewSbfjfqdItems();
    std::string yzpzxh;
    for (int32_t i = 0; i < lines->GetCount(); ++i) {
      IInterface* l = lines->GetItem(i).get();
      if (!PropText(l, "pzhm").empty()) continue;
      if (yzpzxh.empty()) yzpzxh = PropText(l, "yzpzxh");
      if (PropText(l, "yzpzxh") == yzpzxh) chosen->Add(l);
    }
    if (chosen->GetCount() == 0) session.Fail("没有可开具证明的缴费记录。");
    Ref<IShbxfjfmxRecord> cert;
    if (!zm->synShbxfjfmxdyqq(djxh, chosen.get(), view, cert, error.get())) session.Fail(error->GetErrorMsg());
    tally.certificate = cert->GetPropTextByName("pzhm");
    tally.certificateLines = cert->GetMxList()->GetCount();
    tally.certificateAmount = std::strtod(cert->GetPropTextByName("jfje").c_str(), nullptr);
    Ref<IShbxfjfmxRecord> checked;
    if (!zm->synShbxfjfmxzmcy(tally.certificate, c.Payer().value("nsrsbh", ""), c.Payer().value("nsrmc", ""), view,
                              checked, error.get()))
      session.Fail(error->GetErrorMsg());
    return "证明 " + tally.certificate + "：" + std::to_string(tally.certificateLines) + "条缴费记录，金额 " +
           Money(tally.certificateAmount) + "；查验 " + zm->GetPzztMc(checked->GetPropTextByName("pzztDm"));
  });
}

}  // namespace velmor::cli
