#include "host/components/sbfjn_service.h"

#include <nlohmann/json.hpp>

#include "plugin/codec/json_cursor.h"
#include "velmor/response_taker.h"

namespace velmor::host::components {

using Json = nlohmann::ordered_json;

namespace {

// JSON as the general parser reads it; the strict cursor checks a large answer without the
// parser's per-character token, and the parser decides the few texts the cursor leaves to it.
bool IsJson(std::string_view text) { return JsonCursor::Accepts(text) || Json::accept(text); }

}  // namespace

SbfjnService::SbfjnService(Ref<INetCommIntf> net, Ref<ICommonFunctions> common)
    : net_(std::move(net)), common_(std::move(common)) {}

bool SbfjnService::Exchange(const char* code, const std::string& body, std::string& answer, std::string& error) {
  Ref<INetCommIntf> connection = net_->CreateConnection();
  Ref<IRequest> request = connection->CreateRequest();
  request->SetServiceCode(code);
  request->SetBody(body);
  const int32_t status = connection->Execute(request.get(), nullptr, 0, 0, 0);
  if (status != 2) {
    error = request->GetErrorText();
    if (error.empty()) error = connection->GetLastErrorText();
    if (error.empty()) error = "社保费缴纳服务请求失败（" + std::string(code) + "）";
    return false;
  }
  answer = TakeResponse(*request);  // moved out, not copied: the arrears of 100,000 persons are tens of MB
  return true;
}

bool SbfjnService::GetQfxxByYzpzxh(const std::string& djxh, const std::string& yzpzxhList, const std::string& flag,
                                   std::string& answer, std::string& error) {
  Json list = Json::parse(yzpzxhList, nullptr, false);
  if (!list.is_array()) {
    error = "应征凭证序号列表不是JSON数组。";
    return false;
  }
  Json body = {{"yblsh", common_->NewSerialNo()}, {"djxh", djxh}, {"yzpzxhList", list}, {"sfbhyjk", flag}};
  std::string text;
  if (!Exchange(kArrearsCode, body.dump(), text, error)) return false;
  // Checked, not rebuilt: the answer holds every arrears line and is handed over as it came.
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos || text[first] != '{' || !IsJson(text)) {
    error = "社保费缴纳服务应答格式错误（" + std::string(kArrearsCode) + "）";
    return false;
  }
  answer = std::move(text);
  return true;
}

bool SbfjnService::GetDzsphmZt(const std::string& djxh, const std::string& kjrqq, const std::string& kjrqz,
                               std::string& list, std::string& error) {
  Json body = {{"yblsh", common_->NewSerialNo()}, {"djxh", djxh}, {"kjrqq", kjrqq}, {"kjrqz", kjrqz}};
  std::string text;
  if (!Exchange(kVoucherStateCode, body.dump(), text, error)) return false;
  Json parsed = Json::parse(text, nullptr, false);
  if (!parsed.is_object() || !parsed.contains("dzsphmList") || !parsed["dzsphmList"].is_array()) {
    error = "社保费缴纳服务应答格式错误（" + std::string(kVoucherStateCode) + "）";
    return false;
  }
  list = parsed["dzsphmList"].dump();
  return true;
}

}  // namespace velmor::host::components
