#include "host/net/wire.h"

#include <cstdint>

#include <nlohmann/json.hpp>
#include "include/velmor/json_depth.h"

namespace velmor::wire {

std::string EncodeEnvelope(const Envelope& e) {
  nlohmann::ordered_json j;
  j["status"] = e.status;
  j["returnCode"] = e.returnCode;
  j["returnMessage"] = e.returnMessage;
  j["responseData"] = e.responseData;
  j["response"] = e.response;
  // Invalid UTF-8 in a handler's text must not throw out of the server: replace it visibly.
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool DecodeEnvelope(std::string_view text, Envelope& out, std::string& problem) {
  if (!JsonDepthWithin(text)) {
    problem = "应答" + JsonTooDeepText();
    return false;
  }
  nlohmann::json j = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded()) {
    problem = "应答不是JSON";
    return false;
  }
  if (!j.is_object()) {
    problem = "应答不是JSON对象";
    return false;
  }
  auto status = j.find("status");
  if (status == j.end() || !status->is_number_integer()) {
    problem = "缺少整数成员status";
    return false;
  }
  // A number outside the 32-bit range must not wrap round into a valid status.
  bool fits = status->is_number_unsigned() ? status->get<uint64_t>() <= uint64_t(INT32_MAX)
                                           : status->get<int64_t>() >= INT32_MIN && status->get<int64_t>() <= INT32_MAX;
  if (!fits) {
    problem = "status超出范围";
    return false;
  }
  out.status = static_cast<int32_t>(status->get<int64_t>());
  struct Member {
    const char* name;
    std::string* target;
  } members[] = {{"returnCode", &out.returnCode},
                 {"returnMessage", &out.returnMessage},
                 {"responseData", &out.responseData},
                 {"response", &out.response}};
  for (auto& m : members) {
    auto it = j.find(m.name);
    if (it == j.end() || !it->is_string()) {
      problem = std::string("缺少字符串成员") + m.name;
      return false;
    }
    *m.target = it->get<std::string>();
  }
  return true;
}

bool IsServiceCode(std::string_view code) {
  if (code.size() != 4) return false;
  for (char c : code)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string ServicePath(std::string_view code) { return std::string(kServicePrefix) + std::string(code); }
std::string AsyncPath(std::string_view code) { return std::string(kAsyncPrefix) + std::string(code); }
std::string PollPath(std::string_view code) { return AsyncPath(code) + std::string(kPollSuffix); }

}  // namespace velmor::wire
