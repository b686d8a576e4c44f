#include "service/fast_answer.h"

#include <exception>
#include <string>

#include "codec/base64.h"
#include "codec/gzip.h"
#include "codec/taxml_exchange.h"
#include "codec/xml_document.h"
#include "codec/xml_list_reader.h"
#include "framework/host_access.h"

namespace velmor::service {

namespace {

// Unpacked pieces of this size are handed to the reader: the text is never held whole.
constexpr size_t kPiece = size_t{1} << 20;

std::string ChildText(IXMLNode& node, const char* name) {
  Ref<IXMLNode> child = node.FindChild(name);
  return child ? child->GetText() : std::string();
}

void CheckAnswer(const std::string& code, const std::string& message, bool hasList, const char* list) {
  if (code != "00000") throw taxml::Failure("【" + code + "】" + RenderMessage(code, message));
  if (!hasList) throw taxml::Failure(std::string("反馈报文缺少<") + list + ">节点。");
}

struct Declined {};

// Feeds the decoded answer (unpacked in pieces when gzip) to the reader; false when the reader
// declined the text. With `faultsDecline` a member that does not unpack is declined too, so that
// the document path raises its own error for it; otherwise every exception (the visitor's
// included) goes to the caller.
bool ReadAll(std::string_view bytes, bool gzip, XmlListReader& reader, bool faultsDecline) {
  if (!gzip) return reader.Feed(bytes) && reader.Finish();
  try {
    GzipDecompressPieces(bytes, kPiece, [&](std::string_view piece) {
      if (!reader.Feed(piece)) throw Declined{};
    });
  } catch (const Declined&) {
    return false;
  } catch (const Exception&) {
    if (!faultsDecline) throw;
    return false;
  }
  return reader.Finish();
}

}  // namespace

FastList::FastList(std::string_view responseText, const char* list, bool gzip)
    : bytes_(Base64Decode(responseText)), list_name_(list), gzip_(gzip) {
  XmlListReader probe(list_name_);
  if (ReadAll(bytes_, gzip_, probe, true)) {
    CheckAnswer(probe.Code(), probe.Message(), probe.HasList(), list);
    count_ = probe.Rows();
    return;
  }
  // The document path: the whole text as the plug-in's fast XML document (it keeps text in
  // UTF-8, so the document is loaded as it came).
  std::string text = std::move(bytes_);
  bytes_.clear();
  if (gzip) text = GzipDecompress(text);
  doc_ = LoadXMLDocument(text);
  text.clear();
  text.shrink_to_fit();
  Ref<IXMLNode> root = doc_->GetRoot();
  if (!root) throw Exception("反馈报文没有根节点");
  list_ = root->FindChild(list);
  CheckAnswer(ChildText(*root, "code"), ChildText(*root, "message"), list_ != nullptr, list);
  for (int32_t i = 0; i < list_->GetChildCount(); ++i) {
    Ref<IXMLNode> row = list_->GetChild(i);
    if (row && row->GetNodeKind() == XMLNodeKind::Element) ++count_;
  }
}

void FastList::ForEach(const std::function<void(const nlohmann::ordered_json& row)>& visit) const {
  if (!doc_) {
    // The same text the constructor read whole: the reader cannot decline it now.
    XmlListReader reader(list_name_, visit);
    if (!ReadAll(bytes_, gzip_, reader, false)) throw Exception("反馈报文读取失败");
    return;
  }
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

FastListOnce::FastListOnce(std::string_view responseText, const char* list, bool gzip)
    : bytes_(Base64Decode(responseText)), list_name_(list), gzip_(gzip) {}

FastListOnce::Read FastListOnce::ForEach(const std::function<void(const nlohmann::ordered_json& row)>& visit) {
  // The visitor's failure is carried past ReadAll, which takes any fault of the plug-in's own
  // kind while unpacking for a member that does not unpack.
  struct VisitFailed {};
  std::exception_ptr failure;
  XmlListReader reader(list_name_, [&](const nlohmann::ordered_json& row) {
    try {
      visit(row);
    } catch (...) {
      failure = std::current_exception();
      throw VisitFailed{};
    }
  });
  bool read = false;
  try {
    read = ReadAll(bytes_, gzip_, reader, true);
  } catch (const VisitFailed&) {
    std::rethrow_exception(failure);
  }
  if (!read) return Read::kDeclined;
  code_ = reader.Code();
  message_ = reader.Message();
  has_list_ = reader.HasList();
  count_ = reader.Rows();
  refused_ = code_ != "00000" || !has_list_;
  return refused_ ? Read::kRefused : Read::kAccepted;
}

void FastListOnce::Check() const {
  if (refused_) CheckAnswer(code_, message_, has_list_, list_name_.c_str());
}

nlohmann::ordered_json FastListAnswer(std::string_view responseText, const char* list, bool gzip) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  FastList(responseText, list, gzip).ForEach([&](const nlohmann::ordered_json& r) { rows.push_back(r); });
  return rows;
}

}  // namespace velmor::service
