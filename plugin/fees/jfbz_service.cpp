#include "fees/jfbz_service.h"

#include "business/date_time.h"
#include "fees/jfbz_rule.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
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

Ref<IJfbzDAO> Dao() { return CreatePluginService<IJfbzDAO>(kJfbzNoDao); }

JfbzKey KeyOf(const Json& p) {
  return {Text(p, "zsxmdm"), Text(p, "zspmdm"), Text(p, "zszmdm"), Text(p, "sbjbjgdm"),
          Text(p, "rq"),     Text(p, "pmlx"),   Text(p, "csrq"),   Text(p, "xb")};
}

// A store call's rows, or the store's text as an own refusal.
Json StoreRows(IJfbzDAO& dao, bool ok, const std::string& rows) {
  if (!ok) throw OpRefusal(dao.GetErrorMessage());
  Json out = ParseOutsideJson<Json>(rows, false);
  return out.is_array() ? out : Json::array();
}

Json Grades(const Json& rows) {
  Json out = Json::array();
  for (const Json& r : rows) out.push_back({{"dcdm", Text(r, "dcdm")}, {"dcje", fees::AmountText(r["dcje"])}});
  return out;
}

std::string ItemType(IJfbzDAO& dao, const std::string& zspmdm) {
  Json rows = ParseOutsideJson<Json>(dao.GetAllPmlxList(), false);
  if (!dao.GetErrorMessage().empty()) throw OpRefusal(dao.GetErrorMessage());
  for (const Json& r : rows)
    if (Text(r, "zspmdm") == zspmdm) return Text(r, "pmlx");
  return {};
}

}  // namespace

namespace fees {

Json FeeStandard(IJfbzDAO& dao, const Json& line) {
  Json out = line;
  const std::string rybh = Text(line, "rybh"), zspmdm = Text(line, "zspmdm"), jfrq = Text(line, "jfrq");
  const std::string head = "人员登记序号[" + rybh + "]、社保经办机构[" + Text(line, "sbjbjgdm") + "]、征收项目代码[" +
                           Text(line, "zsxmdm") + "]、征收品目代码[" + zspmdm + "]、征收子目代码[" +
                           Text(line, "zszmdm");
  auto fail = [&](std::string text) {
    out["valid"] = false;
    out["message"] = std::move(text);
    return out;
  };
  const std::string pmlx = ItemType(dao, zspmdm);
  if (pmlx.empty()) return fail("人员登记序号[" + rybh + "]、征收品目代码[" + zspmdm + "]无法确定品目类型");
  out["pmlx"] = pmlx;
  JfbzKey key = KeyOf(line);
  key.pmlx = pmlx;
  key.rq = jfrq;
  std::string rows;
  Json methods = StoreRows(dao, dao.GetJffsList(key, rows), rows);
  if (methods.empty()) return fail(head + "]无法确定缴费方式");
  const std::string jffs = Text(methods[0], "jffs");
  out["jffs"] = jffs;
  const std::string dated = head + "]、缴费日期：" + jfrq + "：";
  if (jffs == "04") {
    Json limits = StoreRows(dao, dao.GetJfsxxList(key, rows), rows);
    if (limits.empty()) return fail(dated + "无法获取缴费金额上下限");
    out["jfsxx"] = {{"xxje", fees::AmountText(limits[0]["xxje"])}, {"sxje", fees::AmountText(limits[0]["sxje"])}};
  } else if (jffs == "05") {
    Json grades = StoreRows(dao, dao.GetJfdcList(key, rows), rows);
    if (grades.empty()) return fail(dated + "无法获取缴费金额档次列表");
    out["dcList"] = Grades(grades);
    out["yjfedcList"] = out["dcList"];
  } else {
    return fail(head + "]无法确定缴费方式");
  }
  out["valid"] = true;
  out.erase("message");
  return out;
}

}  // namespace fees

bool TJfbzImpl::Run(const char* op, const char* prefix, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  message.clear();
  const bool ok = Attempt<OpRefusal>({"TJfbzImpl", op}, {prefix, true, UnknownText::kShown}, &message, body);
  ErrorMessage = message;
  return ok;
}

bool TJfbzImpl::SaveJfbz(const std::string& rule, std::string& message) {
  return Run("SaveJfbz", "", message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    if (!dao->SaveJfbz(rule)) throw OpRefusal(dao->GetErrorMessage());
  });
}

bool TJfbzImpl::GetJfdcPz(const std::string& key, std::string& rows, std::string& message) {
  rows = "[]";
  return Run("GetJfdcPz", kJfdcPzFailed, message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    if (!dao->GetJfdcList(KeyOf(service::ParseParams(key)), rows)) throw Exception(dao->GetErrorMessage());
  });
}

bool TJfbzImpl::GetJffsPz(const std::string& key, std::string& rows, std::string& message) {
  rows = "[]";
  return Run("GetJffsPz", kJffsPzFailed, message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    if (!dao->GetJffsList(KeyOf(service::ParseParams(key)), rows)) throw Exception(dao->GetErrorMessage());
  });
}

bool TJfbzImpl::GetJfsxxPz(const std::string& key, std::string& rows, std::string& message) {
  rows = "[]";
  return Run("GetJfsxxPz", kJfsxxPzFailed, message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    if (!dao->GetJfsxxList(KeyOf(service::ParseParams(key)), rows)) throw Exception(dao->GetErrorMessage());
  });
}

