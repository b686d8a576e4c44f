#include "codec/xml_document.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "codec/xml_parser.h"
#include "codec/xml_writer.h"
#include "velmor/xml_exception.h"

namespace velmor {

TXMLDocument::~TXMLDocument() {
  // Whatever part of the tree someone else still holds must stop pointing at this document.
  if (root_ && root_->RefCountForTest() > 1) root_->AttachSubtree(nullptr, 0);
}

void TXMLDocument::LoadXML(const std::string& xml) {
  XmlParseResult parsed = XmlParse(xml, this);
  // Accepted: the old tree goes (detaching whatever of it outlives this call).
  SetRoot(nullptr);
  root_ = std::move(parsed.root);
  version_ = std::move(parsed.version);
  encoding_ = std::move(parsed.encoding);
  standalone_ = std::move(parsed.standalone);
  node_count_ = parsed.nodeCount;
  max_level_ = parsed.maxLevel;
  active_ = true;
}

std::string TXMLDocument::GetXML() {
  if (!active_ || !root_) throw EXMLException::NoDocument();
  std::string out = "<?xml";
  auto pseudo = [&](const char* name, const std::string& value) {
    if (value.empty()) return;
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
  };
  pseudo("version", version_);
  pseudo("encoding", encoding_);
  pseudo("standalone", standalone_);
  out += "?>";
  XmlWriteNode(out, *root_, this);
  return out;
}

void TXMLDocument::SetRoot(IXMLNode* root) {
  TXMLNode* node = TXMLNode::From(root);
  if (root && !node) throw EXMLException::NoNode();
  if (node == root_.get()) {
    if (node) active_ = true;
    return;
  }
  Ref<TXMLNode> keep(node);
  if (node) {
    if (TXMLNode* parent = node->parent()) {
      parent->RemoveChild(parent->IndexOfChild(node));
    } else if (node->owner() && node->owner()->root() == node) {
      node->owner()->ForgetRoot(node);
    }
  }
  if (root_) {
    Ref<TXMLNode> old = std::move(root_);
    if (old->RefCountForTest() > 1) old->AttachSubtree(nullptr, 0);
  }
  root_ = std::move(keep);
  if (root_) {
    root_->AttachSubtree(this, 0);
    active_ = true;
  }
}

void TXMLDocument::ForgetRoot(TXMLNode* node) {
  if (root_.get() != node) return;
  Ref<TXMLNode> old = std::move(root_);
  old->AttachSubtree(nullptr, 0);
}

Ref<IXMLNode> TXMLDocument::CreateNode(const std::string& name, XMLNodeKind kind) {
  switch (kind) {
    case XMLNodeKind::CData: return Ref<IXMLNode>(new TXMLNode(kind, "#cdata-section"));
    case XMLNodeKind::Comment: return Ref<IXMLNode>(new TXMLNode(kind, "#comment"));
    default: return Ref<IXMLNode>(new TXMLNode(kind, name));
  }
}

void TXMLDocument::SetXMLVersion(const std::string& version) {
  if (version.empty()) throw EXMLException::Version();
  version_ = version;
}

void TXMLDocument::LoadFromFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) throw EXMLException::NoFile();
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EXMLException::NoFile();
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadXML(text);
}

void TXMLDocument::SaveToFile(const std::string& path) {
  std::string text = GetXML();
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      throw EXMLException::WriteFailed(path);
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    throw EXMLException::WriteFailed(path);
  }
}

Ref<IXMLDocument> LoadXMLDocument(const std::string& xml) {
  Ref<TXMLDocument> doc(new TXMLDocument());
  doc->LoadXML(xml);
  return doc;
}

}  // namespace velmor
