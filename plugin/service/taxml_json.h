// JSON <-> taxML: the parameters of an operation as the body of a request document, and an
// answer document (or a JSON answer) as one JSON object. Used by the call helper
// (server_call.h) and by operations that build part of a document themselves.
//
// Pure functions on their arguments; safe on any thread.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "codec/taxml_request.h"
#include "velmor/exceptions.h"

namespace velmor::service {

using Json = nlohmann::ordered_json;

// A refusal of the operation itself ("人员编号列表为空。"): the user sees its text as it stands.
class OpRefusal : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "OpRefusal"; }
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

// A JSON answer's text as the object the caller gets: "null" or empty gives an empty object; a
// "code" other than "00000" raises taxml::Failure("【code】message"), as does a missing `list`
// (when not empty) "反馈报文缺少<list>节点。" and text that is no JSON object; "code" and
// "message" are removed.
Json JsonAnswer(const std::string& text, const char* list);

// A text member of parameters or answers ("" when absent; numbers as their JSON text, flags "Y"/"N").
std::string Text(const Json& object, const char* key);

}  // namespace velmor::service
