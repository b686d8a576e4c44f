// IXMLDocument: the fast XML document, a tree of IXMLNode built by one forward scan of a text
// and written back in one pass.
//
// A document is created inactive with version "1.0"; a successful load replaces the tree and
// makes it active. A failed load raises EXMLException (xml_exception.h) and leaves the document
// as it was. The document holds the root; releasing the last reference releases the tree.
// Not thread-safe: one thread uses a document and its nodes at a time. Operations are in slot
// order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/ref.h"
#include "velmor/tw_interface.h"
#include "velmor/xml_node.h"

namespace velmor {

// How text is written: as stored, in the ANSI code page (GBK), or in UTF-8.
enum class XMLOutputEncoding : uint8_t { AsStored = 0, Ansi = 1, Utf8 = 2 };

class IXMLDocument : public ITWInterface {
 public:
  VELMOR_IID("{B8F82DBC-EBC9-4B85-8B65-9FBBC05DBFFD}")
  // Parses `xml` into a fresh tree (the first tag is taken as the XML declaration).
  virtual void LoadXML(const std::string& xml) = 0;
  // The whole document: "<?xml ...?>" and the root. Raises "No active document" when the
  // document is inactive or has no root.
  virtual std::string GetXML() = 0;
  virtual Ref<IXMLNode> GetRoot() = 0;  // null when none
  // Makes `root` the document's root (taking it out of any parent) and the document active;
  // null clears the tree.
  virtual void SetRoot(IXMLNode* root) = 0;
  // A new node of this document, not yet in the tree.
  virtual Ref<IXMLNode> CreateNode(const std::string& name, XMLNodeKind kind) = 0;

  virtual bool GetActive() = 0;
  // The declaration's version (GetVersion of ITWInterface is the object's own version).
  virtual std::string GetXMLVersion() = 0;
  virtual void SetXMLVersion(const std::string& version) = 0;  // empty raises "Invalid xml vrison"
  virtual std::string GetEncoding() = 0;
  virtual void SetEncoding(const std::string& encoding) = 0;
  virtual std::string GetStandalone() = 0;
  virtual void SetStandalone(const std::string& standalone) = 0;
  virtual std::string GetIndent() = 0;
  virtual void SetIndent(const std::string& indent) = 0;  // not empty: indented output
  virtual XMLOutputEncoding GetOutputEncoding() = 0;
  virtual void SetOutputEncoding(XMLOutputEncoding mode) = 0;
  virtual bool GetCaseSensitive() = 0;
  virtual void SetCaseSensitive(bool caseSensitive) = 0;
  virtual int32_t GetNodeCount() = 0;  // nodes created by the last load
  virtual int32_t GetMaxLevel() = 0;   // deepest level met by the last load

  // Loads a file's bytes (raises "File not exist" when it does not exist) / writes GetXML() to a
  // file (through a temporary name, so a failed write leaves no partial file).
  virtual void LoadFromFile(const std::string& path) = 0;
  virtual void SaveToFile(const std::string& path) = 0;

 protected:
  ~IXMLDocument() = default;
};

}  // namespace velmor
