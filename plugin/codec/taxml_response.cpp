#include "codec/taxml_response.h"

#include "codec/base64.h"
#include "codec/gbk.h"
#include "codec/gzip.h"
#include "framework/host_access.h"
#include "velmor/utf8.h"

namespace velmor::taxml {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// True when the XML declaration at the start of the bytes names a GBK family encoding.
bool DeclaresGbk(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() && IsBlank(bytes[i])) ++i;
  if (bytes.substr(i, 5) != "<?xml") return false;
  std::string_view decl = bytes.substr(i, bytes.find("?>", i) == std::string_view::npos ? 0 : bytes.find("?>", i) - i);
  size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return false;
  at += 8;
  while (at < decl.size() && IsBlank(decl[at])) ++at;
  if (at >= decl.size() || decl[at] != '=') return false;
  ++at;
  while (at < decl.size() && IsBlank(decl[at])) ++at;
  if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\'')) return false;
  size_t end = decl.find(decl[at], at + 1);
  if (end == std::string_view::npos) return false;
  std::string name(decl.substr(at + 1, end - at - 1));
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return name == "gbk" || name == "gb2312" || name == "gb18030";
}

}  // namespace

Response Response::Read(const Reply& reply, const ResponseOptions& options) {
  if (!reply.request) throw Exception("反馈报文为空");
  return Read(*reply.request, options);
}

Response Response::Read(IRequest& request, const ResponseOptions& options) {
  return Decode(request.GetResponse(), options);
}

Response Response::Decode(std::string_view responseText, const ResponseOptions& options) {
  if (responseText.empty()) throw Exception("反馈报文为空");
  std::string bytes = Base64Decode(responseText);
  if (bytes.empty()) throw Exception("反馈报文不是有效的Base64编码");
  if (options.gzip) bytes = GzipDecompress(bytes);  // raises "gzip解压失败：..."
  if (DeclaresGbk(bytes)) {
    bytes = GbkToUtf8(bytes);  // raises "文本不是有效的GBK编码（第N字节）"
  } else if (!IsWellFormedUtf8(bytes)) {
    // pugixml would take any bytes; a GBK answer declared as UTF-8 must not pass as garbled text.
    throw Exception("反馈报文不是有效的UTF-8编码");
  }
  return Parse(bytes);
}

Response Response::Parse(std::string_view text) {
  Response r;
  // parse_default keeps the declaration out of the tree; the bytes are UTF-8 by now.
  pugi::xml_parse_result result = r.doc_->load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result) {
    throw Exception("反馈报文不是有效的XML：" + std::string(result.description()) + "（第" +
                    std::to_string(result.offset + 1) + "字节）");
  }
  if (!r.Root()) throw Exception("反馈报文没有根节点");
  return r;
}

std::string Response::Code() const {
  pugi::xml_node code = Root().child("code");
  if (!code) throw Exception("反馈报文缺少<code>节点。");
  return code.text().get();
}

std::string Response::Message() const { return Root().child("message").text().get(); }

std::string Response::FailureText() const {
  std::string code = Code();
  return "【" + code + "】" + RenderMessage(code, Message());
}

void Response::RequireSuccess() const {
  if (!Succeeded()) throw Failure(FailureText());
}

std::string Response::Value(std::string_view name) const {
  return Root().child(std::string(name).c_str()).text().get();
}

pugi::xml_node Response::List(std::string_view name) const { return Root().child(std::string(name).c_str()); }

pugi::xml_node Response::RequireList(std::string_view name) const {
  pugi::xml_node list = List(name);
  if (!list) throw Failure("反馈报文缺少<" + std::string(name) + ">节点。");
  return list;
}

}  // namespace velmor::taxml
