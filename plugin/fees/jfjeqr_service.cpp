#include "fees/jfjeqr_service.h"

#include "business/date_time.h"
#include "fees/difference_file.h"
#include "framework/boundary.h"
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

constexpr const char* kClass = "TJfjeqrService";
constexpr service::OpRow kJfjeqrSave{kClass, "JfjeqrSave", "0037", "保存缴费金额确认异常：", "SbfCxjmYjfeSzRequest"};
constexpr service::OpRow kGrwtkkjfxyCx{kClass, "GrwtkkjfxyCx", "0038", "个人委托扣款缴费协议查询异常：", "", "sfxyList"};
constexpr service::OpRow kGrwtkkjfxybc{kClass, "Grwtkkjfxybc", "0039", "个人委托扣款缴费协议保存异常："};

Ref<IJfjeqrDAO> Dao() { return CreatePluginService<IJfjeqrDAO>(kJfjeqrNoDao); }

Json LinesOf(const std::string& text) {
  Json lines = ParseOutsideJson<Json>(text, false);
  if (!lines.is_array() || lines.empty()) throw OpRefusal("缴费金额确认列表为空。");
  for (const Json& l : lines)
    if (!l.is_object()) throw OpRefusal("缴费金额确认列表格式错误。");
  return lines;
}

}  // namespace

bool TJfjeqrService::Op(const service::OpRow& row, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  const bool ok = service::RunOp(row, message, body);
  ErrorMessage = message;
  return ok;
}

bool TJfjeqrService::Store(const char* op, std::string& message, const std::function<bool(IJfjeqrDAO&)>& body) {
  const service::OpRow row{kClass, op, "", ""};
  return Op(row, message, [&] {
    Ref<IJfjeqrDAO> dao = Dao();
    if (!body(*dao)) throw OpRefusal(dao->GetErrorMessage());
  });
}

bool TJfjeqrService::JfjeqrSave(const std::string& lines, IProgressView* progress, std::string& message) {
  return Op(kJfjeqrSave, message, [&] {
    Json in = LinesOf(lines);
    const std::string djxh = CurrentDjxh();
    taxml::RequestDocument doc(kJfjeqrSave.requestType);
    doc.Add("djxh", djxh).Open("xzjfjeQrList");
    for (const Json& l : in) {
      doc.Open("xzjfjeQrDTO")
          .Add("sbjbjgDm", Text(l, "sbjbjgdm"))
          .Add("cxjmsbbm", Text(l, "rybh"))
          .Add("zsxmDm", Text(l, "zsxmdm"))
          .Add("zspmDm", Text(l, "zspmdm"))
          .Add("zszmDm", Text(l, "zszmdm"))
          .Add("jffsDm", Text(l, "jffs"))
          .Add("sxnd", Text(l, "jfnd"))
          .Add("yjfeDc", Text(l, "jfjedc"))
          .Add("yjfe", Text(l, "jfje"))
          .Close();
    }
    doc.Close();
    taxml::Response answer = service::ExchangeDocument(kJfjeqrSave.code, doc, progress, [](const std::exception& e) {
      return std::string("解析反馈报文异常：") + e.what();
    });
    if (!answer.List("jfjsQrList")) throw OpRefusal("缺少<jfjsQrList>结点。");
    const Json confirmed = service::AnswerJson(answer.Root())["jfjsQrList"];
    // The lines the server confirmed (by declaration code and sub-item), with its amount.
    Json stored = Json::array();
    for (const Json& e : confirmed) {
      for (const Json& l : in) {
        if (Text(l, "rybh") != Text(e, "cxjmsbbm") || Text(l, "zspmdm") != Text(e, "zspmDm")) continue;
        Json row = l;
        if (!Text(e, "yjfe").empty()) row["jfje"] = Text(e, "yjfe");
        stored.push_back(std::move(row));
        break;
      }
    }
    Ref<IJfjeqrDAO> dao = Dao();
    if (!dao->SaveJfjeqr(djxh, stored.dump())) throw OpRefusal(dao->GetErrorMessage());
  });
}

int32_t TJfjeqrService::GetJfjeqrCount(const std::string& filter) {
  int32_t n = -1;
  std::string message;
  Store("GetJfjeqrCount", message, [&](IJfjeqrDAO& dao) { return (n = dao.GetJfjeqrCount(CurrentDjxh(), filter)) >= 0; });
  return n;
}

