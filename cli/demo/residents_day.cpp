// The residents' payer's day of `velmor demo`: residents registered and submitted per tax office
// with their verdicts, basic information collected, street changes, the fee standards and an
// amount confirmed, an online order placed at the simulated bank over HTTPS and paid there, the
// declaration states of the insured lines queried, the scheme account's collection status exported, and a collective payer's declaration with its
// verdict. One function per step, each driving the
// plug-in's service as the `velmor` command of the same job does.
#include <algorithm>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "cli/declare_command.h"
#include "cli/demo/demo_context.h"
#include "cli/demo/demo_day.h"
#include "cli/text_table.h"
#include "host/net/http_transport.h"
#include "velmor/bzdj.h"
#include "velmor/cxjmjcxxcj.h"
#include "velmor/cxjm_sbzt_query.h"
#include "velmor/cxjmjfdjxxgl.h"
#include "velmor/cxjmxnhzjqkcx.h"
#include "velmor/grsbfjn.h"
#include "velmor/jdczbg_service.h"
#include "velmor/jfbz.h"
#include "velmor/jfjeqr_service.h"
#include "velmor/xnh_mgr.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::json;

// A made-up resident of the day: number k from 1.
struct Resident {
  std::string xm, zjhm, rybh;
};

Resident MakeResident(int k) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", k);
  return {std::string("居民") + number, "9902011990010" + std::string(number) + "1", std::string("JM") + number};
}

// How many residents the day registers: a hundredth of the persons, at least four.
int ResidentCount(const DemoContext& c) { return std::clamp(c.persons / 100, 4, 200); }

// The tax offices of the payer's scheme account (downloaded first when the employer's day did
// not), else its own office.
std::vector<std::string> Offices(DemoContext& c, IProgressView* view) {
  Ref<IXnhMgr> xnh = c.session.Require<IXnhMgr>("IXnhMgr");
  if (!c.employer.ran && !xnh->DjxxXz(view)) c.session.Fail(xnh->GetErrorMessage());
  std::vector<std::string> offices;
  const Json list = Json::parse(xnh->GetDAO() ? xnh->GetDAO()->GetSwjgList(c.djxh) : "[]", nullptr, false);
  if (list.is_array())
    for (const Json& o : list)
      if (o.is_string() && !o.get<std::string>().empty()) offices.push_back(o.get<std::string>());
  if (offices.empty()) offices.push_back(c.Payer().value("zgswjgDm", ""));
  return offices;
}

std::string Registration(DemoContext& c, IProgressView* view) {
  Ref<ICxjmjfdjxxgl> reg = c.session.Require<ICxjmjfdjxxgl>("ICxjmjfdjxxgl");
  auto fail = [&] { c.session.Fail(reg->GetErrorInfo()->GetErrorMsg()); };
  if (!reg->synCxjmxnhshbxfjfdjxxCx(view)) fail();
  // The residents alternate between the payer's offices; the last has no ID number, which the
  // server's verdict refuses.
  const std::vector<std::string> offices = Offices(c, view);
  const int count = ResidentCount(c);
  for (int k = 1; k <= count; ++k) {
    const Resident r = MakeResident(k);
    Ref<IJfdjItem> person = reg->NewJfdj_Ry_Item();
    const std::pair<const char*, std::string> fields[] = {{"swjgDm", offices[size_t(k) % offices.size()]},
                                                          {"czlx", "1"},
                                                          {"xm", r.xm},
                                                          {"zjlxDm", "201"},
                                                          {"zjhm", k == count ? "" : r.zjhm},
                                                          {"sjgghdqDm", "156"}};
    for (const auto& [key, value] : fields) person->Set(key, value);
    Ref<IJfdjItems> lines = reg->NewJfdj_Xz_Items();
    Ref<IJfdjItem> line = reg->NewJfdj_Xz_Item();
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"czlx", "1"},
                                     {"xzlxDm", "110"},
                                     {"jfdXzqhDm", "110101"},
                                     {"jfbz", "380"}})
      line->Set(key, value);
    lines->Add(line.get());
    if (!reg->saveJfdj_RyItem_XzItems(person.get(), lines.get())) fail();
  }
  Ref<IJfdjItems> pending = reg->NewJfdj_Ry_Items();
  if (!reg->getJfdj_Ry_Data(nullptr, -1, 0, pending.get(), nullptr) || !reg->submitData(pending.get(), view)) fail();
  // The verdict of every waiting submission, one per office.
  Ref<IJfdjItems> subs = reg->NewJfdjjl_Items();
  Ref<IJfdjQueryCondition> qc = reg->NewJfdjjl_QueryCondition();
  qc->SetField("zt", "1");
  if (!reg->getJfdjjl_Data(qc.get(), -1, 0, subs.get(), nullptr)) fail();
  ResidentsTally& t = c.residents;
  t.registered = pending->GetCount();
  for (int32_t i = 0; i < subs->GetCount(); ++i) {
    Ref<IJfdjItem> s = subs->GetRecord(i);
    if (!reg->getRespData(s.get(), view)) fail();
    t.submissions += 1;
  }
  Ref<IJfdjItems> persons = reg->NewJfdjjl_Ry_Items();
  if (!reg->getJfdjjl_Ry_Data(nullptr, -1, 0, persons.get(), nullptr)) fail();
  for (int32_t i = 0; i < persons->GetCount(); ++i)
    (persons->GetRecord(i)->Get("code") == "00000" ? t.accepted : t.rejected) += 1;
  return std::to_string(t.registered) + "人分" + std::to_string(t.submissions) + "个税务机关提交：受理 " +
         std::to_string(t.accepted) + " 人，未通过 " + std::to_string(t.rejected) + " 人";
}

