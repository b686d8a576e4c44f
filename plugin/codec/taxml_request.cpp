#include "codec/taxml_request.h"

#include <cstdio>

#include "codec/base64.h"
#include "codec/gbk.h"
#include "codec/gzip.h"
#include "codec/text_utils.h"
#include "velmor/exceptions.h"

namespace velmor::taxml {

RequestDocument::RequestDocument(std::string_view requestType) : type_(FindRequestType(requestType)) {
  if (!type_) throw Exception("未知的请求报文类型：" + std::string(requestType));
  const RequestType& t = *type_;
  text_ = R"(<?xml version="1.0" encoding="UTF-8"?><taxML xsi:type=")";
  text_ += t.name;
  text_ += t.xmlbhFirst ? R"(" xmlbh="String" bbh="String" xmlmc="String")"
                        : R"(" bbh="String" xmlbh="String" xmlmc="String")";
  text_ += R"( xsi:schemaLocation=")";
  text_ += kNamespace;
  if (t.schemaFile) text_ += " " + SchemaFileName(t);
  text_ += R"(" xmlns=")";
  text_ += kNamespace;
  text_ += R"(" xmlns:xsi=")";
  text_ += kXsiNamespace;
  text_ += "\">";
}

RequestDocument& RequestDocument::Add(std::string_view name, std::string_view value) {
  text_ += '<';
  text_ += name;
  text_ += '>';
  text_ += EscapeXmlShort(value);
  text_ += "</";
  text_ += name;
  text_ += '>';
  return *this;
}

RequestDocument& RequestDocument::Add(std::string_view name, double value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return Add(name, std::string_view(buf));
}

RequestDocument& RequestDocument::Add(std::string_view name, int64_t value) {
  return Add(name, std::string_view(std::to_string(value)));
}

RequestDocument& RequestDocument::Open(std::string_view name) {
  text_ += '<';
  text_ += name;
  text_ += '>';
  open_.emplace_back(name);
  return *this;
}

RequestDocument& RequestDocument::Close() {
  if (open_.empty()) throw Exception("请求报文没有未关闭的节点");
  text_ += "</" + open_.back() + ">";
  open_.pop_back();
  return *this;
}

std::string RequestDocument::Text() const {
  if (!open_.empty()) throw Exception("请求报文节点<" + open_.back() + ">未关闭");
  return text_ + "</taxML>";
}

std::string EncodeData(const RequestType& type, std::string_view text) {
  std::string bytes = type.utf8 ? std::string(text) : Utf8ToGbk(text);
  if (type.gzip) bytes = GzipCompress(bytes);
  return Base64Encode(bytes);
}

std::string EncodeData(const RequestDocument& document) { return EncodeData(document.Type(), document.Text()); }

}  // namespace velmor::taxml
