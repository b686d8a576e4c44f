#include "special/tsjk_mgr.h"

#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

constexpr service::OpRow kJfdc{kTsJkClass, "GetJfdcList", "0136", "", "", "jfdcList", service::AnswerKind::kJson};
constexpr service::OpRow kHistory{kTsJkClass, "YlycxtjCx", "0135", "", "SbfCxjmylOtxxCxRequest"};
constexpr service::OpRow kSdnd{kTsJkClass, "getSbjbjgSdnd", "0152", "", "SbfCxjmTsrqSdndCxRequest", "",
                               service::AnswerKind::kJson};
constexpr service::OpRow kLnbjdc{kTsJkClass, "getLnbjdc", "0151", "", "SbfCxjmTsrqLnbjdcCxRequest", "",
                                 service::AnswerKind::kJson};
constexpr service::OpRow kSave{kTsJkClass, "SaveSbjl", "", ""};

constexpr const char* kNoSdnd = "未获取到试点执行年度。";
constexpr const char* kNoLnbjdc = "未获取到历年补缴应缴费额档次。";

// An item code as sent: the text "null" (what the screens hold for "no detail") goes empty.
std::string ItemCode(const Json& item, const char* key) {
  const std::string v = Text(item, key);
  return v == "null" ? std::string() : v;
}

// The grades of an answer list as [{dcmc, dcje}].
Json Grades(const Json& list) {
  Json out = Json::array();
  if (!list.is_array()) return out;
  for (const Json& g : list) out.push_back({{"dcmc", Text(g, "dcmc")}, {"dcje", Text(g, "dcje")}});
  return out;
}

}  // namespace

namespace special {
Ref<ITsrqsbjfDAO> Dao() { return CreatePluginService<ITsrqsbjfDAO>(kTsJkNoDao); }
}  // namespace special

bool TTsJkMgr::Op(const service::OpRow& row, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  const bool ok = service::RunOp(row, message, body);
  ErrorMessage = message;
  return ok;
}

bool TTsJkMgr::GetJfdcList(const std::string& item, const std::string& years, const std::string& agencies,
                           std::string& grades, std::string& message) {
  grades = "[]";
  return Op(kJfdc, message, [&] {
    const Json i = service::ParseParams(item), y = service::ParseParams(years);
    const Json a = ParseOutsideJson<Json>(agencies.empty() ? "[]" : agencies, false);
    if (!a.is_array()) throw OpRefusal("社保经办机构列表不是JSON数组。");
    // The agencies as a JSON array of texts: an empty list stays [].
    Json codes = Json::array();
    for (const Json& c : a) codes.push_back(c.is_string() ? c.get<std::string>() : c.dump());
    Json params = {{"djxh", ""},
                   {"zsxmDm", ItemCode(i, "zsxmDm")},
                   {"zspmDm", ItemCode(i, "zspmDm")},
                   {"zszmDm", ItemCode(i, "zszmDm")},
                   {"jfndq", Text(y, "jfndq")},
                   {"jfndz", Text(y, "jfndz")},
                   {"sbjbjgDm", codes}};
    Json answer = service::Exchange(kJfdc, {CurrentDjxh(), params});
    grades = Grades(answer["jfdcList"]).dump();
  });
}

bool TTsJkMgr::YlycxtjCx(const std::string& person, std::string& history, std::string& message) {
  history = "[]";
  return Op(kHistory, message, [&] {
    const Json p = service::ParseParams(person);
    const std::string djxh = Text(p, "djxh").empty() ? CurrentDjxh() : Text(p, "djxh");
    Json answer = service::ExchangeAnyCode(kHistory, {djxh, Json{{"djxh", djxh}}});
    const std::string code = Text(answer, "code");
    // "3C010": the server knows no history for the person, which is no failure.
    if (code != "00000" && code != "3C010") throw taxml::Failure("【" + code + "】" + Text(answer, "message"));
    if (!answer.contains("hisJfxxResList")) {
      LogText("[TTsJkMgr.YlycxtjCx]反馈报文缺少<hisJfxxResList>节点。作为空记录处理");
      return;
    }
    Json out = Json::array();
    for (const Json& h : answer["hisJfxxResList"]) {
      Json row = Json::object();
      for (const char* key : {"sbjbjgDm", "sbjbjgMc", "rybh", "cbztDm", "jfztDm", "jfnd", "jfys"})
        row[key] = Text(h, key);
      out.push_back(std::move(row));
    }
    history = out.dump();
  });
}

bool TTsJkMgr::SaveSbjl(const std::string& rows, std::string& message) {
  return Op(kSave, message, [&] {
    Json lines = ParseOutsideJson<Json>(rows, false);
    if (!lines.is_array()) throw OpRefusal("申报记录不是JSON数组。");
    Ref<ITsrqsbjfDAO> dao = special::Dao();
    if (!dao->SaveSbjl(rows)) throw OpRefusal(dao->GetErrorMessage());
    // A declared declaration with nothing to pay is settled at once.
    for (const Json& l : lines) {
      const std::string sbzt = Text(l, "sbzt"), yzpzxh = Text(l, "yzpzxh");
      if ((sbzt == "2" || sbzt == "6") && !yzpzxh.empty() && !dao->UpdateLjeJfzt(yzpzxh, 1))
        throw OpRefusal(dao->GetErrorMessage());
    }
  });
}

bool TTsJkMgr::getSbjbjgSdnd(const std::string& sbjbjgDm, std::string& year, std::string& message) {
  year.clear();
  return Op(kSdnd, message, [&] {
    const std::string djxh = CurrentDjxh();
    Json answer = service::Exchange(kSdnd, {djxh, Json{{"djxh", djxh}, {"sbjbjgDm", sbjbjgDm}}});
    year = Text(answer, "sdnd");
    if (year.empty()) throw OpRefusal(kNoSdnd);
  });
}

bool TTsJkMgr::getLnbjdc(const std::string& year, std::string& grades, std::string& message) {
  grades = "[]";
  return Op(kLnbjdc, message, [&] {
    const std::string djxh = CurrentDjxh();
    Json answer = service::Exchange(kLnbjdc, {djxh, Json{{"djxh", djxh}, {"jfnd", year}}});
    Json out = Grades(answer.contains("lnbjdcList") ? answer["lnbjdcList"] : Json());
    if (out.empty()) throw OpRefusal(kNoLnbjdc);
    grades = out.dump();
  });
}

namespace {
void RegisterTsJkMgr() { RegisterServiceClass(ServiceRowAt(kRowTTsJkMgr).iid, &ClassOf<TTsJkMgr>::Instance()); }
void UnregisterTsJkMgr() { UnregisterServiceClass(ServiceRowAt(kRowTTsJkMgr).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(36, velmor::RegisterTsJkMgr, velmor::UnregisterTsJkMgr)
