#include "taxsim/call.h"

#include <cctype>
#include <optional>

#include "taxsim/codec.h"
#include "include/velmor/json_depth.h"

namespace velmor::taxsim {
namespace {

// The bytes the request type is read from: the root's start.
constexpr size_t kSniffedBytes = 2048;

// The request type named by the root's xsi:type, read from the bytes before any conversion: the
// attribute is ASCII whatever the encoding of the rest.
std::string SniffType(std::string_view bytes) {
  std::string_view head = bytes.substr(0, kSniffedBytes);
  size_t at = head.find("<taxML");
  if (at == std::string_view::npos) return {};
  at += 6;
  size_t blanks = at;
  while (at < head.size() && (head[at] == ' ' || head[at] == '\t' || head[at] == '\r' || head[at] == '\n')) ++at;
  constexpr std::string_view kAttr = "xsi:type=\"";
  if (at == blanks || head.substr(at, kAttr.size()) != kAttr) return {};
  at += kAttr.size();
  size_t end = at;
  while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '_')) ++end;
  if (end == at || end >= head.size() || head[end] != '"') return {};
  return std::string(head.substr(at, end - at));
}

// Checks the root element's attributes against the row of its type: names in order, the
// literal values and the schema location.
void CheckRoot(const RequestDocument& doc) {
  pugi::xml_node root = doc.Root();
  if (std::string_view(root.name()) != "taxML") throw Refusal("10002", "请求报文根节点不是taxML");
  const RequestTypeInfo& t = *doc.type;
  std::vector<std::string> expected = {"xsi:type"};
  if (t.xmlbhFirst)
    expected.insert(expected.end(), {"xmlbh", "bbh", "xmlmc"});
  else
    expected.insert(expected.end(), {"bbh", "xmlbh", "xmlmc"});
  expected.insert(expected.end(), {"xsi:schemaLocation", "xmlns", "xmlns:xsi"});
  std::vector<std::string> actual;
  for (auto a : root.attributes()) actual.emplace_back(a.name());
  if (actual != expected) {
    std::string got;
    for (auto& a : actual) got += (got.empty() ? "" : ",") + a;
    throw Refusal("10002", "请求报文根节点属性顺序不符：" + got);
  }
  for (const char* literal : {"xmlbh", "bbh", "xmlmc"})
    if (std::string_view(root.attribute(literal).value()) != "String")
      throw Refusal("10002", std::string("请求报文根节点属性") + literal + "的值不是String");
  std::string location(kTaxmlNamespace);
  if (t.schemaFile) location += " " + SchemaFileName(t);
  if (root.attribute("xsi:schemaLocation").value() != location)
    throw Refusal("10002", std::string("请求报文xsi:schemaLocation不符：") + root.attribute("xsi:schemaLocation").value());
  if (root.attribute("xmlns").value() != std::string(kTaxmlNamespace) ||
      root.attribute("xmlns:xsi").value() != std::string(kXsiNamespace))
    throw Refusal("10002", "请求报文命名空间不符");
}

}  // namespace

std::string RequestDocument::Value(std::string_view name) const {
  return Root().child(std::string(name).c_str()).text().get();
}

std::string Call::Key(std::string_view name) const {
  auto it = body.find(std::string(name));
  if (it == body.end()) return {};
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number()) return it->dump();
  return {};
}

namespace {

// A gzipped document's text, converted to UTF-8 as it is unpacked: a declaration of 200,000
// persons unpacks to 120 MB, which no longer sit in a buffer of their own (all of it fresh pages)
// between the two. The failures rank as they did when the whole was unpacked first: damaged data
// first, then the type, then the encoding.
void UnpackGzipped(std::string_view bytes, RequestDocument& doc) {
  std::string head;  // the first bytes, until the type they name is known
  std::string typeName;
  bool typed = false;
  std::optional<GbkToUtf8Stream> gbk;
  std::string encodingError;
  auto convert = [&](std::string_view piece) {
    if (!doc.type || !doc.type->gzip || !encodingError.empty()) return;  // refused below: unpacked only
    try {
      if (gbk) gbk->Append(piece);
      else doc.text.append(piece);
    } catch (const CodecError& e) {
      encodingError = e.what();
    }
  };
  auto type = [&] {
    typed = true;
    typeName = SniffType(head);
    doc.type = FindRequestType(typeName);
    if (doc.type && doc.type->gzip) {
      const size_t size = GunzippedSizeHint(bytes);
      doc.text.reserve(doc.type->gbk ? size + size / 2 + 16 : size);  // GBK grows by half at most
      if (doc.type->gbk) gbk.emplace(doc.text);
    }
    convert(head);
    head = std::string();
  };
  try {
    GunzipPieces(bytes, [&](std::string_view piece) {
      if (typed) return convert(piece);
      head.append(piece);
      if (head.size() >= kSniffedBytes) type();
    });
  } catch (const CodecError& e) {
    throw Refusal("10002", std::string("请求报文data无法解码：") + e.what());
  }
  if (!typed) type();
  if (!doc.type) throw Refusal("10004", typeName.empty() ? "请求报文缺少xsi:type" : "未知的请求报文类型：" + typeName);
  if (!doc.type->gzip) throw Refusal("10002", typeName + "的报文不应压缩");
  if (encodingError.empty()) {
    try {
      if (gbk) gbk->Finish();
      else if (!IsUtf8(doc.text)) throw CodecError("文本不是有效的UTF-8编码");
    } catch (const CodecError& e) {
      encodingError = e.what();
    }
  }
  if (!encodingError.empty()) throw Refusal("10002", typeName + "的报文编码错误：" + encodingError);
}

}  // namespace