std::string TJfjeqrService::GetJfjeqrData(const std::string& filter, int32_t page, int32_t pageSize) {
  std::string rows = "[]", message;
  Store("GetJfjeqrData", message, [&](IJfjeqrDAO& dao) {
    rows = dao.GetData(CurrentDjxh(), filter, page, pageSize);
    return dao.GetErrorMessage().empty();
  });
  return rows;
}

bool TJfjeqrService::GrwtkkjfxyCx(const std::string& person, std::string& authorisations, std::string& message) {
  authorisations = "[]";
  return Op(kGrwtkkjfxyCx, message, [&] {
    Json p = service::ParseParams(person);
    const std::string djxh = Text(p, "djxh").empty() ? CurrentDjxh() : Text(p, "djxh");
    Json answer = service::Exchange(kGrwtkkjfxyCx, {djxh, Json{{"djxh", ""}}});
    Json out = Json::array();
    for (const Json& a : answer["sfxyList"]) {
      if (Text(a, "pkbz") != "3" || Text(a, "sbfxybz") != "Y") continue;
      out.push_back({{"yhdm", Text(a, "qsyhhh")},  {"yhzldm", Text(a, "yhhbDm")}, {"khhyhdm", Text(a, "khyhhh")},
                     {"khhyhmc", Text(a, "khyhmc")}, {"fkzh", Text(a, "jkzh")},    {"xysh", Text(a, "sfxyh")},
                     {"wtrq", Text(a, "lrrq")}});
    }
    authorisations = out.dump();
  });
}

bool TJfjeqrService::Grwtkkjfxybc(const std::string& authorisation, std::string& message) {
  return Op(kGrwtkkjfxybc, message, [&] {
    Json a = service::ParseParams(authorisation);
    const std::string today = Today();
    const std::string khhyhdm = Text(a, "khhyhdm").empty() ? Text(a, "khyhdm") : Text(a, "khhyhdm");
    const std::string khhyhmc = Text(a, "khhyhmc").empty() ? Text(a, "khyhmc") : Text(a, "khhyhmc");
    // Body keys in the server's order (djxh, the payer, last).
    Json body = {{"yhdm", Text(a, "yhdm")},
                 {"wtrq", today.substr(0, 4) + today.substr(5, 2) + today.substr(8, 2)},
                 {"czlx", Text(a, "czlx")},
                 {"zjhm", Text(a, "sfzjhm")},
                 {"zjlx", Text(a, "sfzjlxDm")},
                 {"xm", Text(a, "xm")},
                 {"yhzlDm", Text(a, "yhzlDm")},
                 {"khhyhDm", khhyhdm},
                 {"khhyhmc", khhyhmc},
                 {"fkzh", Text(a, "fkzh")},
                 {"fkzhmc", Text(a, "xm")},
                 {"yhyywdDm", khhyhdm},
                 {"xysh", Text(a, "xysh")}};
    LogMessage("个人委托扣款缴费协议查询保存：" + body.dump());
    const std::string djxh = CurrentDjxh();
    service::Exchange(kGrwtkkjfxybc, {djxh, body});
    Json stored = {{"rydjxh", Text(a, "rydjxh")}, {"xm", Text(a, "xm")},         {"zjlx", Text(a, "sfzjlxDm")},
                   {"zjhm", Text(a, "sfzjhm")},   {"yhdm", Text(a, "yhdm")},      {"yhzldm", Text(a, "yhzlDm")},
                   {"khyhdm", khhyhdm},           {"khyhmc", khhyhmc},            {"fkzh", Text(a, "fkzh")},
                   {"xysh", Text(a, "xysh")},     {"wtrq", NowText()}};
    Ref<IJfjeqrDAO> dao = Dao();
    if (!dao->SaveSbfkfsq(djxh, stored.dump())) throw OpRefusal(dao->GetErrorMessage());
  });
}

int32_t TJfjeqrService::GetSbfkfsqCount(const std::string& filter) {
  int32_t n = -1;
  std::string message;
  Store("GetSbfkfsqCount", message, [&](IJfjeqrDAO& dao) { return (n = dao.GetSbfkfsqCount(CurrentDjxh(), filter)) >= 0; });
  return n;
}

std::string TJfjeqrService::GetSbfkfsqData(const std::string& filter, int32_t page, int32_t pageSize) {
  std::string rows = "[]", message;
  Store("GetSbfkfsqData", message, [&](IJfjeqrDAO& dao) {
    rows = dao.GetSbfkfsqData(CurrentDjxh(), filter, page, pageSize);
    return dao.GetErrorMessage().empty();
  });
  return rows;
}

