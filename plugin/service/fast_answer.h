// Reading a large taxML answer: the response text is Base64 of a UTF-8 taxML document
// (optionally one gzip member), read front to back into the rows of one list. Used where an
// answer can hold many thousands of rows (payable information, residents' declaration states).
//
// The document is read as it is unpacked, a piece at a time (codec/xml_list_reader.h), so that
// neither its tree nor (for a gzip member) its whole text is held; a text that reader declines is
// loaded as the plug-in's fast XML document instead, which gives the same rows or the same error.
//
// FastListAnswer is a pure function; a FastList is a value of one thread. Any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
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
// payable information): the whole answer is read and checked when the FastList is made (raising
// as FastListAnswer does), then ForEach reads it again and hands each row as the object
// FastListAnswer would hold. It keeps the decoded answer (for a gzip member, the packed bytes).
class FastList {
 public:
  FastList(std::string_view responseText, const char* list, bool gzip);
  size_t Count() const { return count_; }
  void ForEach(const std::function<void(const nlohmann::ordered_json& row)>& visit) const;

 private:
  std::string bytes_;  // the decoded answer, read again by ForEach; empty when doc_ holds it
  std::string list_name_;
  bool gzip_ = false;
  Ref<IXMLDocument> doc_;  // only for a text the streaming reader declined
  Ref<IXMLNode> list_;
  size_t count_ = 0;
};

// The same rows read once, for a caller whose store can undo what it was handed (one
// transaction), so that the answer is not read ahead only to check it: ForEach hands each row as
// it is read and tells afterwards whether the answer may be kept. Holds the decoded answer.
class FastListOnce {
 public:
  // Decodes the Base64 (a text that does not decode is declined by ForEach).
  FastListOnce(std::string_view responseText, const char* list, bool gzip);

  enum class Read {
    kAccepted,  // every row was handed and the answer checks out
    kRefused,   // the code is not "00000" or the list is missing: Check raises which
    kDeclined,  // the streaming reader declined the text, or a gzip member does not unpack:
                // read a FastList of the same text instead (the document, or its error)
  };
  // Rows may have been handed before a kRefused or kDeclined. The visitor's exceptions reach
  // the caller as they are. Read once.
  Read ForEach(const std::function<void(const nlohmann::ordered_json& row)>& visit);
  // After kRefused, raises as FastListAnswer does; otherwise does nothing.
  void Check() const;
  // The rows of an accepted answer.
  size_t Count() const { return count_; }

 private:
  std::string bytes_;
  std::string list_name_;
  bool gzip_ = false;
  std::string code_, message_;
  bool has_list_ = false;
  bool refused_ = false;
  size_t count_ = 0;
};

}  // namespace velmor::service