std::string BasicInformation(DemoContext& c, IProgressView* view) {
  Ref<ICxjmjcxxcj> svc = c.session.Require<ICxjmjcxxcj>("ICxjmjcxxcj");
  const int count = std::max(2, ResidentCount(c) / 4);
  for (int k = 1; k <= count; ++k) {
    const Resident r = MakeResident(k);
    Ref<IJfdjItem> person = svc->NewCxjmjcxx_Ry_Item();
    for (const auto& [key, value] :
         {std::pair<const char*, std::string>{"czlx", "1"}, {"xm", r.xm}, {"zjlxDm", "201"}, {"zjhm", r.zjhm}})
      person->Set(key, value);
    Ref<IJfdjItems> lines = svc->NewCxjmjcxx_Xz_Items();
    Ref<IJfdjItem> line = svc->NewCxjmjcxx_Xz_Item();
    line->Set("xzlxDm", "110");
    line->Set("sbjbjgDm", c.Payer().value("sbjbjgDm", ""));
    lines->Add(line.get());
    if (!svc->synCxjmshbxfjfdj(person.get(), lines.get(), view)) c.session.Fail(svc->GetErrorMessage());
    c.residents.basicInfo += 1;
  }
  return "已采集 " + std::to_string(c.residents.basicInfo) + " 人的基础信息";
}

std::string StreetChanges(DemoContext& c, IProgressView* view) {
  Ref<IJdczbgService> svc = c.session.Require<IJdczbgService>("IJdczbgService");
  const std::string street = c.Payer().value("xzqhDm", "110101") + "002";
  std::vector<JdczbgEntity> changes;
  for (int k = 1; k <= std::max(1, ResidentCount(c) / 4); ++k) {
    const Resident r = MakeResident(k);
    JdczbgEntity e;
    e.xm = r.xm;
    e.zjlx = "201";
    e.zjhm = r.zjhm;
    e.xzjddm = street;
    e.sqhczdm = street + "001";
    e.xzlxdm = "110";
    e.rybh = r.rybh;
    changes.push_back(std::move(e));
  }
  std::vector<JdczbgRefusal> refused;
  if (!svc->submitBGData(changes, refused)) c.session.Fail(svc->GetErrorMessage());
  int32_t total = 0;
  // The server's record since the earliest change it holds, so the local store matches it.
  if (!svc->queryBGData("2025-01-01", c.today, 50, view, total)) c.session.Fail(svc->GetErrorMessage());
  c.residents.streetChangesSubmitted = int(changes.size() - refused.size());
  c.residents.streetChangesStored = total;
  return "提交 " + std::to_string(c.residents.streetChangesSubmitted) + " 条变更，本地共 " + std::to_string(total) +
         " 条";
}

