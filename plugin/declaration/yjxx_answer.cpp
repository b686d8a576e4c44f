#include "declaration/yjxx_answer.h"

#include "codec/base64.h"
#include "codec/gzip.h"
#include "codec/taxml_exchange.h"
#include "codec/xml_document.h"
#include "framework/host_access.h"

namespace velmor::declaration {

namespace {
std::string ChildText(IXMLNode& node, const char* name) {
  Ref<IXMLNode> child = node.FindChild(name);
  return child ? child->GetText() : std::string();
}
}  // namespace

nlohmann::ordered_json ReadYjxxAnswer(std::string_view responseText) {
  // The plug-in keeps text in UTF-8, so the document is loaded as it came.
  Ref<IXMLDocument> doc = LoadXMLDocument(GzipDecompress(Base64Decode(responseText)));
  Ref<IXMLNode> root = doc->GetRoot();
  if (!root) throw Exception("反馈报文没有根节点");
  const std::string code = ChildText(*root, "code");
  if (code != "00000") throw taxml::Failure("【" + code + "】" + RenderMessage(code, ChildText(*root, "message")));
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  Ref<IXMLNode> list = root->FindChild("sbfWsbZjxxDetailList");
  if (!list) throw taxml::Failure("反馈报文缺少<sbfWsbZjxxDetailList>节点。");
  for (int32_t i = 0; i < list->GetChildCount(); ++i) {
    Ref<IXMLNode> row = list->GetChild(i);
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

}  // namespace velmor::declaration
