#include "codec/taxml_request.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>

#include <pugixml.hpp>

#include "codec/base64.h"
#include "codec/gbk.h"
#include "codec/gzip.h"
#include "codec/text_utils.h"
#include "velmor/exceptions.h"

namespace velmor::taxml {

namespace {

// pugixml keeps a stray "&" as text; in a document it is an error, so every "&" outside CDATA must
// start an entity or character reference.
bool ReferencesWellFormed(std::string_view xml) {
  for (size_t i = 0; i < xml.size(); ++i) {
    if (xml.compare(i, 9, "<![CDATA[") == 0) {
      const size_t end = xml.find("]]>", i + 9);
      if (end == std::string_view::npos) return false;
      i = end + 2;
      continue;
    }
    if (xml[i] != '&') continue;
    const size_t semi = xml.find(';', i);
    if (semi == std::string_view::npos) return false;
    std::string_view name = xml.substr(i + 1, semi - i - 1);
    bool ok = name == "amp" || name == "lt" || name == "gt" || name == "apos" || name == "quot";
    if (!ok && name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      std::string_view digits = name.substr(hex ? 2 : 1);
      ok = !digits.empty() &&
           digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string_view::npos;
    }
    if (!ok) return false;
    i = semi;
  }
  return true;
}

}  // namespace

RequestDocument::RequestDocument(std::string_view requestType) : type_(FindRequestType(requestType)) {
  if (!type_) throw Exception("未知的请求报文类型：" + std::string(requestType));
  const RequestType& t = *type_;
  text_ = t.standalone ? R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                       : R"(<?xml version="1.0" encoding="UTF-8"?>)";
  text_ += R"(<taxML xsi:type=")";
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
  // Most values are codes and numbers with nothing to escape: they go in as they are.
  if (value.find_first_of("&<>'\"") == std::string_view::npos) {
    text_ += value;
  } else {
    text_ += EscapeXmlShort(value);
  }
  text_ += "</";
  text_ += name;
  text_ += '>';
  return *this;
}

RequestDocument& RequestDocument::Add(std::string_view name, double value) {
  // Amounts repeat from row to row (a roster declares the same fee for most persons): the text of
  // the last one is kept.
  if (lastNumberText_.empty() || std::memcmp(&value, &lastNumber_, sizeof value) != 0) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    lastNumber_ = value;
    lastNumberText_ = buf;
  }
  return Add(name, std::string_view(lastNumberText_));
}

RequestDocument& RequestDocument::Add(std::string_view name, int64_t value) {
  return Add(name, std::string_view(std::to_string(value)));
}

RequestDocument& RequestDocument::AddBuilt(std::string_view xml) {
  pugi::xml_document fragment;
  constexpr unsigned kFlags =
      pugi::parse_default | pugi::parse_fragment | pugi::parse_declaration | pugi::parse_pi | pugi::parse_doctype;
  pugi::xml_parse_result r = fragment.load_buffer(xml.data(), xml.size(), kFlags, pugi::encoding_utf8);
  if (!r) throw Exception(std::string("请求报文片段不是有效的XML：") + r.description());
  // Body content only: a second declaration or a doctype would break the document.
  pugi::xml_node odd = fragment.find_node([](pugi::xml_node n) {
    return n.type() == pugi::node_declaration || n.type() == pugi::node_pi || n.type() == pugi::node_doctype;
  });
  if (odd) throw Exception("请求报文片段不是有效的XML：含声明或处理指令");
  if (!ReferencesWellFormed(xml)) throw Exception("请求报文片段不是有效的XML：含未转义的&");
  text_ += xml;
  return *this;
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

namespace {

// A gzip document is encoded a megabyte at a time, so that a roster-sized document is not held
// again as GBK bytes and as its gzip buffer: pieces cut at character starts, ASCII ones passed
// as they are (GBK keeps ASCII), the others converted alone (GBK is stateless, so the bytes are
// those of the whole text converted).
std::string GzipEncoded(const RequestType& type, std::span<const std::string_view> pieces) {
  constexpr size_t kPiece = size_t{1} << 20;
  GzipWriter gzip;
  for (std::string_view text : pieces) {
    while (!text.empty()) {
      size_t n = std::min(kPiece, text.size());
      while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
      if (n == 0) n = std::min(kPiece, text.size());
      const std::string_view piece = text.substr(0, n);
      const bool ascii = std::all_of(piece.begin(), piece.end(), [](char c) { return (c & 0x80) == 0; });
      if (type.utf8 || ascii) {
        gzip.Write(piece);
      } else {
        gzip.Write(Utf8ToGbk(piece));
      }
      text.remove_prefix(n);
    }
  }
  return gzip.Finish();
}

std::string Joined(std::span<const std::string_view> pieces) {
  std::string text;
  for (std::string_view p : pieces) text += p;
  return text;
}

std::string Encode(const RequestType& type, std::span<const std::string_view> pieces) {
  if (!type.gzip) return Base64Encode(type.utf8 ? Joined(pieces) : Utf8ToGbk(Joined(pieces)));
  try {
    return Base64Encode(GzipEncoded(type, pieces));
  } catch (const EConvertError&) {
    // The error names its byte in the whole text.
    (void)Utf8ToGbk(Joined(pieces));
    throw;
  }
}

}  // namespace

std::string EncodeData(const RequestType& type, std::string_view text) {
  const std::string_view pieces[] = {text};
  return Encode(type, pieces);
}

std::string EncodeData(const RequestDocument& document) {
  if (!document.open_.empty()) throw Exception("请求报文节点<" + document.open_.back() + ">未关闭");
  const std::string_view pieces[] = {document.text_, "</taxML>"};
  return Encode(document.Type(), pieces);
}

}  // namespace velmor::taxml
