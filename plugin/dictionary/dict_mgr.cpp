#include "dictionary/dict_mgr.h"

#include <ctime>

#include "business/date_time.h"
#include "dictionary/rules/cbxm_impl.h"
#include "dictionary/rules/cxjm_fkssq_gz.h"
#include "dictionary/rules/cxjm_syrqlx_dz_gz.h"
#include "dictionary/rules/cxjmyjfedc_gz.h"
#include "dictionary/db_dictionary.h"
#include "dictionary/dictionary.h"
#include "dictionary/rules/grcbrytslbdz_gz.h"
#include "dictionary/rules/grdjxzdz_gz.h"
#include "dictionary/rules/jfbz_gz.h"
#include "dictionary/rules/key_value_gz.h"
#include "dictionary/rules/pmlx_gz.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/ryzt_gz.h"
#include "dictionary/rules/sbjbjg_zspm_dz_gz.h"
#include "dictionary/rules/sfzjlx_gj_gz.h"
#include "dictionary/rules/xnhflbs_gz.h"
#include "dictionary/rules/xzqh_gz.h"
#include "dictionary/rules/xzylgx_gz.h"
#include "dictionary/rules/yhhb_gz.h"
#include "dictionary/rule_file.h"
#include "framework/log.h"
#include "framework/module.h"
#include "framework/host_access.h"
#include "framework/service_table.h"
#include "velmor/net_comm.h"
#include "velmor/platform.h"
#include "velmor/sys_param.h"
#include "velmor/syspzxx.h"
#include "velmor/json_depth.h"