std::string FeesAndConfirmation(DemoContext& c, IProgressView* view) {
  Ref<IJfbz> jfbz = c.session.Require<IJfbz>("IJfbz");
  std::string result, message;
  if (!jfbz->synJfbzGz(result, message)) c.session.Fail(message);
  // Each registered resident's standard, confirmed with the server.
  Json lines = Json::array();
  for (int k = 1; k < ResidentCount(c); ++k) {
    const Resident r = MakeResident(k);
    const Json person = {{"rybh", r.rybh},       {"sbjbjgdm", c.Payer().value("sbjbjgDm", "")},
                         {"zsxmdm", "10219"},    {"zspmdm", "102190100"},
                         {"zszmdm", ""},         {"jfrq", c.today},
                         {"csrq", "1990-01-01"}, {"xb", k % 2 ? "1" : "2"}};
    if (!jfbz->GetGrJfbz(person.dump(), result, message)) c.session.Fail(message);
    const Json standard = Json::parse(result);
    const Json grades = standard.value("dcList", Json::array());
    if (grades.empty()) c.session.Fail("居民" + r.rybh + "没有缴费档次。");
    lines.push_back({{"rydjxh", "RY" + r.rybh},
                     {"xm", r.xm},
                     {"zjlx", "201"},
                     {"zjhm", r.zjhm},
                     {"sbjbjgdm", person["sbjbjgdm"]},
                     {"rybh", r.rybh},
                     {"pmlx", "01"},
                     {"zsxmdm", "10219"},
                     {"zspmdm", "102190100"},
                     {"zszmdm", ""},
                     {"jffs", standard.value("jffs", "05")},
                     {"jfnd", std::to_string(c.year)},
                     {"jfjedc", CellText(grades[0], "dcdm")},
                     {"jfje", std::strtod(CellText(grades[0], "dcje").c_str(), nullptr)}});
  }
  Ref<IJfjeqrService> svc = c.session.Require<IJfjeqrService>("IJfjeqrService");
  if (!svc->JfjeqrSave(lines.dump(), view, message)) c.session.Fail(message);
  for (const Json& r : Json::parse(svc->GetJfjeqrData("", -1, -1))) {
    c.residents.confirmed += 1;
    c.residents.confirmedAmount += std::strtod(CellText(r, "yjfe").c_str(), nullptr);
  }
  return "缴费标准已下载；确认 " + std::to_string(c.residents.confirmed) + " 人，金额 " +
         Money(c.residents.confirmedAmount);
}

// The order is paid at the bank's cashier page; the simulated bank is told so directly.
void PayAtTheBank(DemoContext& c, const std::string& spddh) {
  host::net::TransportOptions options;
  options.caFile = c.caFile;
  const host::net::HttpResult r =
      host::net::HttpPost(c.bankUrl + "/_bank/state", Json{{"Cmdty_Ordr_No", spddh}, {"state", "paid"}}.dump(),
                          {"Content-Type: application/json"}, options);
  if (!r.ok || !Json::parse(r.body, nullptr, false).value("ok", false))
    c.session.Fail("模拟银行未能支付订单 " + spddh + (r.error.empty() ? "" : "：" + r.error));
}

std::string OnlineOrder(DemoContext& c, IProgressView*) {
  Ref<IGrsbfjn> mgr = c.session.Require<IGrsbfjn>("IGrsbfjn");
  const Resident r = MakeResident(1);
  const double amount = c.residents.confirmed > 0 ? c.residents.confirmedAmount / c.residents.confirmed : 380;
  const Json order = {
      {"rydjxh", "RY" + r.rybh},
      {"xm", r.xm},
      {"zjlx", "201"},
      {"zjhm", r.zjhm},
      {"sbjbjgdm", c.Payer().value("sbjbjgDm", "")},
      {"rybh", r.rybh},
      {"pmlx", "00"},
      {"swjgdm", c.Payer().value("zgswjgDm", "")},
      {"lines", Json::array({{{"zsxmdm", "10210"}, {"zspmdm", "102100100"}, {"jfje", Money(amount)}}})}};
  std::string out, message;
  if (!mgr->Sbfjn(order.dump(), out, message)) c.session.Fail(message);
  const Json placed = Json::parse(out);
  const std::string spddh = CellText(placed, "spddh"), zfddh = CellText(placed, "zfddh");
  PayAtTheBank(c, spddh);
  if (!mgr->DoZfztCx(spddh, zfddh, out, message)) c.session.Fail(message);
  c.residents.orderState = CellText(Json::parse(out), "ddzt");
  c.residents.orders = 1;
  c.residents.orderAmount = std::strtod(CellText(placed, "jfje").c_str(), nullptr);
  return "订单 " + spddh + "（" + Money(c.residents.orderAmount) + "）在银行支付，状态 " +
         (c.residents.orderState == "1" ? "1 已支付" : c.residents.orderState);
}