bool TJfbzImpl::GetZspmPz(const std::string& pmlx, const std::string& sbjbjgdm, std::string& rows,
                          std::string& message) {
  rows = "[]";
  return Run("GetZspmPz", kJffsPzFailed, message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    if (!dao->GetZspmList(pmlx, sbjbjgdm, rows)) throw Exception(dao->GetErrorMessage());
  });
}

namespace {

Json LinesOf(const std::string& text) {
  Json lines = ParseOutsideJson<Json>(text, false);
  if (lines.is_object()) lines = Json::array({lines});
  if (!lines.is_array() || lines.empty()) throw OpRefusal(kXzListEmpty);
  for (const Json& l : lines)
    if (!l.is_object()) throw OpRefusal("险种列表格式错误");
  return lines;
}

}  // namespace

bool TJfbzImpl::CheckGrJfbz(const std::string& lines, std::string& result, std::string& message) {
  result = "[]";
  std::string firstFailure;
  const bool ran = Run("CheckGrJfbz", "", message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    Json out = Json::array();
    for (const Json& line : LinesOf(lines)) {
      out.push_back(fees::FeeStandard(*dao, line));
      if (!out.back()["valid"].get<bool>() && firstFailure.empty()) firstFailure = Text(out.back(), "message");
    }
    result = out.dump();
  });
  if (!ran || firstFailure.empty()) return ran;
  message = ErrorMessage = firstFailure;
  return false;
}

bool TJfbzImpl::GetGrJfbz(const std::string& line, std::string& result, std::string& message) {
  result = "{}";
  return Run("GetGrJfbz", "", message, [&] {
    Json in = service::ParseParams(line);
    Ref<IJfbzDAO> dao = Dao();
    Json out = fees::FeeStandard(*dao, in);
    if (!out["valid"].get<bool>()) throw OpRefusal(Text(out, "message"));
    Json standard = {{"pmlx", out["pmlx"]}, {"jffs", out["jffs"]}};
    if (out.contains("jfsxx")) standard["jfsxx"] = out["jfsxx"];
    if (out.contains("dcList")) {
      standard["dcList"] = out["dcList"];
      standard["yjfedcList"] = out["yjfedcList"];
    }
    result = standard.dump();
  });
}

bool TJfbzImpl::GetJfbzOptions(const std::string& key, std::string& result, std::string& message) {
  result = "{}";
  return Run("GetJfbzOptions", "", message, [&] {
    Json p = service::ParseParams(key);
    JfbzKey k = KeyOf(p);
    if (k.rq.empty() || fees::IsOptionAll(k.rq)) k.rq = Today();
    if (k.csrq.empty()) k.csrq = kOptionAll;
    if (k.xb.empty()) k.xb = kOptionAll;
    const std::string head = "品目类型：" + k.pmlx + "、社保经办机构：" + k.sbjbjgdm + "、征收项目：" + k.zsxmdm +
                             "、征收品目：" + k.zspmdm;
    Ref<IJfbzDAO> dao = Dao();
    std::string rows;
    Json methods = StoreRows(*dao, dao->GetJffsList(k, rows), rows);
    if (methods.empty()) throw OpRefusal(head + "，无法获取缴费方式");
    const std::string jffs = Text(methods[0], "jffs");
    Json out = {{"jffs", jffs}, {"sxxList", Json::array()}, {"dcList", Json::array()}};
    if (jffs == "04") {
      out["sxxList"] = StoreRows(*dao, dao->GetJfsxxList(k, rows), rows);
      if (out["sxxList"].empty()) throw OpRefusal(head + "、日期：" + k.rq + "，无法获取缴费金额上下限");
    } else {
      Json grades = StoreRows(*dao, dao->GetJfdcList(k, rows), rows);
      if (grades.empty()) throw OpRefusal(head + "、日期：" + k.rq + "，无法获取缴费金额档次列表");
      out["dcList"] = Grades(grades);
    }
    result = out.dump();
  });
}

bool TJfbzImpl::MatchJfdc(const std::string& lines, std::string& result, std::string& message) {
  result = "[]";
  return Run("MatchJfdc", "", message, [&] {
    Ref<IJfbzDAO> dao = Dao();
    Json out = Json::array();
    for (const Json& line : LinesOf(lines)) {
      Json s = fees::FeeStandard(*dao, line);
      if (!s["valid"].get<bool>()) throw OpRefusal(Text(s, "message"));
      Json matched = line;
      if (s["jffs"] == "04") {
        matched["jfdcxx"] = s["jfsxx"];
      } else {
        const auto paid = fees::Cents(line.contains("jfje") ? line["jfje"] : Json());
        for (const Json& g : s["dcList"])
          if (paid && fees::Cents(g["dcje"]) == paid) matched["jfdcxx"] = g;
        if (!matched.contains("jfdcxx")) throw OpRefusal(kJfdcNotMatched);
      }
      out.push_back(std::move(matched));
    }
    result = out.dump();
  });
}

namespace {
void RegisterJfbz() { RegisterServiceClass(ServiceRowAt(kRowTJfbzImpl).iid, &ClassOf<TJfbzImpl>::Instance()); }
void UnregisterJfbz() { UnregisterServiceClass(ServiceRowAt(kRowTJfbzImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(18, velmor::RegisterJfbz, velmor::UnregisterJfbz)
