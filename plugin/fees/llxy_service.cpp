#include "fees/llxy_service.h"
#include "codec/text_utils.h"

#include "codec/taxml_exchange.h"
#include "fees/difference_file.h"
#include "codec/taxml_response.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/server_call.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

constexpr const char* kClass = "TLlxyServiceImpl";

constexpr const char* kMembers[] = {"sfxydjuuid", "pkbz",     "djxh",     "skssswjgDm", "sfxyh",      "yhhbDm",
                                    "qsyhhh",     "khyhhh",   "jkzh",     "jkzhmc",     "sfxyyztgRq", "xzqhszDm",
                                    "yhyywdDm",   "sfxyztDm", "sfxyyzxx", "lrrDm",      "xgrDm",      "nsrsbh"};
constexpr const char* kHolder[] = {"sfzjlxDm", "sfzjhm", "nsrmc", "ckrsfzjzlDm", "ckrsfzjhm", "ckrxm1"};

// The exchange of a document; an unreadable answer is logged under "<op>.ParseResponse" and
// shown as `unreadable`.
taxml::Response Send(const char* code, const taxml::RequestDocument& doc, const char* op, const char* unreadable) {
  return service::ExchangeDocument(code, doc, nullptr, [&](const std::exception& e) {
    LogFailure({kClass, std::string(op) + ".ParseResponse"}, e.what());
    return std::string(unreadable);
  });
}

bool Run(const char* op, const char* prefix, std::string& message, std::string& error,
         const std::function<void()>& body) {
  message.clear();
  const bool ok = Attempt<OpRefusal, taxml::Failure>({kClass, op}, {prefix, true, UnknownText::kShown}, &message, body);
  error = message;
  return ok;
}

}  // namespace

namespace fees {

taxml::RequestDocument LlxyDocument(const Json& agreement, const std::string& czlxDm) {
  taxml::RequestDocument doc("HXZGZS10304Request");
  doc.Open("ZSsfxyVO");
  for (const char* m : kMembers) doc.Add(m, Text(agreement, m));
  doc.Add("czlxDm", czlxDm);
  for (const char* m : kHolder) doc.Add(m, Text(agreement, m));
  std::string syxz;
  auto it = agreement.find("syxz");
  if (it != agreement.end() && it->is_array())
    for (const Json& e : *it) syxz += (syxz.empty() ? "" : ",") + (e.is_object() ? Text(e, "dm") : std::string());
  doc.Add("syxz", syxz);
  doc.Close();
  return doc;
}

}  // namespace fees

bool TLlxyServiceImpl::synLlxyBc(const std::string& agreement, const std::string& czlxDm, std::string& sfxydjuuid,
                                 std::string& sfxyyzxx, std::string& message) {
  sfxydjuuid.clear();
  sfxyyzxx.clear();
  return Run("synLlxyBc", "保存两两协议异常：", message, ErrorMessage, [&] {
    taxml::RequestDocument doc = fees::LlxyDocument(service::ParseParams(agreement), czlxDm);
    taxml::Response answer = Send("0106", doc, "synLlxyBc", "两两协议保存反馈报文异常。");
    sfxydjuuid = TrimBlanks(answer.Root().child_value("sfxydjuuid"));
    sfxyyzxx = TrimBlanks(answer.Root().child_value("sfxyyzxx"));
  });
}

bool TLlxyServiceImpl::synLlxyCx(std::string& agreements, std::string& message) {
  agreements = "[]";
  return Run("synLlxyCx", "查询两两协议异常：", message, ErrorMessage, [&] {
    taxml::RequestDocument doc("HXZGZS10303Request");
    doc.Add("djxh", CurrentDjxh());
    taxml::Response answer = Send("0105", doc, "synLlxyCx", "两两协议查询反馈报文异常。");
    Json out = Json::array();
    for (pugi::xml_node row : answer.Root().child("sfxyxxGrid").children()) {
      if (row.type() != pugi::node_element) continue;
      Json one = Json::object();
      for (pugi::xml_node e : row.children())
        if (e.type() == pugi::node_element) one[e.name()] = e.child_value();
      out.push_back(std::move(one));
    }
    agreements = out.dump();
  });
}

