// TRcsbMgr: the residents' and co-operative medical queries the declaration screens need. Each is
// one asynchronous call whose body is the caller's parameter object; the answer document comes
// back as JSON. The simulator's side is taxsim/handlers/declaration_queries.cpp.
#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "declaration/xml_json.h"
#include "service/async_exchange.h"
#include "codec/json_parse.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kQueryPrefix = "查询异常：";
}  // namespace

bool TRcsbMgr::RunQuery(const char* op, const char* serviceCode, const std::string& params, const Json& extra,
                     IProgressView* progress, std::string& result, std::string& error) {
  return Boundary(op, kQueryPrefix, true, error, ErrorMessage, [&] {
    Json given = params.empty() ? Json::object() : ParseOutsideJson<Json>(params, false);
    if (!given.is_object()) throw Exception("查询参数不是JSON对象");
    taxml::Call call;
    call.serviceCode = serviceCode;
    call.keys = extra;
    for (auto& [key, value] : given.items()) {
      // The serial and the payer are the call's own.
      if (key == "yblsh" || key == "djxh" || extra.contains(key)) continue;
      call.keys[key] = value;
    }
    const std::string response = service::CallAsync(call, progress);
    taxml::Response answer = taxml::Response::Decode(response);
    answer.RequireSuccess();
    result = XmlToJson(answer.Root()).dump();
    Advance(progress, 1);
  });
}

bool TRcsbMgr::synCxjmsbfsbecjfCx(const std::string& params, IProgressView* progress, std::string& result,
                                  std::string& error) {
  return RunQuery("synCxjmsbfsbecjfCx", "0296", params, Json::object(), progress, result, error);
}

bool TRcsbMgr::synSzgzdjylxnhsfCx(const std::string& params, IProgressView* progress, std::string& result,
                                  std::string& error) {
  return RunQuery("synSzgzdjylxnhsfCx", "0297", params, Json::object(), progress, result, error);
}

bool TRcsbMgr::synSzgjxnhcxdjdx(const std::string& params, IProgressView* progress, std::string& result,
                                std::string& error) {
  return RunQuery("synSzgjxnhcxdjdx", "0298", params, Json::object(), progress, result, error);
}

bool TRcsbMgr::synCxjmjbylbxyjfjeCx(const std::string& params, IProgressView* progress, std::string& result,
                                    std::string& error) {
  return RunQuery("synCxjmjbylbxyjfjeCx", "0361", params, Json::object(), progress, result, error);
}

bool TRcsbMgr::synCxjmjfxxCx(const std::string& params, IProgressView* progress, std::string& result,
                             std::string& error) {
  return RunQuery("synCxjmjfxxCx", "0300", params, Json{{"cxlx", "1"}}, progress, result, error);
}

bool TRcsbMgr::synCxjmjfxxCxGr(const std::string& params, IProgressView* progress, std::string& result,
                               std::string& error) {
  Json given = ParseOutsideJson<Json>(params, false);
  if (given.is_object() && Text(given, "zjhm").empty()) {
    error = ErrorMessage = std::string(kQueryPrefix) + "缺少证件号码[zjhm]";
    return false;
  }
  return RunQuery("synCxjmjfxxCxGr", "0300", params, Json{{"cxlx", "2"}}, progress, result, error);
}

}  // namespace velmor
