// Reading a large taxML answer with the plug-in's own fast XML document: the response text is
// Base64 of a UTF-8 taxML document (optionally one gzip member), read once, front to back, into
// the rows of one list. Used where an answer can hold many thousands of rows (payable
// information, residents' declaration states).
//
// FastListAnswer is a pure function; a FastList is a value of one thread. Any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "velmor/ref.h"
#include "velmor/xml_document.h"

namespace velmor::service {

// The rows of the list element `list` of the answer, each an object of its child elements' texts.
// Raises taxml::Failure "【code】message" (the message rendered) when the code is not "00000",
// "反馈报文缺少<list>节点。" when the list is missing, and another exception when the text does not
// decode or parse.
nlohmann::ordered_json FastListAnswer(std::string_view responseText, const char* list, bool gzip);

// The same rows one at a time, for an answer too large for a tree of them all (200,000 rows of
// payable information): the document is read and checked when the FastList is made (raising as
// FastListAnswer does), then ForEach hands each row as the object FastListAnswer would hold.
class FastList {
 public:
  FastList(std::string_view responseText, const char* list, bool gzip);
  size_t Count() const { return count_; }
  void ForEach(const std::function<void(const nlohmann::ordered_json& row)>& visit) const;

 private:
  Ref<IXMLDocument> doc_;
  Ref<IXMLNode> list_;
  size_t count_ = 0;
};

}  // namespace velmor::service
