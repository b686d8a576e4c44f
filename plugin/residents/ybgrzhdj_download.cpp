// The download of the residents registered against the payer's medical-insurance personal
// account ("0187") and its merge into the local tables.
//
// Per tax office of the payer's scheme account: the count (sftj "Y") tells how many residents the
// window holds and the window the server applied; the pages follow, kPageSize residents each. A
// full download asks for everything up to now; an incremental one from the end of the office's
// last window. Only when every office and page has arrived is anything written, in one
// transaction, so a failure leaves the tables as they were.
//
// Each resident keeps every insured line of the answer: its lines are deleted and each answered
// line inserted (a resident insured in three lines keeps three).
#include <algorithm>

#include "business/date_time.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "residents/ybgrzhdj.h"
#include "service/ybgrzhdj_query.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"
#include "velmor/sys_param.h"
#include "velmor/xnh_mgr.h"

namespace velmor {

namespace {

using service::Json;
using service::Text;

constexpr const char* kWorker = "TYbgrzhdjcxjmxxCx";
constexpr service::OpRow kCount{kWorker, "doUpdate", "0187", "", service::kYbgrzhdjRequest, ""};
constexpr service::OpRow kPage{kWorker, "doUpdate", "0187", "", service::kYbgrzhdjRequest, service::kYbgrzhdjList};

Ref<ISysParamIntf> Params(const std::string& djxh) {
  Ref<ISysParamIntf> p = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
  p->SetDjxh(djxh);
  return p;
}

int64_t CountOf(const Json& answer) {
  const std::string text = Text(answer, "cxjmrs");
  try {
    size_t used = 0;
    const long long n = std::stoll(text, &used);
    if (used == text.size() && n >= 0) return n;
  } catch (const std::exception&) {
  }
  throw taxml::Failure("反馈报文异常：人员数[" + text + "]无效");
}

double AmountOf(const Json& line) {
  const std::string text = Text(line, "yjfe");
  if (text.empty()) return 0;
  try {
    return std::stod(text);
  } catch (const std::exception&) {
    throw taxml::Failure("反馈报文异常：应缴费额[" + text + "]无效");
  }
}

}  // namespace

TYbgrzhdjcxjmxxCx::Office TYbgrzhdjcxjmxxCx::Fetch(const std::string& swjgDm) {
  Office office;
  office.swjgDm = swjgDm;
  office.gxsjz = NowText();
  if (incremental_) office.gxsjq = Params(djxh_)->GetValue(kYbgrzhRyxxGxsjq + swjgDm);

  service::YbgrzhdjQuery q{swjgDm, office.gxsjq, office.gxsjz, true, 1, kPageSize};
  service::OpCall call{djxh_, service::YbgrzhdjQueryParams(djxh_, q), progress_};
  const Json counted = service::ExchangeAwaiting(kCount, call);
  const int64_t total = CountOf(counted);
  // The server's window is the one to continue from.
  if (!Text(counted, "gxsjq").empty() || !Text(counted, "gxsjz").empty()) {
    q.gxsjq = office.gxsjq = Text(counted, "gxsjq");
    if (!Text(counted, "gxsjz").empty()) q.gxsjz = office.gxsjz = Text(counted, "gxsjz");
  }
  q.count = false;
  const int64_t pages = (total + kPageSize - 1) / kPageSize;
  for (int64_t page = 1; page <= pages; ++page) {
    q.pagenum = static_cast<int32_t>(page);
    call.params = service::YbgrzhdjQueryParams(djxh_, q);
    Json answer = service::ExchangeAwaiting(kPage, call);
    for (Json& r : answer[service::kYbgrzhdjList])
      if (r.is_object()) office.residents.push_back(std::move(r));
  }
  return office;
}

void TYbgrzhdjcxjmxxCx::SaveResident(IDBMechanism& db, const std::string& swjgDm, const Json& r) {
  // The entry's djxh is the resident's own registration number.
  const std::string rydjxh = Text(r, "rydjxh").empty() ? Text(r, "djxh") : Text(r, "rydjxh");
  if (rydjxh.empty()) throw taxml::Failure("反馈报文异常：人员登记序号为空");
  const int32_t known = QueryCount(
      db, FormatSql(" select count(1) from ds_ybgrzh_cxjmdjxx where djxh = '%s' and rydjxh = '%s' and swjgDm = '%s' ",
                    {V(djxh_), V(rydjxh), V(swjgDm)}));
  if (known > 0)
    ExecOrThrow(db, FormatSql(" update ds_ybgrzh_cxjmdjxx set xm = %s, sfzjlx = '%s', sfzjhm = '%s',  gjDm = '%s', "
                              "csrq = '%s', xb = '%s', nsrsbh = '%s', updateFlag = 1  where djxh = '%s' and rydjxh = "
                              "'%s' and swjgDm = '%s' ",
                              {Q(Text(r, "xm")), V(Text(r, "sfzjlx")), V(Text(r, "sfzjhm")), V(Text(r, "gjDm")),
                               V(Text(r, "csrq")), V(Text(r, "xb")), V(Text(r, "nsrsbh")), V(djxh_), V(rydjxh),
                               V(swjgDm)}));
  else
    ExecOrThrow(db, FormatSql(" insert into ds_ybgrzh_cxjmdjxx (djxh, rydjxh, swjgDm, xm, sfzjlx, sfzjhm,  gjDm, csrq, "
                              "xb, nsrsbh, updateFlag)  values ('%s', '%s', '%s', %s, '%s', '%s',  '%s', '%s', '%s', "
                              "'%s', 1) ",
                              {V(djxh_), V(rydjxh), V(swjgDm), Q(Text(r, "xm")), V(Text(r, "sfzjlx")),
                               V(Text(r, "sfzjhm")), V(Text(r, "gjDm")), V(Text(r, "csrq")), V(Text(r, "xb")),
                               V(Text(r, "nsrsbh"))}));
  ExecOrThrow(db, FormatSql(" delete from ds_ybgrzh_cxjmcbdjxx where djxh = '%s' and rydjxh = '%s' and swjgDm = '%s' ",
                            {V(djxh_), V(rydjxh), V(swjgDm)}));
  if (!r.contains(service::kYbgrzhdjLineList) || !r[service::kYbgrzhdjLineList].is_array()) return;
  // Every line is inserted: after the delete an update keyed on payer, person and office would
  // fold all lines of the resident into one.
  for (const Json& l : r[service::kYbgrzhdjLineList]) {
    if (!l.is_object()) continue;
    ExecOrThrow(db, FormatSql(" insert into ds_ybgrzh_cxjmcbdjxx (djxh, rydjxh, swjgDm, sbjbjgdm, rybh,  dwbh, djnd, "
                              "sbhm, ssxzqhDm, sqczDm, xzlxDm,  zsxmdm, zspmdm, zszmdm, tcqBm, jdxzDm, xzSqczDm,  "
                              "cbrytslbDm, ksjfyf, tzjfyf, gxsj, yjfe, updateFlag)  values ('%s', '%s', '%s', '%s', "
                              "'%s',  '%s', '%s', '%s', '%s', '%s', '%s',  '%s', '%s', '%s', '%s', '%s', '%s',  '%s', "
                              "'%s', '%s', '%s', %f, 1) ",
                              {V(djxh_), V(rydjxh), V(swjgDm), V(Text(l, "sbjbjgDm")), V(Text(l, "rybh")),
                               V(Text(l, "dwbh")), V(Text(l, "djnd")), V(Text(l, "sbhm")), V(Text(l, "ssxzqhDm")),
                               V(Text(l, "sqczDm")), V(Text(l, "xzlxDm")), V(Text(l, "zsxmdm")), V(Text(l, "zspmdm")),
                               V(Text(l, "zszmdm")), V(Text(l, "tcqBm")), V(Text(l, "jdxzDm")), V(Text(l, "xzSqczDm")),
                               V(Text(l, "cbrytslbDm")), V(Text(l, "ksjfyf")), V(Text(l, "tzjfyf")), V(Text(l, "gxsj")),
                               AmountOf(l)}));
  }
}

void TYbgrzhdjcxjmxxCx::doUpdate(IDBMechanism& db, const std::vector<Office>& offices) {
  Transaction tx(db);
  if (!incremental_)
    ExecOrThrow(db, FormatSql(" update ds_ybgrzh_cxjmdjxx set updateflag = 0 where djxh = '%s';  update "
                              "ds_ybgrzh_cxjmcbdjxx set updateflag = 0 where djxh = '%s'; ",
                              {V(djxh_), V(djxh_)}));
  for (const Office& o : offices)
    for (const Json& r : o.residents) SaveResident(db, o.swjgDm, r);
  if (!incremental_)
    ExecOrThrow(db, FormatSql(" delete from ds_ybgrzh_cxjmdjxx where djxh = '%s' and updateflag = 0;  delete from "
                              "ds_ybgrzh_cxjmcbdjxx where djxh = '%s' and updateflag = 0; ",
                              {V(djxh_), V(djxh_)}));
  tx.Commit();
}

int32_t TYbgrzhdjcxjmxxCx::Execute(const std::vector<std::string>& offices) {
  if (progress_) progress_->SetMessage("正在处理，请稍后");
  std::vector<Office> fetched;
  size_t total = 0;
  for (const std::string& swjgDm : offices) {
    fetched.push_back(Fetch(swjgDm));
    total += fetched.back().residents.size();
    StepProgress(progress_, static_cast<int32_t>(80 / offices.size()));
  }
  if (progress_) progress_->SetMessage("正在保存数据，请稍候...");
  Ref<IDBMechanism> db = OpenMainConnection();
  doUpdate(*db, fetched);
  // The windows count only once their rows are stored; a failed save asks for them again.
  Ref<ISysParamIntf> params = Params(djxh_);
  params->SetValue(kYbgrzhRyxxGxsj, NowText());
  for (const Office& o : fetched) params->SetValue(kYbgrzhRyxxGxsjq + o.swjgDm, o.gxsjz);
  return static_cast<int32_t>(total);
}

namespace {

// The offices of the payer's scheme account (its downloaded registration).
std::vector<std::string> SchemeOffices() {
  Ref<IXnhMgr> mgr = CreatePluginService<IXnhMgr>("创建平台组件接口[IXnhMgr]失败！");
  Ref<IXnhCbxxItems> items;
  if (!mgr->queryXnhCbxxItems(nullptr, items) || !items) throw taxml::Failure(mgr->GetErrorMessage());
  std::vector<std::string> offices;
  for (int32_t i = 0; i < items->GetCount(); ++i) {
    Ref<IXnhCbxxItem> it = items->GetCbxxItem(i);
    const std::string swjg = it ? it->GetSwjgdm() : std::string();
    if (!swjg.empty() && std::find(offices.begin(), offices.end(), swjg) == offices.end()) offices.push_back(swjg);
  }
  if (offices.empty()) throw service::OpRefusal("未获取到虚拟户的主管税务机关，请先下载虚拟户信息。");
  return offices;
}

}  // namespace

bool TYbgrzhdj::synYbgrzhdjcxjmxxCx(bool incremental, IProgressView* progress, int32_t& residents) {
  residents = 0;
  ErrorMessage.clear();
  int32_t n = 0;
  const bool ok = Attempt({kWorker, "doUpdate", LogForm::kBracketed}, {"人员参保信息处理失败：", true, UnknownText::kShown},
                          &ErrorMessage, [&] {
                            const std::string djxh = CurrentDjxh();
                            TYbgrzhdjcxjmxxCx worker(djxh, incremental, progress);
                            n = worker.Execute(SchemeOffices());
                          });
  if (ok) residents = n;
  return ok;
}

}  // namespace velmor
