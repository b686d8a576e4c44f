// One server exchange: the JSON request body in key order, the send sequence through the host's
// network interface, and the guard a service method puts around it (on the common failure
// boundary, framework/boundary.h). With taxml_request.h (the request document) and
// taxml_response.h (reading the answer) this is the whole API a service uses to talk to the
// server; the scheme manager's office query reads:
//
//   bool TXnhMgr::synXnhsbdjxhCx(IProgressView* progress) {
//     return taxml::Guard("TXnhMgr.synXnhsbdjxhCx", kXnhSystemError, ErrorMessage, [&] {
//       taxml::Call call;
//       call.serviceCode = "0224";
//       call.progress = progress;
//       call.progressValue = 100;
//       call.keys["zgswjgList"] = offices;              // the call's own keys, in order
//       taxml::Reply reply = taxml::Send(call);
//       reply.RequireSuccess();                         // -1: the network's text, -2: the server's
//       taxml::Response answer = taxml::Response::Read(reply);
//       answer.RequireSuccess();                        // "【code】message"
//       for (pugi::xml_node row : answer.RequireList("xnhsbdjxhList").children()) ...
//     });
//   }
//
// Operations described by a row (JSON parameters in, JSON out) use the call helper
// (service/server_call.h) on top of this.
//
// The body's keys: "yblsh" (a fresh serial, or the given one), the call's keys, "djxh" (the
// current payer), then the encoded document under its type's body key ("data", or "qqbw").
// String values are JSON-escaped. Runs on the host's main thread, or on a worker thread once the
// main thread has obtained the host components (framework/host_access.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "codec/taxml_request.h"
#include "velmor/exceptions.h"
#include "velmor/net_comm.h"

namespace velmor::taxml {

// A failure whose text is the message the user sees ("【30035】已作废",
// "反馈报文缺少<sbqkxxList>节点。", the network's error text).
class Failure : public Exception {
 public:
  using Exception::Exception;
  // A failure whose user text is fixed while the log keeps its cause (what()).
  Failure(std::string userText, const std::string& cause) : Exception(cause), userText_(std::move(userText)) {}
  const char* ClassName() const noexcept override { return "Failure"; }
  std::string_view UserText() const noexcept { return userText_.empty() ? std::string_view(what()) : userText_; }

 private:
  std::string userText_;
};

// What the user reads when a request cannot be built (a value the document's encoding cannot
// hold, text that is not UTF-8); the cause goes to the log.
inline constexpr const char* kBuildFailed = "创建报文异常";

struct Call {
  enum class Serial {
    kFresh,  // a new submission: SetSerialNo with a fresh serial, sent as "yblsh"
    kGiven,  // the serial of an earlier submission (fetching its feedback), sent as "yblsh"
    kNone,   // no "yblsh"
  };

  std::string serviceCode;                                        // "0053"
  nlohmann::ordered_json keys = nlohmann::ordered_json::object();  // the call's own keys, in order
  // Keys whose values the caller wrote as JSON text (UTF-8), so that a list of 100,000 lines is
  // neither built as a tree nor copied: placed after `keys`, in order; their names differ from
  // every other key of the body.
  std::vector<std::pair<std::string, std::string>> writtenKeys;
  const RequestDocument* document = nullptr;                       // sent under its body key when set
  Serial serial = Serial::kFresh;
  std::string yblsh;    // with Serial::kGiven
  bool djxh = true;     // add the current payer's "djxh"
  int32_t successStatus = 2;
  IProgressView* progress = nullptr;
  int32_t progressValue = 0;
  INetCommIntf* net = nullptr;  // default: the module's network interface
};

// The body text of a call without sending it (what Send hands to SetBody); the serial is taken
// as given. Raises velmor::Exception for text that is not valid UTF-8.
std::string BodyText(const Call& call, const std::string& yblsh, const std::string& djxh);

struct Reply {
  int32_t status = 0;
  int32_t successStatus = 2;
  Ref<IRequest> request;
  std::string yblsh;  // the serial sent ("" with Serial::kNone)
  std::string error;  // when !Succeeded(): GetLastErrorText for -1, GetReturnMessage for -2

  bool Succeeded() const { return status == successStatus; }
  bool Refused() const { return status == -2; }
  // The server's result code of a refusal ("10042"); empty otherwise.
  std::string RefusalCode() const;
  // Raises Failure(error) unless Succeeded().
  void RequireSuccess() const;
  // The request's response (velmor::TakeResponse: moved out where the host allows it), the
  // request then let go with its copy, where it kept one. Empty without a request.
  std::string TakeResponse();
};

// Encodes the document, creates the request, sets code, serial and body, and executes it.
// Failures to build (a component the host lacks, a text GBK cannot hold) raise exceptions; the
// network's outcome, whatever it is, comes back in the Reply.
Reply Send(const Call& call);

// Runs body on the common failure boundary. True when it returns normally. A Failure puts its own
// text in error; any other exception puts userMessage there. Either way the log receives
// "[" + where + "]异常：" + text.
bool Guard(std::string_view where, const std::string& userMessage, std::string& error,
           const std::function<void()>& body);

}  // namespace velmor::taxml