bool TJfjeqrService::SbfkfsqZf(int32_t id, std::string& message) {
  return Store("SbfkfsqZf", message, [&](IJfjeqrDAO& dao) { return dao.SbfkfsqZf(id); });
}

bool TJfjeqrService::SaveJmylwqsfxy(const std::string& rydjxh, const std::string& xm, const std::string& agreement,
                                    std::string& message) {
  return Store("SaveJmylwqsfxy", message,
               [&](IJfjeqrDAO& dao) { return dao.SaveJmylwqsfxy(CurrentDjxh(), rydjxh, xm, agreement); });
}

int32_t TJfjeqrService::GetJmylwqsfxyCount(const std::string& filter) {
  int32_t n = -1;
  std::string message;
  Store("GetJmylwqsfxyCount", message,
        [&](IJfjeqrDAO& dao) { return (n = dao.GetJmylwqsfxyCount(CurrentDjxh(), filter)) >= 0; });
  return n;
}

std::string TJfjeqrService::GetJmylwqsfxyData(const std::string& filter, int32_t page, int32_t pageSize) {
  std::string rows = "[]", message;
  Store("GetJmylwqsfxyData", message, [&](IJfjeqrDAO& dao) {
    rows = dao.GetJmylwqsfxyDAta(CurrentDjxh(), filter, page, pageSize);
    return dao.GetErrorMessage().empty();
  });
  return rows;
}

bool TJfjeqrService::UpdateSfyxztDm(const std::string& rydjxh, const std::string& sfxyh, const std::string& sfxyztDm,
                                    std::string& message) {
  return Store("UpdateSfyxztDm", message,
               [&](IJfjeqrDAO& dao) { return dao.UpdateSfyxztDm(CurrentDjxh(), rydjxh, sfxyh, sfxyztDm); });
}

bool TJfjeqrService::UpdateSfxyyztgrq(const std::string& rydjxh, const std::string& sfxyh,
                                      const std::string& sfxyyztgRq, std::string& message) {
  return Store("UpdateSfxyyztgrq", message,
               [&](IJfjeqrDAO& dao) { return dao.UpdateSfxyyztgrq(CurrentDjxh(), rydjxh, sfxyh, sfxyyztgRq); });
}

namespace {

// The entry of a region in "sqyh.json" (an array of {xzqhdm, xzqhmc, list}); null when absent.
const Json* Region(const Json& banks, const std::string& xzqhdm) {
  if (!banks.is_array()) return nullptr;
  for (const Json& e : banks)
    if (e.is_object() && Text(e, "xzqhdm") == xzqhdm) return &e;
  return nullptr;
}

}  // namespace

bool TJfjeqrService::GetXzqhYhList(const std::string& xzqhdm, std::string& list, std::string& message) {
  list = "[]";
  return Op({kClass, "GetXzqhYhList", "", "获取银行列表异常："}, message, [&] {
    const Json banks = fees::ReadDifferenceFile("sqyh.json");
    const Json* region = Region(banks, xzqhdm);
    if (region && region->contains("list") && (*region)["list"].is_array()) list = (*region)["list"].dump();
  });
}

bool TJfjeqrService::GetXzqhmc(const std::string& xzqhdm, std::string& xzqhmc, std::string& message) {
  xzqhmc.clear();
  return Op({kClass, "GetXzqhmc", "", "获取行政区划名称异常："}, message, [&] {
    const Json banks = fees::ReadDifferenceFile("sqyh.json");
    const Json* region = Region(banks, xzqhdm);
    if (region) xzqhmc = Text(*region, "xzqhmc");
  });
}

bool TJfjeqrService::GetBankList(std::string& banks, std::string& message) {
  banks = "[]";
  return Op({kClass, "GetBankList", "", "获取银行列表异常："}, message,
            [&] { banks = fees::ReadDifferenceFile("sqyh.json").dump(); });
}

namespace {
void RegisterJfjeqr() { RegisterServiceClass(ServiceRowAt(kRowTJfjeqrService).iid, &ClassOf<TJfjeqrService>::Instance()); }
void UnregisterJfjeqr() { UnregisterServiceClass(ServiceRowAt(kRowTJfjeqrService).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(25, velmor::RegisterJfjeqr, velmor::UnregisterJfjeqr)
