// Response: a taxML response document decoded from the answer of an exchange and read with
// pugixml: its `code` (five digits, "00000" = success), `message`, result elements and lists.
//
// Decoding: the response text is Base64-decoded, gunzipped when the call's answers are
// compressed, converted from GBK when the document's declaration names GBK (or GB2312, GB18030),
// and parsed. A text that does not decode or parse raises velmor::Exception with the reason (the
// caller's Guard shows the call's own message and logs the reason). Failures the user should see
// as they are raise taxml::Failure: "【" + code + "】" + the rendered message, and
// "反馈报文缺少<" + list + ">节点。".
//
// The Response owns its DOM; nodes handed out are handles into it and live as long as it does.
// One thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "codec/taxml_exchange.h"

namespace velmor::taxml {

inline constexpr const char* kSuccessCode = "00000";

struct ResponseOptions {
  bool gzip = false;  // the answer's document is one gzip member
};

class Response {
 public:
  // The answer of a sent request (GetResponse).
  static Response Read(const Reply& reply, const ResponseOptions& options = {});
  static Response Read(IRequest& request, const ResponseOptions& options = {});
  // A response text as the server sent it (Base64).
  static Response Decode(std::string_view responseText, const ResponseOptions& options = {});
  // A document already in text (UTF-8); raises like Decode when it does not parse.
  static Response Parse(std::string_view documentText);

  pugi::xml_node Root() const { return doc_->document_element(); }
  // The text of the root's child `code`. Raises velmor::Exception("反馈报文缺少<code>节点。")
  // when there is none.
  std::string Code() const;
  std::string Message() const;
  bool Succeeded() const { return Code() == kSuccessCode; }
  // "【" + code + "】" + the message as the host's return-code message component renders it.
  std::string FailureText() const;
  // Raises Failure(FailureText()) unless Succeeded().
  void RequireSuccess() const;

  // The text of the root's first child of that name; empty when absent.
  std::string Value(std::string_view name) const;
  // The root's first child of that name; a null handle when absent.
  pugi::xml_node List(std::string_view name) const;
  // The same, raising Failure("反馈报文缺少<" + name + ">节点。") when absent.
  pugi::xml_node RequireList(std::string_view name) const;

 private:
  Response() : doc_(std::make_unique<pugi::xml_document>()) {}
  std::unique_ptr<pugi::xml_document> doc_;
};

}  // namespace velmor::taxml
