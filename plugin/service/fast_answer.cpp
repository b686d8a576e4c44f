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

FastList::FastList(std::string_view responseText, const char* list, bool gzip) {
  std::string bytes = Base64Decode(responseText);
  if (gzip) bytes = GzipDecompress(bytes);
  // The plug-in keeps text in UTF-8, so the document is loaded as it came.
  doc_ = LoadXMLDocument(bytes);
  Ref<IXMLNode> root = doc_->GetRoot();
  if (!root) throw Exception("反馈报文没有根节点");
  const std::string code = ChildText(*root, "code");
  if (code != "00000") throw taxml::Failure("【" + code + "】" + RenderMessage(code, ChildText(*root, "message")));
  list_ = root->FindChild(list);
  if (!list_) throw taxml::Failure(std::string("反馈报文缺少<") + list + ">节点。");
  for (int32_t i = 0; i < list_->GetChildCount(); ++i) {
    Ref<IXMLNode> row = list_->GetChild(i);
    if (row && row->GetNodeKind() == XMLNodeKind::Element) ++count_;
  }
}

void FastList::ForEach(const std::function<void(const nlohmann::ordered_json& row)>& visit) const {
  nlohmann::ordered_json r;
  for (int32_t i = 0; i < list_->GetChildCount(); ++i) {
    Ref<IXMLNode> row = list_->GetChild(i);
    if (!row || row->GetNodeKind() != XMLNodeKind::Element) continue;
    r = nlohmann::ordered_json::object();
    for (int32_t j = 0; j < row->GetChildCount(); ++j) {
      Ref<IXMLNode> field = row->GetChild(j);
      if (field && field->GetNodeKind() == XMLNodeKind::Element) r[field->GetNodeName()] = field->GetText();
    }
    visit(r);
  }
}

nlohmann::ordered_json FastListAnswer(std::string_view responseText, const char* list, bool gzip) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  FastList(responseText, list, gzip).ForEach([&](const nlohmann::ordered_json& r) { rows.push_back(r); });
  return rows;
}

}  // namespace velmor::service
