// TXMLDocument: the fast XML document (IXMLDocument, include/velmor/xml_document.h), and the
// free function that creates a document and loads a text into it.
//
// The document holds its root; nodes point back at it only while they are in its tree (see
// xml_node.h), and its destructor detaches whatever part of the tree outlives it. A load parses
// into a fresh tree and replaces the old one only when the whole text was accepted.
// Not thread-safe.
#pragma once

#include <cstdint>
#include <string>

#include "codec/tw_object.h"
#include "codec/xml_node.h"
#include "velmor/xml_document.h"

namespace velmor {

class TXMLDocument final : public TTWInterfacedObject<IXMLDocument> {
 public:
  TXMLDocument() = default;
  ~TXMLDocument() override;

  // IXMLDocument
  void LoadXML(const std::string& xml) override;
  std::string GetXML() override;
  Ref<IXMLNode> GetRoot() override { return Ref<IXMLNode>(root_.get()); }
  void SetRoot(IXMLNode* root) override;
  Ref<IXMLNode> CreateNode(const std::string& name, XMLNodeKind kind) override;
  bool GetActive() override { return active_; }
  std::string GetXMLVersion() override { return version_; }
  void SetXMLVersion(const std::string& version) override;
  std::string GetEncoding() override { return encoding_; }
  void SetEncoding(const std::string& encoding) override { encoding_ = encoding; }
  std::string GetStandalone() override { return standalone_; }
  void SetStandalone(const std::string& standalone) override { standalone_ = standalone; }
  std::string GetIndent() override { return indent_; }
  void SetIndent(const std::string& indent) override { indent_ = indent; }
  XMLOutputEncoding GetOutputEncoding() override { return output_encoding_; }
  void SetOutputEncoding(XMLOutputEncoding mode) override { output_encoding_ = mode; }
  bool GetCaseSensitive() override { return case_sensitive_; }
  void SetCaseSensitive(bool caseSensitive) override { case_sensitive_ = caseSensitive; }
  int32_t GetNodeCount() override { return node_count_; }
  int32_t GetMaxLevel() override { return max_level_; }
  void LoadFromFile(const std::string& path) override;
  void SaveToFile(const std::string& path) override;

  // ---- Inside the codec ----
  bool case_sensitive() const { return case_sensitive_; }
  const std::string& indent() const { return indent_; }
  XMLOutputEncoding output_encoding() const { return output_encoding_; }
  TXMLNode* root() const { return root_.get(); }
  // Called when a node that is the root moves under another node.
  void ForgetRoot(TXMLNode* node);

 private:
  bool active_ = false;
  std::string indent_;
  XMLOutputEncoding output_encoding_ = XMLOutputEncoding::AsStored;
  bool case_sensitive_ = true;
  std::string version_ = "1.0";
  std::string encoding_;
  std::string standalone_;
  int32_t node_count_ = 0;
  int32_t max_level_ = 0;
  Ref<TXMLNode> root_;
};

// Creates a document and loads `xml` into it; raises EXMLException on any parse error.
Ref<IXMLDocument> LoadXMLDocument(const std::string& xml);

}  // namespace velmor