namespace velmor {

namespace {

constexpr const char* kSystemError = "系统异常，请稍后再试";
constexpr const char* kPartialUpdate = "规则已更新，以下规则数据有误未能取用：";
constexpr const char* kXzjdSqczRule = "sbjbjgjdxzsqczdzGz";

std::function<bool(ResidentService)>& Probe() {
  static std::function<bool(ResidentService)> probe;
  return probe;
}

constexpr const char* kResidentsLine = "5";
constexpr const char* kBasicInformationFunction = "M8300-01-19-01-00";

Ref<ISyspzxxIntf> Syspzxx();

bool ResidentServiceEnabled(ResidentService which) {
  if (Probe()) return Probe()(which);
  try {
    if (!GetPortalAgent()->IsBusinessLineEnabled(kResidentsLine)) return false;
  } catch (const std::exception& e) {
    LogException("TDictMgr.BuildNameMaps", e.what());
    return false;
  }
  if (which == ResidentService::kPaymentRegistration) return true;
  Ref<ISyspzxxIntf> config = Syspzxx();
  return config && config->IsFunctionEnabled(kBasicInformationFunction);
}

// A JSON string literal of text (quotes and control characters escaped).
std::string Quoted(const std::string& text) { return nlohmann::json(text).dump(); }

Ref<ISyspzxxIntf> Syspzxx() {
  try {
    return ObtainHostComponent<ISyspzxxIntf>("", "创建系统配置组件接口失败！");
  } catch (const std::exception& e) {
    // Without the configuration component the optional rules are simply not asked for.
    LogException("TDictMgr.Update", e.what());
    return nullptr;
  }
}

}  // namespace

void SetResidentServiceProbe(std::function<bool(ResidentService)> probe) { Probe() = std::move(probe); }

bool TDictMgr::LoadRules() {
  if (Loaded) return true;
  bool ok = true;
  try {
    Swjgdm = "00000000000";
    std::string dir = GetPlatformManager()->GetModuleDataDir("M8");
    if (!dir.empty() && dir.back() != platform::kPathSeparator) dir += platform::kPathSeparator;
    dir += "Dictionary";
    dir += platform::kPathSeparator;
    RuleFilePath = dir + "规则文件.dat";
    RegionFilePath = dir + "dqdmmc.dat";
    try {
      Rules = dict::ReadRuleFile(RuleFilePath);
    } catch (const std::exception& e) {
      // A broken file counts as no rules; the next update writes a whole one.
      Rules = nlohmann::json::object();
      ErrorMessage = std::string("加载规则文件异常：") + e.what();
      LogException("TDictMgr.LoadRules", e.what());
      ok = false;
    }
    BuildNameMaps();
    DropCaches();
    Loaded = true;
  } catch (const std::exception& e) {
    ErrorMessage = std::string("加载规则文件异常：") + e.what();
    LogException("TDictMgr.LoadRules", e.what());
    return false;
  }
  return ok;
}

void TDictMgr::BuildNameMaps() {
  JsonDictNames.clear();
  DbDictNames.clear();
  auto json = [&](const char* dict, const char* rule) { JsonDictNames.push_back({dict, rule}); };
  json("dict_swjg", "swjgGz");
  json("dict_sbjbjg", "sbjbjgGz");
  json("dict_zjlx", "bzzzlxGz");
  json("dict_gjdq", "gjhdqGz");
  json("dict_hjlx", "hjlxGz");
  json("dict_djzclx", "djzclxGz");
  json("rytslbGz", "rytslbGz");
  json("swryGz", "swryGz");
  json("rsjfrylbGz", "rsjfrylbGz");
  if (ResidentServiceEnabled(ResidentService::kPaymentRegistration)) {
    json("djtzyyGz", "djtzyyGz");
    json("rysfGz", "rysfGz");
    json("tsrylbGz", "tsrylbGz");
  }
  if (ResidentServiceEnabled(ResidentService::kBasicInformation)) {
    json("rysfGz", "rysfGz");
    json("ygxsGz", "ygxsGz");
    json("cbsfGz", "cbsfGz");
  }
  const char* const kDb[] = {"dict_xzqh",     "dict_dwcbzt", "dict_tsdwlb", "dict_tcq",
                             "dict_dwcbtslb", "dict_xzjd",   "dict_sqcz",   "dict_rycbtslb"};
  for (int i = 0; i < 8; ++i) DbDictNames.push_back({kDb[i], std::to_string(i + 1)});
}

void TDictMgr::DropCaches() {
  JsonDicts.clear();
  DbDicts.clear();
  RegionDict = CbxzDict = MzDict = QsgxDict = nullptr;
  XzjdSqcz = nullptr;
  Pmlx = nullptr;
  CxjmFkssq = nullptr;
  RuleTables.clear();
}

const nlohmann::json& TDictMgr::Rule(const std::string& name) const {
  static const nlohmann::json kNull;
  auto it = Rules.find(name);
  return it == Rules.end() ? kNull : *it;
}

Ref<IDictionary> TDictMgr::GetJsonDictionary(const std::string& name) {
  LoadRules();
  for (const NamePair& p : JsonDictNames) {
    if (!dict::EqualsIgnoreCase(p.dictName, name)) continue;
    Ref<IDictionary>& slot = JsonDicts[p.dictName];
    if (!slot) slot = MakeDictionary<TJSONDictionary>(Rule(p.source));
    return slot;
  }
  return nullptr;
}

Ref<IDictionary> TDictMgr::GetDbDictionary(const std::string& name) {
  LoadRules();
  for (const NamePair& p : DbDictNames) {
    if (!dict::EqualsIgnoreCase(p.dictName, name)) continue;
    Ref<IDictionary>& slot = DbDicts[p.dictName];
    if (!slot) {
      try {
        slot = MakeDbDictionary(std::stoi(p.source));
      } catch (const std::exception& e) {
        ErrorMessage = e.what();
        LogException("TDictMgr.GetDbDictionary", e.what());
        return nullptr;
      }
    }
    return slot;
  }
  return nullptr;
}

Ref<IDictionary> TDictMgr::GetRegionDictionary() {
  LoadRules();
  if (!RegionDict) {
    nlohmann::json rule;
    try {
      rule = dict::ReadRuleFile(RegionFilePath);
    } catch (const std::exception& e) {
      LogException("TDictMgr.GetRegionDictionary", e.what());
    }
    RegionDict = MakeDictionary<TJSONDictionary>(rule);
  }
  return RegionDict;
}

std::string TDictMgr::GetUpdateTime() {
  LoadRules();
  return MemberText(Rules, "gxsj");
}

std::string TDictMgr::GetPreviousUpdateTime() {
  LoadRules();
  return MemberText(Rules, "scgxsj");
}

Ref<IRS_xzjd_sqcz> TDictMgr::GetXzjdSqczGz() {
  LoadRules();
  if (!XzjdSqcz) XzjdSqcz = New<TRS_xzjd_sqcz>(Rule(kXzjdSqczRule));
  return XzjdSqcz;
}

Ref<IPmlxGz> TDictMgr::GetPmlxGz() {
  LoadRules();
  if (!Pmlx) Pmlx = New<TPmlxGzImpl>(Rule("pmlxGz"));
  return Pmlx;
}

Ref<ICxjmFkssqGzIntf> TDictMgr::GetCxjmFkssqGz() {
  LoadRules();
  if (!CxjmFkssq) CxjmFkssq = New<TCxjmFkssqGzImpl>(Rule("cxjmFkssqGz"));
  return CxjmFkssq;
}

Ref<IDictionary> TDictMgr::GetCbxzDictionary() {
  LoadRules();
  if (!CbxzDict) CbxzDict = MakeDictionary<TRS_CbxzDictionary>(Rule("cbxzGz"));
  return CbxzDict;
}

Ref<IDictionary> TDictMgr::GetMzGz() {
  LoadRules();
  if (!MzDict) MzDict = MakeDictionary<TMzGzImpl>(Rule("mzGz"));
  return MzDict;
}

Ref<IDictionary> TDictMgr::GetQsgxDictionary() {
  if (!QsgxDict) QsgxDict = MakeDictionary<TQsgxDictionary>();
  return QsgxDict;
}

template <class Impl, class I, class... Extra>
Ref<I> TDictMgr::RuleTable(const char* rule, Extra&&... extra) {
  LoadRules();
  Ref<IInterface>& slot = RuleTables[rule];
  if (!slot) {
    Ref<Impl> table = New<Impl>(Rule(rule), std::forward<Extra>(extra)...);
    slot = Ref<IInterface>(static_cast<I*>(table.get()));
  }
  return Query<I>(slot);
}

namespace {
// The medical levy item of the fee-standard grades: system parameter "zsxmdm_yilbx".
std::string YilbxDm() {
  try {
    Ref<ISysParamIntf> params = ObtainHostComponent<ISysParamIntf>("", "创建系统参数组件接口失败！");
    return params->GetValueDef("zsxmdm_yilbx", kDefaultYilbxDm);
  } catch (const std::exception& e) {
    LogException("TDictMgr.GetJfbzGz", e.what());
    return kDefaultYilbxDm;
  }
}
}  // namespace

Ref<ICbxmIntf> TDictMgr::GetCbxmGz() { return RuleTable<TCbxmImpl, ICbxmIntf>("xzGz"); }
Ref<IJfbzGzIntf> TDictMgr::GetJfbzGz() {
  LoadRules();
  auto cached = RuleTables.find("jfbzGz");
  if (cached != RuleTables.end() && cached->second) return Query<IJfbzGzIntf>(cached->second);
  return RuleTable<TJfbzGzImpl, IJfbzGzIntf>("jfbzGz", YilbxDm());
}
Ref<IXzylgxGz> TDictMgr::GetXzylgxGz() { return RuleTable<TXzylgxGz, IXzylgxGz>("jnfsGz"); }
Ref<ISbjbjgZspmDzGz> TDictMgr::GetSbjbjgZspmDzGz() {
  return RuleTable<TSbjbjgZspmDzGz, ISbjbjgZspmDzGz>("sbjbjgzspmdzGz");
}
Ref<IYhhbGzIntf> TDictMgr::GetYhhbGz() { return RuleTable<TYhhbGzImpl, IYhhbGzIntf>("yhhbGz"); }
Ref<ISfzjlxGjGzIntf> TDictMgr::GetSfzjlxGjGz() { return RuleTable<TSfzjlxGjGzImpl, ISfzjlxGjGzIntf>("sfzjlxGjGz"); }
Ref<IXzqhGzIntf> TDictMgr::GetXzqhGz() { return RuleTable<TXzqhGzImpl, IXzqhGzIntf>("rsxzqhGz"); }
Ref<IGrdjxzdzGzIntf> TDictMgr::GetGrdjxzdzGz() { return RuleTable<TGrdjxzdzGzImpl, IGrdjxzdzGzIntf>("grdjxzdzGz"); }
Ref<IGrcbrytslbdzGzIntf> TDictMgr::GetGrcbrytslbdzGz() {
  return RuleTable<TGrcbrytslbdzGzImpl, IGrcbrytslbdzGzIntf>("grcbrytslbdzGz");
}
Ref<ICxjmyjfedcGzIntf> TDictMgr::GetCxjmyjfedcGz() {
  return RuleTable<TCxjmyjfedcGzImpl, ICxjmyjfedcGzIntf>("cxjmyjfedcGz");
}
Ref<IRyztGzIntf> TDictMgr::GetRyztGz() { return RuleTable<TRyztGzImpl, IRyztGzIntf>("ryztGz"); }
Ref<IKeyValueGzIntf> TDictMgr::GetSwryGz() { return RuleTable<TKeyValueGzImpl, IKeyValueGzIntf>("swryGz"); }
Ref<ICxjmCbrytslbSyrqlxDzGzIntf> TDictMgr::GetCxjmCbrytslbSyrqlxDzGz() {
  return RuleTable<TCxjmCbrytslbSyrqlxDzGzImpl, ICxjmCbrytslbSyrqlxDzGzIntf>("cxjmCbrytslbSyrqlxDzGz");
}
Ref<IXnhflbsGzIntf> TDictMgr::GetXnhflbsGz() { return RuleTable<TXnhflbsGzImpl, IXnhflbsGzIntf>("xnhflbsGz"); }

std::string TDictMgr::GetRuleSummary() {
  LoadRules();
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (auto it = Rules.begin(); it != Rules.end(); ++it) {
    if (!it->is_object()) continue;
    out.push_back({{"name", it.key()}, {"rows", RuleRows(*it).size()}, {"md5", MemberText(*it, "md5")}});
  }
  return out.dump();
}

std::string TDictMgr::GetRuleFilePath() {
  LoadRules();
  return RuleFilePath;
}

std::vector<std::string> TDictMgr::RequestedRules() {
  LoadRules();
  std::vector<std::string> names;
  for (const NamePair& p : JsonDictNames) names.push_back(p.source);
  for (const char* n : {"xzGz", "pmlxGz", "cbxzGz", "jnfsGz", "sbjbjgzspmdzGz", "yhhbGz"}) names.push_back(n);
  if (ResidentServiceEnabled(ResidentService::kPaymentRegistration))
    for (const char* n : {"sfzjlxGjGz", "rsxzqhGz", "grdjxzdzGz", "grcbrytslbdzGz"}) names.push_back(n);
  Ref<ISyspzxxIntf> config = Syspzxx();
  if (config && (config->GetValue("ENABLE_CXJMYTB") == "Y" || config->GetValue("ENABLE_CXJMCXSJYJFE") == "Y"))
    names.push_back("cxjmyjfedcGz");
  if (ResidentServiceEnabled(ResidentService::kBasicInformation))
    for (const char* n : {"sfzjlxGjGz", "rsxzqhGz", "mzGz", "ryztGz", "swryGz", "cxjmCbrytslbSyrqlxDzGz", "cxjmFkssqGz"})
      names.push_back(n);
  if (config && (config->IsFunctionEnabled("M8300-01-06-17-00") || config->IsFunctionEnabled("M8300-01-06-18-00")))
    for (const char* n : {"xzdzGz", "xnhflbsGz"}) names.push_back(n);
  // The fee-standard grades have a table of their own; without asking for them it stays empty.
  names.push_back("jfbzGz");
  return names;
}

std::string TDictMgr::BuildUpdateRequest(const std::string& djxh, const std::vector<std::string>& names) {
  try {
    nlohmann::ordered_json body;
    body["djxh"] = djxh;
    body["swjgdm"] = Swjgdm;
    body["gzwjLb"] = nlohmann::ordered_json::array();
    for (const std::string& name : names)
      body["gzwjLb"].push_back({{"name", name}, {"md5", MemberText(Rule(name), "md5")}});
    return body.dump();
  } catch (const std::exception& e) {
    throw DictUpdateError("生成报文异常", "TDictMgr.CreateBW", e.what());
  }
}

std::map<std::string, nlohmann::json> TDictMgr::FetchRules(const std::string& djxh,
                                                           const std::vector<std::string>& names,
                                                           std::vector<std::string>& damaged) {
  std::string body = BuildUpdateRequest(djxh, names);
  Ref<INetCommIntf> net = ObtainHostComponent<INetCommIntf>("", "创建平台组件接口失败！");
  Ref<IRequest> request = net->CreateRequest();
  request->SetServiceCode("0002");
  request->SetBody(body);
  int32_t status = net->Execute(request.get(), nullptr, 0, 0, 0);
  if (status == -1) throw std::runtime_error(net->GetLastErrorText());
  if (status == -2) throw std::runtime_error("【" + request->GetResponseData() + "】" + request->GetReturnMessage());
  if (!dict::EqualsIgnoreCase(request->GetReturnCode(), "SUCCESS"))
    throw std::runtime_error("服务端返回" + request->GetReturnCode() + "：" + request->GetReturnMessage());
  std::map<std::string, nlohmann::json> out;
  try {
    const std::string text = request->GetResponse();
    if (!JsonDepthWithin(text)) throw std::runtime_error("反馈报文" + JsonTooDeepText());
    nlohmann::json answer = nlohmann::json::parse(text);
    std::string code = MemberText(answer, "code");
    if (code != "00000") throw std::runtime_error("【" + code + "】" + MemberText(answer, "message"));
    const nlohmann::json& list = answer.at("gzwjLb");
    if (!list.is_array()) throw std::runtime_error("gzwjLb不是数组");
    for (const nlohmann::json& entry : list) {
      std::string name = MemberText(entry, "name");
      if (std::find(names.begin(), names.end(), name) == names.end()) continue;
      auto rows = entry.find("gzLb");
      nlohmann::json rule = entry;
      rule.erase("name");
      if (rows == entry.end() || !rows->is_array()) {
        // One damaged rule must not hold back the others: its table stays empty until the server
        // sends it whole.
        LogException("TDictMgr.ParseGzwj", "规则[" + name + "]缺少gzLb");
        damaged.push_back(name);
        rule["gzLb"] = nlohmann::json::array();
        rule["md5"] = "";
      }
      out[name] = std::move(rule);
    }
  } catch (const std::exception& e) {
    throw DictUpdateError("反馈报文异常", "TDictMgr.ParseGzwj", e.what());
  }
  return out;
}

bool TDictMgr::Update(const std::string& djxh, bool force) {
  LogScope scope("TDictMgr.Update");
  try {
    LoadRules();
    std::string gxsj = MemberText(Rules, "gxsj");
    if (!force && gxsj.substr(0, std::min<size_t>(10, gxsj.size())) == LocalTimeText("%Y-%m-%d")) return true;
    // Both answers are applied to a copy; the rules and the file change only when all went well.
    std::vector<std::string> damaged;
    std::map<std::string, nlohmann::json> fetched = FetchRules(djxh, {kXzjdSqczRule}, damaged);
    std::map<std::string, nlohmann::json> rest = FetchRules(djxh, RequestedRules(), damaged);
    fetched.insert(rest.begin(), rest.end());
    nlohmann::json next = Rules;
    for (auto& [name, rule] : fetched) next[name] = std::move(rule);
    next["scgxsj"] = gxsj;
    next["gxsj"] = LocalTimeText("%Y-%m-%d %H:%M:%S");
    dict::WriteRuleFile(RuleFilePath, next);
    Rules = std::move(next);
    DropCaches();
    // A partial update succeeds and says which rules it could not take.
    ErrorMessage.clear();
    for (const std::string& name : damaged) ErrorMessage += (ErrorMessage.empty() ? "" : "、") + name;
    if (!damaged.empty()) ErrorMessage = kPartialUpdate + ErrorMessage;
    return true;
  } catch (const DictUpdateError& e) {
    ErrorMessage = e.UserMessage;
    LogException(e.Where, e.what());
  } catch (const std::exception& e) {
    ErrorMessage = kSystemError;
    LogException("TDictMgr.Update", e.what());
  }
  return false;
}

bool TDictMgr::QueryBusinessField(const std::string& yblsh, const std::string& djxh, const std::string& cxlx,
                                  const std::string& cxcsnr, std::string& answer) {
  answer.clear();
  try {
    std::string body = "{\"yblsh\":" + Quoted(yblsh) + ",\"djxh\":" + Quoted(djxh) + ",\"cxlx\":" + Quoted(cxlx) +
                       ",\"cxcsnr\":" + Quoted(cxcsnr) + "}";
    Ref<INetCommIntf> net = ObtainHostComponent<INetCommIntf>("", "创建平台组件接口失败！");
    Ref<IRequest> request = net->CreateRequest();
    request->SetServiceCode("0062");
    request->SetBody(body);
    int32_t status = net->Execute(request.get(), nullptr, 0, 0, 0);
    if (status == -1) throw std::runtime_error(net->GetLastErrorText());
    if (status == -2) throw std::runtime_error("【" + request->GetResponseData() + "】" + request->GetReturnMessage());
    if (!dict::EqualsIgnoreCase(request->GetReturnCode(), "SUCCESS"))
      throw std::runtime_error("服务端返回" + request->GetReturnCode() + "：" + request->GetReturnMessage());
    answer = request->GetResponse();
    return true;
  } catch (const std::exception& e) {
    ErrorMessage = std::string("业务字段查询异常：") + e.what();
    LogException("TDictMgr.synCxYwzd", e.what());
    return false;
  }
}

namespace {
void RegisterDictMgr() { RegisterServiceClass(ServiceRowAt(kRowTDictMgr).iid, &ClassOf<TDictMgr>::Instance()); }
void UnregisterDictMgr() { UnregisterServiceClass(ServiceRowAt(kRowTDictMgr).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(1, velmor::RegisterDictMgr, velmor::UnregisterDictMgr)
