// Server operations of any service, each described by one OpRow (the class it logs under, its
// name, service code, failure prefix, taxML request type, the list its answer must hold and the
// kind of answer) and run by the helpers here, so that an operation is a few lines: parameters
// in, answer out, both JSON.
//
//   inline constexpr service::OpRow kJfqdCx{"TJfqdService", "Query", "0080", "查询异常：", "", "jfqdList"};
//   return RunOp(kJfqdCx, message, [&] {
//     OpCall call{djxh, ParseParams(params), progress};
//     result = Exchange(kJfqdCx, call).dump();
//   });
//
// The forms of exchange: synchronous (Exchange), asynchronous jobs submitted together and polled
// within a bound (ExchangeJobs), and the two steps of a request answered later (Submit returns
// the serial; Collect asks once and tells "not yet" apart from an answer).
//
// A request carries the parameters as body keys ("yblsh", the parameters in their order, "djxh"),
// or, when the row names a request type, as a taxML request document (AddJson, taxml_json.h). An
// answer is a taxML response document or a JSON object, as the row says; either way the caller
// gets a JSON object. Runs on the host's main thread; one call at a time.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "codec/taxml_request.h"
#include "codec/taxml_response.h"
#include "service/taxml_json.h"
#include "velmor/exceptions.h"
#include "velmor/progress_view.h"

namespace velmor::service {

using Json = nlohmann::ordered_json;

enum class AnswerKind {
  kTaxml,  // a taxML response document (Base64, as the network hands it over)
  kJson,   // a JSON object with "code", "message" and the answer's members
};

struct OpRow {
  const char* className;         // "TJfqdService": the log reads "[TJfqdService.Query]异常："
  const char* name;              // "Query"
  const char* code;              // "0080"
  const char* prefix;            // "查询异常：", put before the text of a failure
  const char* requestType = "";  // taxML request type; "" sends the parameters as body keys
  const char* list = "";         // the list the answer must hold; "" for none
  AnswerKind answer = AnswerKind::kTaxml;
};

// Parameters of an operation: "" gives an empty object; anything but a JSON object raises
// OpRefusal("参数不是JSON对象。").
Json ParseParams(std::string_view text);

struct OpCall {
  std::string djxh;
  Json params = Json::object();
  IProgressView* progress = nullptr;  // may be null
  std::string yblsh = {};             // set: the feedback of an earlier request under this serial
  // A document built by the operation itself (layouts AddJson cannot give); else the row's
  // request type is built from params.
  const taxml::RequestDocument* document = nullptr;
  bool serial = true;  // false: the body carries no "yblsh" (requests the server keys by payer alone)
};

// One synchronous exchange: sends, advances the progress view, decodes the answer, requires
// "00000" and the row's list. The answer as JSON plus "yblsh", the serial sent. Raises
// taxml::Failure (the network's text, the server's refusal, "【code】message", the missing list)
// or another exception for an answer that does not decode.
Json Exchange(const OpRow& row, const OpCall& call);

// One synchronous exchange of a document the operation built itself, for operations that read
// the answer's elements themselves (taxml::Response). The answer's code is tested before it is
// handed back, so nothing of a refused answer is read. Raises taxml::Failure (the network's text,
// the server's refusal, "【code】message"); an answer that does not decode raises
// OpRefusal(unreadable(exception)), the operation's own text for it (unreadable may log too).
taxml::Response ExchangeDocument(const char* code, const taxml::RequestDocument& doc, IProgressView* progress,
                                 const std::function<std::string(const std::exception&)>& unreadable);
// The same exchange for operations whose outcome depends on codes other than "00000" (a
// verdict still pending, a declaration already voided): the answer as JSON with its "code" and
// "message" kept, whatever they are, plus "yblsh". Raises taxml::Failure for the network's
// failures and "反馈报文异常：..." for an answer that does not decode; the row's list is not required.
Json ExchangeAnyCode(const OpRow& row, const OpCall& call);

// A synchronous exchange the server may not have answered yet: it refuses with "10042" while it
// still prepares the answer. Asks again, `wait` apart (the host processing its messages), at most
// `attempts` times in all, then raises taxml::Failure(kStillPending). Any other outcome is
// Exchange's. Each ask carries the call's serial when it has one, else a fresh one.
inline constexpr const char* kPendingCode = "10042";
inline constexpr const char* kStillPending = "服务器仍在处理，请稍后再试。";
struct PendingBound {
  int32_t attempts = 5;
  std::chrono::milliseconds wait{300};
};
Json ExchangeAwaiting(const OpRow& row, const OpCall& call, PendingBound bound = {});

// The bound of ExchangeJobs: 150 passes of 2000 ms.
inline constexpr std::chrono::milliseconds kJobsDeadline{150 * 2000};

// Asynchronous jobs of the row's code, one per parameter object: submits them all, polls until
// each has answered or `deadline` has passed (taxml::Failure "异步请求超时，仍有N个未反馈。", or
// the set's own bound, AsyncJobSet), fails naming the jobs whose poll failed, and
// returns the answers in the order of `jobs`. An answer "null" or empty is an empty object; one
// with a "code" other than "00000" or without the row's list fails the whole call. The progress
// view advances by a share of 100 per answer.
std::vector<Json> ExchangeJobs(const OpRow& row, const std::string& djxh, const std::vector<Json>& jobs,
                               IProgressView* progress, std::chrono::milliseconds deadline = kJobsDeadline);

// The first step of a request answered later: submits it as an asynchronous job and returns its
// serial. Raises taxml::Failure with the host's text when the server refuses it.
std::string Submit(const OpRow& row, const OpCall& call);

// The second step: asks once for the answer under `serial`. std::nullopt while the server has
// not answered yet; the answer's text (the job's raw response, decoded by the caller) once it
// has. Raises taxml::Failure with the host's text when the job failed.
std::optional<std::string> Collect(const OpRow& row, const std::string& serial);

// The same decoded as the row's kind of answer (an empty object for "null").
std::optional<Json> CollectJson(const OpRow& row, const std::string& serial);

// Runs body at the service boundary. A failure is logged as "[<className>.<name>]异常：" + text;
// message receives the text of an OpRefusal as it stands and the row's prefix + text for any
// other failure. True when body returned normally (message then empty).
bool RunOp(const OpRow& row, std::string& message, const std::function<void()>& body);

}  // namespace velmor::service