// The declaration state of the payer's insured lines for this year ("0056" in batches), then
// how many the server has as declared. The lines come from the roster, so a residents-only day
// without a downloaded roster has none to ask about.
std::string DeclarationStates(DemoContext& c, IProgressView* view) {
  Ref<ICXJMSBStatusQueryService> svc =
      c.session.Require<ICXJMSBStatusQueryService>("ICXJMSBStatusQueryService");
  const std::string year = std::to_string(c.year);
  ResidentsTally& t = c.residents;
  // Whether any lines are stored at all is asked only when the query did not get through: the
  // count reads the whole join (a third of a second at 100,000 persons), and the query refuses
  // to run without a roster.
  int32_t answered = 0;
  const bool queried = svc->synSbztCx(c.djxh, Json{{"jfnd", year}}.dump(), view, answered);
  const std::string refusal = queried ? std::string() : svc->GetErrorMessage();
  t.statesLines = answered > 0 ? answered : svc->getCount(c.djxh, Json{{"jfnd", ""}}.dump());
  if (t.statesLines == 0) return "本地没有参保险种明细（花名册未下载），未查询";
  if (!queried) c.session.Fail(refusal);
  // The two counts read the same join, each on a connection of its own: the second on a service
  // object of its own, made here, on a thread of its own (a tenth of a second each at 100,000
  // persons, one core idle while the other counted).
  Ref<ICXJMSBStatusQueryService> other = c.session.Require<ICXJMSBStatusQueryService>("ICXJMSBStatusQueryService");
  std::future<int32_t> declared = std::async(std::launch::async, [&other, &c, &year] {
    return other->getCount(c.djxh, Json{{"jfnd", year}, {"sbzt", "1"}}.dump());
  });
  t.statesUndeclared = svc->getCount(c.djxh, Json{{"jfnd", year}, {"sbzt", "0"}}.dump());
  t.statesDeclared = declared.get();
  return year + "年度查询 " + std::to_string(answered) + " 条：已申报 " + std::to_string(t.statesDeclared) +
         " 条，未申报 " + std::to_string(t.statesUndeclared) + " 条";
}

// How collection of the scheme account stands per unit in the latest payment year that has any
// (this year or up to three before: a year without collection answers "查询无数据"), exported to
// a workbook.
std::string CollectionStatus(DemoContext& c, IProgressView* view) {
  Ref<ICxjmxnhzjqkcx> svc = c.session.Require<ICxjmxnhzjqkcx>("ICxjmxnhzjqkcx");
  Ref<IJfdjItems> units;
  int year = c.year;
  for (;; --year) {
    Ref<IJfdjQueryCondition> qc = svc->NewQc();
    qc->SetField("jfnd", std::to_string(year));
    if (svc->synCxjmxnhzjqkCx(qc.get(), view, units)) break;
    if (svc->GetErrorMessage() != "查询无数据" || year == c.year - 3) c.session.Fail(svc->GetErrorMessage());
  }
  std::string written;
  if (!svc->exportCxjmxnhzjqk(units.get(), c.workDir + "/归集情况.xlsx", view, written))
    c.session.Fail(svc->GetErrorMessage());
  ResidentsTally& t = c.residents;
  for (int32_t i = 0; i < units->GetCount(); ++i) {
    Ref<IJfdjItem> u = units->GetRecord(i);
    t.collectionInsured += std::atoi(u->Get("cbrs").c_str());
    t.collectionPaid += std::atoi(u->Get("yjfrs").c_str());
    t.collectionUnpaid += std::atoi(u->Get("wjfrs").c_str());
  }
  t.collectionUnits = units->GetCount();
  return std::to_string(year) + "年度" + std::to_string(t.collectionUnits) + "个单位：参保 " +
         std::to_string(t.collectionInsured) + " 人，已缴费 " + std::to_string(t.collectionPaid) + " 人，未缴费 " +
         std::to_string(t.collectionUnpaid) + " 人；已导出 " + written;
}

