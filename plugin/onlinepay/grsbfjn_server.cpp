// TGrsbfjn's orders through the tax server: "0049" order, "0050" details, "0051" list, "0052" state.
#include <cctype>

#include "codec/json_parse.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "onlinepay/grsbfjn.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

constexpr service::OpRow kXd{kGrClass, "Xd", "0049", "下单异常："};
constexpr const char* kXdType = "SbfGrJfXdRequest";
constexpr service::OpRow kMx{kGrClass, "ddmxCx", "0050", "订单明细查询异常："};
constexpr service::OpRow kList{kGrClass, "ddCx", "0051", "订单查询异常："};
constexpr service::OpRow kZt{kGrClass, "ddztCx", "0052", "订单状态查询异常："};

bool IsSuccess(const std::string& code) {
  if (code.size() != 7) return false;
  for (size_t i = 0; i < 7; ++i)
    if (std::toupper(static_cast<unsigned char>(code[i])) != "SUCCESS"[i]) return false;
  return true;
}

// A page number or size of the query: a JSON number, or a text of digits; 0 when absent.
int64_t Count(const Json& q, const char* key, int64_t fallback) {
  const std::string t = Text(q, key);
  if (t.empty()) return fallback;
  if (t.find_first_not_of("0123456789") != std::string::npos || t.size() > 9)
    throw OpRefusal(std::string("查询条件") + key + "[" + t + "]不是正整数。");
  return std::stoll(t);
}

}  // namespace

namespace onlinepay {
Json ServerOrderCall(const char* code, const Json& keys, const taxml::RequestDocument* document) {
  taxml::Call call;
  call.serviceCode = code;
  call.serial = taxml::Call::Serial::kNone;
  call.djxh = document != nullptr;  // with a document the body is {"djxh", "data"}
  call.keys = keys;
  call.document = document;
  taxml::Reply reply = taxml::Send(call);
  reply.RequireSuccess();
  const std::string returnCode = reply.request->GetReturnCode();
  if (!IsSuccess(returnCode)) throw Exception("[" + returnCode + "]" + reply.request->GetReturnMessage());
  Json answer;
  try {
    answer = ParseOutsideJson<Json>(reply.request->GetResponse());
  } catch (const std::exception& e) {
    throw OpRefusal(std::string("反馈报文异常：") + e.what());
  }
  if (!answer.is_object() && !answer.is_array()) throw OpRefusal("反馈报文异常：应答不是JSON对象或数组");
  return answer;
}
}  // namespace onlinepay

bool TGrsbfjn::Xd(const std::string& order, std::string& result, std::string& message) {
  result = "{}";
  return Op(kXd, message, [&] {
    const Json o = service::ParseParams(order);
    taxml::RequestDocument doc(kXdType);
    service::AddJson(doc, o);
    Json answer = onlinepay::ServerOrderCall("0049", Json::object(), &doc);
    Json data = Json::object();
    for (const char* key : {"orderId", "queryId", "zffsDm", "zfUrl", "qrcodeStr", "ddscsj"})
      data[key] = Text(answer, key);
    if (Text(data, "orderId").empty() || Text(data, "queryId").empty())
      throw OpRefusal("反馈报文异常：缺少orderId或queryId");
    Ref<IGrsbfjnDAO> dao = onlinepay::GrDao();
    if (!dao->SaveDdZfData(data.dump())) throw OpRefusal(dao->GetErrorMessage());
    result = data.dump();
  });
}

bool TGrsbfjn::ddmxCx(const std::string& orderId, const std::string& queryId, std::string& result,
                      std::string& message) {
  result = "{}";
  return Op(kMx, message, [&] {
    result = onlinepay::ServerOrderCall(
                 "0050", Json{{"orderId", orderId}, {"djxh", CurrentDjxh()}, {"queryId", queryId}})
                 .dump();
  });
}

bool TGrsbfjn::ddCx(const std::string& query, std::string& result, std::string& message) {
  result = "[]";
  return Op(kList, message, [&] {
    const Json q = service::ParseParams(query);
    Json keys = {{"xnhDjxh", Text(q, "xnhDjxh")}, {"djxh", CurrentDjxh()},
                 {"ddscsjq", Text(q, "ddscsjq")}, {"ddscsjz", Text(q, "ddscsjz")},
                 {"pageNumber", Count(q, "pageNumber", 1)}, {"pageSize", Count(q, "pageSize", 20)},
                 {"jfrlxDm", Text(q, "jfrlxDm")}};
    result = onlinepay::ServerOrderCall("0051", keys).dump();
  });
}

bool TGrsbfjn::ddztCx(const std::string& orderId, const std::string& queryId, std::string& result,
                      std::string& message) {
  result = "{}";
  return Op(kZt, message, [&] {
    Json answer =
        onlinepay::ServerOrderCall("0052", Json{{"orderId", orderId}, {"djxh", CurrentDjxh()}, {"queryId", queryId}});
    result = Json{{"ddztDm", Text(answer, "ddztDm")}, {"sbyy", Text(answer, "sbyy")}}.dump();
  });
}

}  // namespace velmor
