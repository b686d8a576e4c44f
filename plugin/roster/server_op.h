// Server operations of the employee service, each described by one OpRow (its name, service
// code, failure prefix, taxML request type and the list its answer must hold) and run by the
// helpers here, so that an operation is a few lines: parameters in, answer out, both JSON.
//
//   return RunOp(kZrrDjxxCx, message, [&] {
//     OpCall call{djxh, ParseParams(params), progress};
//     result = Exchange(kZrrDjxxCx, call).dump();
//   });
//
// A request carries the parameters as body keys ("yblsh", the parameters in their order, "djxh"),
// or, when the row names a request type, as a taxML request document in "data" (AddJson). An
// answer is a taxML response document (synchronous calls) or a JSON object (asynchronous jobs);
// either way the caller gets a JSON object. Runs on the host's main thread; one call at a time.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "codec/taxml_request.h"
#include "velmor/exceptions.h"
#include "velmor/progress_view.h"

namespace velmor::roster {

using Json = nlohmann::ordered_json;

struct OpRow {
  const char* name;              // "ZrrDjxxCx": logged as "[TEmployeeServiceImpl.ZrrDjxxCx]异常："
  const char* code;              // "0032"
  const char* prefix;            // "自然人登记信息查询异常：", put before the text of a failure
  const char* requestType = "";  // taxML request type; "" sends the parameters as body keys
  const char* list = "";         // the list the answer must hold; "" for none
};

// A refusal of the operation itself ("人员编号列表为空。"): the user sees its text as it stands.
class OpRefusal : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "OpRefusal"; }
};

// Parameters of an operation: "" gives an empty object; anything but a JSON object raises
// OpRefusal("参数不是JSON对象。").
Json ParseParams(std::string_view text);

struct OpCall {
  std::string djxh;
  Json params = Json::object();
  IProgressView* progress = nullptr;  // may be null
  std::string yblsh;                  // set: the feedback of an earlier request under this serial
  // A document built by the operation itself (layouts AddJson cannot give); else the row's
  // request type is built from params.
  const taxml::RequestDocument* document = nullptr;
};

// Appends a JSON object to a request document: a scalar becomes an element with its text; an
// array becomes a list element holding one row per entry (rows named after the list: "xxxList"
// holds "xxxDTO", any other name "<name>DTO"), an object row's members as its elements, a scalar
// row as its text; an object becomes an element holding its members. A name that is not a plain
// element name (letters, digits, "_") raises OpRefusal("参数名无效：" + name).
void AddJson(taxml::RequestDocument& doc, const Json& object);

// An element of an answer as JSON: an element named "...List" is an array of its rows, an
// element with child elements an object of them, any other its text. The root gives an object
// of its children without "code" and "message".
Json NodeJson(pugi::xml_node node);
Json AnswerJson(pugi::xml_node root);

// One synchronous exchange: sends, advances the progress view, decodes the taxML answer,
// requires "00000" and the row's list. The answer as JSON plus "yblsh", the serial sent.
// Raises taxml::Failure (the network's text, the server's refusal, "【code】message", the missing
// list) or another exception for an answer that does not decode.
Json Exchange(const OpRow& row, const OpCall& call);

// Asynchronous jobs of the row's code, one per parameter object: submits them all, polls until
// each has answered (the simulator and the server keep a job pending for a while), and returns
// the answers in the order of `jobs`. An answer "null" or empty is an empty object; one with a
// "code" other than "00000" or without the row's list fails the whole call. The progress view
// advances by a share of 100 per answer.
std::vector<Json> ExchangeJobs(const OpRow& row, const std::string& djxh, const std::vector<Json>& jobs,
                               IProgressView* progress);

// Runs body at the service boundary. A failure is logged as "[TEmployeeServiceImpl.<name>]异常："
// + text; message receives the text of an OpRefusal as it stands and the row's prefix + text for
// any other failure. True when body returned normally (message then empty).
bool RunOp(const OpRow& row, std::string& message, const std::function<void()>& body);

// A text member of parameters or answers ("" when absent; numbers as their JSON text).
std::string Text(const Json& object, const char* key);

}  // namespace velmor::roster
