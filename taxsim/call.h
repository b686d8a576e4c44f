// Call: one request as a service handler sees it: the service code, the serial, the JSON body
// (keys in the order they arrived) and, when the body carries "data" (or "qqbw"), the decoded request
// document (UTF-8 text and its DOM, with the encoding it came in).
//
// A Call is built by DecodeCall on the server thread that received the request and handed to one
// handler; it is not shared between threads.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "taxsim/request_types.h"

namespace velmor::taxsim {

// A request the simulator cannot read: answered as a refusal with this result code.
class Refusal : public std::runtime_error {
 public:
  Refusal(std::string code, const std::string& message) : std::runtime_error(message), code_(std::move(code)) {}
  const std::string& code() const { return code_; }

 private:
  std::string code_;
};

struct RequestDocument {
  const RequestTypeInfo* type = nullptr;
  bool gbk = false;   // the bytes were GBK (else UTF-8)
  bool gzip = false;  // the bytes were gzip-compressed
  // The document as UTF-8, parsed in place: the DOM's names and texts point into it (and its
  // markup is cut by the parser), so it lives as long as the DOM and is not the text as sent.
  std::string text;
  pugi::xml_document dom;

  pugi::xml_node Root() const { return dom.document_element(); }
  // Text of the first child element of the root with this name; empty when absent.
  std::string Value(std::string_view name) const;
};

struct Call {
  enum class Endpoint { kService, kSubmit };
  Endpoint endpoint = Endpoint::kService;
  std::string serviceCode;
  std::string serialHeader;  // X-Velmor-Serial-No, empty when not sent
  std::string rawBody;
  nlohmann::ordered_json body;              // always an object
  std::unique_ptr<RequestDocument> document;  // null when the body has no "data" or "qqbw"

  // A string (or number, as text) member of the body; empty when absent or of another type.
  std::string Key(std::string_view name) const;
  std::string Yblsh() const { return Key("yblsh"); }
  std::string Djxh() const { return Key("djxh"); }
  // The serial the call is known by: the header, else the body's "yblsh".
  std::string Serial() const { return serialHeader.empty() ? Yblsh() : serialHeader; }
};

// Decodes a request body. Raises Refusal ("10001" malformed body, "10002" undecodable data,
// "10004" unknown request type) with a message naming the fault.
Call DecodeCall(Call::Endpoint endpoint, std::string serviceCode, std::string serialHeader, std::string body);

// Decodes the "data" text of a body into a document (the part of DecodeCall tests drive alone).
std::unique_ptr<RequestDocument> DecodeDocument(std::string_view data);
// The text of a document DecodeDocument took, as UTF-8, from the same "data": for the record of
// recent calls, which keeps the data as sent rather than a second copy of a text of a hundred
// megabytes. Raises CodecError for data DecodeDocument would have refused.
std::string DocumentText(std::string_view data, bool gzip, bool gbk);

}  // namespace velmor::taxsim