std::string CollectiveDeclaration(DemoContext& c, IProgressView* view) {
  if (!c.server.contains("groups") || c.server["groups"].empty()) c.session.Fail("模拟服务器没有集体补助户。");
  const Json& group = c.Group();
  Ref<IBzDjIntf> svc(c.session.Require<IJtbzhIntf>("IJtbzhIntf").get());
  svc->SetDjxh(group.value("djxh", ""));
  auto check = [&](bool ok) {
    if (!ok) c.session.Fail(svc->GetErrorMessage());
  };
  check(svc->synCxjmjtbzhjfdjxxCx(view));
  const std::string agency = group.value("sbjbjgDm", ""), office = group.value("zgswjgDm", "");
  const Json kinds = Json::parse(svc->getXzlxdms(agency), nullptr, false);
  const std::string xzlx =
      kinds.is_array() && !kinds.empty() && kinds[0].is_string() ? kinds[0].get<std::string>() : "1";
  Json lines = Json::array();
  const int count = std::clamp(c.persons / 250, 2, 40);
  for (int k = 1; k <= count; ++k) {
    const Resident r = MakeResident(1000 + k);
    lines.push_back({{"jfnd", std::to_string(c.year)},
                     {"sbjbjgdm", agency},
                     {"dwbh", group.value("dwbh", "")},
                     {"rybh", r.rybh},
                     {"xzlxdm", xzlx},
                     {"xm", r.xm},
                     {"zjlx", "201"},
                     {"zjhm", r.zjhm},
                     {"yjfe", 380}});
  }
  int32_t added = 0, id = 0;
  check(svc->addDatas(lines.dump(), view, added));
  check(svc->synCxjmjtbzsb(Json{{"zgswjgDm", office}, {"sbjbjgDm", agency}, {"jfnd", std::to_string(c.year)}}.dump(),
                           view, id));
  std::string sbzt;
  check(svc->synCxjmjtbzsbjgCx(id, view, sbzt));
  ResidentsTally& t = c.residents;
  t.groupState = sbzt;
  t.groupLines = added;
  t.groupAmount = 380.0 * added;
  return "集体补助户 " + group.value("djxh", "") + "：" + std::to_string(added) + "人，金额 " + Money(t.groupAmount) +
         "，申报 " + std::to_string(id) + " 状态 " + sbzt + " " + DeclarationStateName(sbzt);
}

}  // namespace

void RunResidentsDay(DemoContext& c, LongOperation& op) {
  DemoDay day("城乡居民缴费人的一天：缴费人 " + c.djxh, op);
  c.residents.ran = true;
  day.Step("登记居民并按税务机关提交", [&](IProgressView* v) { return Registration(c, v); });
  day.Step("采集基础信息", [&](IProgressView* v) { return BasicInformation(c, v); });
  day.Step("街道社区变更", [&](IProgressView* v) { return StreetChanges(c, v); });
  day.Step("缴费标准与缴费金额确认", [&](IProgressView* v) { return FeesAndConfirmation(c, v); });
  day.Step("网上缴费（模拟银行，HTTPS）", [&](IProgressView* v) {
    return c.bankUrl.empty() ? std::string("没有模拟银行（--server），未下单") : OnlineOrder(c, v);
  });
  day.Step("申报状态查询", [&](IProgressView* v) { return DeclarationStates(c, v); });
  day.Step("归集情况查询与导出", [&](IProgressView* v) { return CollectionStatus(c, v); });
  day.Step("集体补助户申报", [&](IProgressView* v) { return CollectiveDeclaration(c, v); });
}

}  // namespace velmor::cli
