#include "residents/cxjmxnhzjqkcx.h"

#include <algorithm>

#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/server_call.h"

namespace velmor {

namespace {

using service::Json;
using service::Text;

constexpr const char* kClass = "TCxjmxnhzjqkcxImpl";

// The submit answers the serials whose data the collect code hands out (the server splits a
// large result); each collect may answer "10042" while the server still prepares it.
constexpr service::OpRow kZjqkSubmit{kClass, "synCxjmxnhzjqkCx", "0339", "", "", "yblshLb", service::AnswerKind::kJson};
constexpr service::OpRow kZjqkCollect{kClass, "synCxjmxnhzjqkCx", "0340", "", "", "", service::AnswerKind::kJson};
constexpr service::OpRow kRymxSubmit{kClass, "synCxjmxnhzjqkrymxCx", "0341", "", "", "yblshLb",
                                     service::AnswerKind::kJson};
constexpr service::OpRow kRymxCollect{kClass, "synCxjmxnhzjqkrymxCx", "0342", "", "", "",
                                      service::AnswerKind::kJson};

constexpr std::string_view kUnitColumns[] = {
    "dwbh",   "dwmc",   "swjgdm",   "swjgmc",  "swksdm",   "swksmc", "sbjbjgdm", "sbjbjgmc", "jdxzdm",
    "jdxzmc", "sqczdm", "sqczmc",   "jfnd",    "cbrs",     "wjfrs",  "yjfrs",    "yjfwfkrs", "yfkrs",
    "xnhdtrs", "xnhwbrs", "grdtrs", "grwbrs",  "grsyrs",   "grpkrs"};
constexpr std::string_view kPersonColumns[] = {
    "dwbh", "dwmc",   "swjgmc", "swksmc", "sbjbjgmc", "jdxzmc", "sqczmc", "xm",   "sfzjlx", "sfzjlxmc",
    "sfzjhm", "rybh", "sjhm",   "cbrytslbdm", "cbrytslbmc", "fkssqq", "fkssqz", "jfje", "jfsj", "jfqd",
    "fksj"};
constexpr std::string_view kQcFields[] = {"sbjbjgdm", "jdxzdm", "sqczdm", "zsxmdm", "zspmdm", "zszmdm", "jfnd"};
constexpr std::string_view kMxlxValues[] = {kMxlxCbrs, kMxlxWjfrs, kMxlxYjfrs, kMxlxWfkrs, kMxlxYfkrs};

constexpr const char* kNoData = "查询无数据";

// The serials of a submit answer: texts, or objects holding "yblsh".
std::vector<std::string> Serials(const Json& answer) {
  std::vector<std::string> out;
  for (const Json& e : answer["yblshLb"]) {
    const std::string s = e.is_object() ? Text(e, "yblsh") : e.is_string() ? e.get<std::string>() : std::string();
    if (!s.empty()) out.push_back(s);
  }
  return out;
}

// Submits, then collects every serial: the rows of `list` of all of them, as records of `family`.
Ref<IJfdjItems> SubmitAndCollect(const service::OpRow& submit, const service::OpRow& collect, const Json& data,
                                 const char* list, const JfdjFamily& family, IProgressView* progress) {
  service::OpCall call{CurrentDjxh(), Json::object(), progress};
  call.params["data"] = data;
  const std::vector<std::string> serials = Serials(service::Exchange(submit, call));
  Ref<IJfdjItems> out = NewJfdjRecords(family);
  for (const std::string& serial : serials) {
    service::OpCall ask{call.djxh, Json::object(), progress};
    ask.yblsh = serial;
    const Json answer = service::ExchangeAwaiting(collect, ask);
    if (!answer.contains(list) || !answer[list].is_array()) continue;
    for (const Json& row : answer[list]) {
      if (!row.is_object()) continue;
      Ref<TJfdjRecord> r = New<TJfdjRecord>(family);
      r->FromRow(row);
      out->Add(static_cast<IJfdjItem*>(r.get()));
    }
  }
  if (out->GetCount() == 0) throw service::OpRefusal(kNoData);
  return out;
}

void Start(IProgressView* progress, const char* text) {
  if (progress) progress->StartProgress(text, 100, "");
}
void End(IProgressView* progress) {
  if (progress) progress->EndProgress();
}

}  // namespace

const JfdjFamily kCxjmxnhzjqkcxFamily{"Cxjmxnhzjqkcx", "TCxjmxnhzjqkcxItem", "TCxjmxnhzjqkcxItems",
                                      "TCxjmxnhzjqkcxQc", kUnitColumns, kQcFields};
const JfdjFamily kCxjmxnhzjqkcxrymxFamily{"Cxjmxnhzjqkcxrymx", "TCxjmxnhzjqkcxrymxItem", "TCxjmxnhzjqkcxrymxItems",
                                          "TCxjmxnhzjqkcxQc", kPersonColumns, kQcFields};

std::string JfqdName(std::string_view code) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"DT", "个人缴费-大厅"},   {"WB", "个人缴费-网报"},   {"PK", "个人缴费-批扣"},
      {"XNHDT", "虚拟户-大厅"}, {"XNHWB", "虚拟户-网报"}, {"SY", "个人缴费-税银"}};
  for (const auto& [c, name] : kNames)
    if (c == code) return std::string(name);
  return std::string(code);
}