std::unique_ptr<RequestDocument> DecodeDocument(std::string_view data) {
  auto doc = std::make_unique<RequestDocument>();
  std::string bytes;
  try {
    bytes = Base64Decode(data);
  } catch (const CodecError& e) {
    throw Refusal("10002", std::string("请求报文data无法解码：") + e.what());
  }
  doc->gzip = LooksGzipped(bytes);
  if (doc->gzip) {
    UnpackGzipped(bytes, *doc);
    bytes = std::string();
  } else {
    std::string type = SniffType(bytes);
    doc->type = FindRequestType(type);
    if (!doc->type) throw Refusal("10004", type.empty() ? "请求报文缺少xsi:type" : "未知的请求报文类型：" + type);
    if (doc->type->gzip) throw Refusal("10002", type + "的报文应为gzip压缩");
    try {
      if (doc->type->gbk) {
        doc->text = GbkToUtf8(bytes);
      } else {
        if (!IsUtf8(bytes)) throw CodecError("文本不是有效的UTF-8编码");
        doc->text = std::move(bytes);
      }
    } catch (const CodecError& e) {
      throw Refusal("10002", type + "的报文编码错误：" + e.what());
    }
  }
  doc->gbk = doc->type->gbk;
  // The declaration always says UTF-8; the bytes are UTF-8 by now in every case.
  const char* declaration = doc->type->standalone ? R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                                                  : R"(<?xml version="1.0" encoding="UTF-8"?>)";
  const bool declared = doc->text.rfind(declaration, 0) == 0;
  // Parsed in the text itself: a copy for the parser (150 MB for a declaration of 200,000
  // persons, all of it fresh pages) took a second of a declaration's handling. An element's text
  // is kept in the element (no node of its own): such a declaration has 2.6 million of them.
  pugi::xml_parse_result r = doc->dom.load_buffer_inplace(
      doc->text.data(), doc->text.size(), pugi::parse_default | pugi::parse_embed_pcdata, pugi::encoding_utf8);
  if (!r) throw Refusal("10002", std::string("请求报文不是有效的XML：") + r.description());
  if (!declared) throw Refusal("10002", "请求报文声明不符");
  CheckRoot(*doc);
  return doc;
}

std::string DocumentText(std::string_view data, bool gzip, bool gbk) {
  std::string bytes = Base64Decode(data);
  if (gzip) bytes = Gunzip(bytes);
  return gbk ? GbkToUtf8(bytes) : bytes;
}

Call DecodeCall(Call::Endpoint endpoint, std::string serviceCode, std::string serialHeader, std::string body) {
  Call call;
  call.endpoint = endpoint;
  call.serviceCode = std::move(serviceCode);
  call.serialHeader = std::move(serialHeader);
  call.rawBody = std::move(body);
  if (!JsonDepthWithin(call.rawBody)) throw Refusal("10001", "请求报文" + JsonTooDeepText());
  call.body = nlohmann::ordered_json::parse(call.rawBody, nullptr, false);
  if (call.body.is_discarded() || !call.body.is_object()) throw Refusal("10001", "请求报文不是有效的JSON对象");
  // The document travels under "data", or "qqbw" for the types that say so.
  for (const char* key : {"data", "qqbw"}) {
    auto data = call.body.find(key);
    if (data == call.body.end()) continue;
    // A few calls carry their parameters as a JSON object under "data" instead of a document
    // (the scheme account's collection status, "0339" and "0341"); the handler reads it itself.
    if (data->is_object() && std::string_view(key) == "data") continue;
    if (call.document) throw Refusal("10001", "请求报文同时含data和qqbw");
    if (!data->is_string()) throw Refusal("10001", std::string("请求报文的") + key + "不是字符串");
    call.document = DecodeDocument(data->get_ref<const std::string&>());
    if (call.document->type->bodyKey != key)
      throw Refusal("10001", std::string(call.document->type->name) + "的报文应放在" +
                                 std::string(call.document->type->bodyKey) + "中");
  }
  return call;
}

}  // namespace velmor::taxsim