bool TLlxyServiceImpl::dzswjCheckCaptcha(const std::string& cardNo, const std::string& certType,
                                         const std::string& certNo, const std::string& name,
                                         const std::string& phoneNo, std::string& message) {
  return Run("dzswjCheckCaptcha", "短信验证异常：", message, ErrorMessage, [&] {
    taxml::Call call;
    call.serviceCode = "0111";
    call.serial = taxml::Call::Serial::kNone;
    call.djxh = false;
    call.keys = Json{{"djxh", CurrentDjxh()}, {"cardNo", cardNo}, {"certType", certType},
                     {"certNo", certNo},      {"name", name},     {"phoneNo", phoneNo}};
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    const std::string returnCode = reply.request->GetReturnCode();
    if (returnCode != "SUCCESS") throw OpRefusal("[" + returnCode + "]" + reply.request->GetReturnMessage());
    Json answer = ParseOutsideJson<Json>(reply.request->GetResponse(), false);
    if (!answer.is_object()) throw OpRefusal("短信验证反馈报文异常。");
    if (Text(answer, "respCode") == "00") return;
    const std::string respMsg = Text(answer, "respMsg"), detail = Text(answer, "detailRespMsg");
    throw OpRefusal(respMsg.empty() ? detail : respMsg + "，" + detail);
  });
}

void TLlxyServiceImpl::LoadData() {
  loaded_ = true;
  yhhb_ = Json::array();
  xzqh_ = Json::array();
  regions_ = Json::object();
  Attempt({kClass, "LoadData"}, {}, nullptr, [&] {
    Json file;
    try {
      file = fees::ReadDifferenceFile("行政区银行列表.json");
    } catch (const OpRefusal& e) {
      // A missing file leaves the lists empty (logged); a damaged one is a failure.
      if (std::string_view(e.what()).rfind("缺少配置文件：", 0) != 0) throw;
      LogMessage(e.what());
      return;
    }
    for (const Json& b : file.value("yhhbLb", Json::array())) yhhb_.push_back(Text(b, "yhhbdm") + "=" + Text(b, "yhhbmc"));
    // Regions nest: each may hold subordinate regions of the same form.
    std::function<void(const Json&, bool)> add = [&](const Json& list, bool top) {
      for (const Json& r : list) {
        const std::string code = Text(r, "xzqhdm");
        if (top) xzqh_.push_back(code + "=" + Text(r, "xzqhmc"));
        Json branches = Json::array(), below = Json::array();
        for (const Json& w : r.value("yhLb", Json::array()))
          branches.push_back({{"yhyywddm", Text(w, "yhyywddm")}, {"yhyywdmc", Text(w, "yhyywdmc")}});
        for (const Json& x : r.value("xjLb", Json::array())) below.push_back(Text(x, "xzqhdm") + "=" + Text(x, "xzqhmc"));
        regions_[code] = {{"yhLb", branches}, {"xjLb", below}};
        add(r.value("xjLb", Json::array()), false);
      }
    };
    add(file.value("xzqhLb", Json::array()), true);
  });
}

void TLlxyServiceImpl::EnsureLoaded() {
  if (!loaded_) LoadData();
}

std::string TLlxyServiceImpl::GetYhhbList() {
  EnsureLoaded();
  return yhhb_.dump();
}

std::string TLlxyServiceImpl::GetXzqhList() {
  EnsureLoaded();
  return xzqh_.dump();
}

std::string TLlxyServiceImpl::GetYhwdList(const std::string& xzqhdm) {
  EnsureLoaded();
  return regions_.contains(xzqhdm) ? regions_[xzqhdm]["yhLb"].dump() : "[]";
}

std::string TLlxyServiceImpl::GetXjXzqhList(const std::string& xzqhdm) {
  EnsureLoaded();
  return regions_.contains(xzqhdm) ? regions_[xzqhdm]["xjLb"].dump() : "[]";
}

namespace {
void RegisterLlxy() { RegisterServiceClass(ServiceRowAt(kRowTLlxyServiceImpl).iid, &ClassOf<TLlxyServiceImpl>::Instance()); }
void UnregisterLlxy() { UnregisterServiceClass(ServiceRowAt(kRowTLlxyServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(33, velmor::RegisterLlxy, velmor::UnregisterLlxy)