bool TCxjmxnhzjqkcxImpl::synCxjmxnhzjqkCx(IJfdjQueryCondition* qc, IProgressView* progress, Ref<IJfdjItems>& units) {
  units = nullptr;
  Start(progress, "正在查询城乡居民虚拟户征缴情况，请稍等");
  const bool ok = Run("synCxjmxnhzjqkCx", [&] {
    if (!qc) throw service::OpRefusal("查询条件为空。");
    if (qc->GetField("jfnd").empty()) throw service::OpRefusal("请选择缴费年度。");
    Json data = Json::object();
    for (std::string_view f : {"sbjbjgdm", "jdxzdm", "sqczdm", "zsxmdm", "zspmdm", "zszmdm", "jfnd"})
      data[std::string(f)] = qc->GetField(std::string(f));
    units = SubmitAndCollect(kZjqkSubmit, kZjqkCollect, data, "zjqkList", kCxjmxnhzjqkcxFamily, progress);
    // The year asked travels with each unit, so its person query needs nothing else.
    for (int32_t i = 0; i < units->GetCount(); ++i) {
      Ref<IJfdjItem> u = units->GetRecord(i);
      if (u->Get("jfnd").empty()) u->Set("jfnd", qc->GetField("jfnd"));
    }
  });
  End(progress);
  if (!ok) units = nullptr;
  return ok;
}

bool TCxjmxnhzjqkcxImpl::synCxjmxnhzjqkrymxCx(IJfdjItem* unit, const std::string& mxlx, IProgressView* progress,
                                              Ref<IJfdjItems>& persons) {
  persons = nullptr;
  Start(progress, "正在查询城乡居民虚拟户征缴情况人员明细，请稍等");
  const bool ok = Run("synCxjmxnhzjqkrymxCx", [&] {
    TJfdjRecord& u = RequireRecord(unit, kCxjmxnhzjqkcxFamily);
    if (std::find(std::begin(kMxlxValues), std::end(kMxlxValues), mxlx) == std::end(kMxlxValues))
      throw service::OpRefusal("明细类型无效：" + mxlx);
    if (u.Get("dwbh").empty()) throw service::OpRefusal("单位编号为空。");
    if (u.Get("jfnd").empty()) throw service::OpRefusal("请选择缴费年度。");
    Json data = Json::object();
    for (const char* f : {"dwbh", "swjgdm", "swksdm", "sbjbjgdm", "jdxzdm", "sqczdm", "jfnd"}) data[f] = u.Get(f);
    data["mxlx"] = mxlx;
    persons = SubmitAndCollect(kRymxSubmit, kRymxCollect, data, "rymxList", kCxjmxnhzjqkcxrymxFamily, progress);
  });
  End(progress);
  if (!ok) persons = nullptr;
  return ok;
}

namespace {
void RegisterZjqkcx() {
  RegisterServiceClass(ServiceRowAt(kRowTCxjmxnhzjqkcxImpl).iid, &ClassOf<TCxjmxnhzjqkcxImpl>::Instance());
}
void UnregisterZjqkcx() { UnregisterServiceClass(ServiceRowAt(kRowTCxjmxnhzjqkcxImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(47, velmor::RegisterZjqkcx, velmor::UnregisterZjqkcx)
