#include "service/fast_answer.h"

#include <string>

#include "codec/base64.h"
#include "codec/gzip.h"
#include "codec/taxml_exchange.h"
#include "codec/xml_document.h"
#include "framework/host_access.h"

namespace velmor::service {

namespace {
std::string ChildText(IXMLNode& node, const char* name) {
  Ref<IXMLNode> child = node.FindChild(name);
  return child ? child->GetText() : std::string();
}
}  // namespace

nlohmann::ordered_json FastListAnswer(std::string_view responseText, const char* list, bool gzip) {
  std::string bytes = Base64Decode(responseText);
  if (gzip) bytes = GzipDecompress(bytes);
  // The plug-in keeps text in UTF-8, so the document is loaded as it came.
  Ref<IXMLDocument> doc = LoadXMLDocument(bytes);
  Ref<IXMLNode> root = doc->GetRoot();
  if (!root) throw Exception("反馈报文没有根节点");
  const std::string code = ChildText(*root, "code");
  if (code != "00000") throw taxml::Failure("【" + code + "】" + RenderMessage(code, ChildText(*root, "message")));
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  Ref<IXMLNode> node = root->FindChild(list);
  if (!node) throw taxml::Failure(std::string("反馈报文缺少<") + list + ">节点。");
  for (int32_t i = 0; i < node->GetChildCount(); ++i) {
    Ref<IXMLNode> row = node->GetChild(i);
    if (!row || row->GetNodeKind() != XMLNodeKind::Element) continue;
    nlohmann::ordered_json r = nlohmann::ordered_json::object();
    for (int32_t j = 0; j < row->GetChildCount(); ++j) {
      Ref<IXMLNode> field = row->GetChild(j);
      if (field && field->GetNodeKind() == XMLNodeKind::Element) r[field->GetNodeName()] = field->GetText();
    }
    rows.push_back(std::move(r));
  }
  return rows;
}

}  // namespace velmor::service
