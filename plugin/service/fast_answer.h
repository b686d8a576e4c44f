// Reading a large taxML answer with the plug-in's own fast XML document: the response text is
// Base64 of a UTF-8 taxML document (optionally one gzip member), read once, front to back, into
// the rows of one list. Used where an answer can hold many thousands of rows (payable
// information, residents' declaration states).
//
// Pure function; any thread.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

namespace velmor::service {

// The rows of the list element `list` of the answer, each an object of its child elements' texts.
// Raises taxml::Failure "【code】message" (the message rendered) when the code is not "00000",
// "反馈报文缺少<list>节点。" when the list is missing, and another exception when the text does not
// decode or parse.
nlohmann::ordered_json FastListAnswer(std::string_view responseText, const char* list, bool gzip);

}  // namespace velmor::service
