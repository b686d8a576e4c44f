// IXMLNode: one node of the fast XML document (element, CDATA section, processing instruction or
// comment).
//
// Ownership: a node is reference counted; a parent holds its children, the document holds the
// root, so releasing the document releases the tree. A node held alone after its parent or
// document died is detached (no parent, no owner document) and stays valid. Parent and owner
// references handed out are new references.
//
// An element's character content is a property of the element (GetText), not a child node. Text
// is the stored bytes exactly as they were read (no re-encoding); the document's output encoding
// applies only when XML text is produced.
//
// Reading a child or an attribute by an index outside its list returns an empty result instead
// of raising. Tree edits raise EXMLException (xml_exception.h). Not thread-safe: one thread uses
// a tree at a time (reference counts are atomic). Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "velmor/ref.h"
#include "velmor/tw_interface.h"

namespace velmor {

class IXMLDocument;

enum class XMLNodeKind : uint8_t { Element = 0, CData = 1, ProcessingInstruction = 2, Comment = 3 };

// A value read or written "as a variant": empty, Boolean, integer, floating point or text.
// Written values are converted to text (Booleans as "true"/"false", numbers in their shortest
// exact decimal form); read values are the stored text.
using XMLVariant = std::variant<std::monostate, bool, int64_t, double, std::string>;

class IXMLNode : public ITWInterface {
 public:
  VELMOR_IID("{84F38D18-7578-4AA7-A72A-EAA1B3C8794D}")
  // "prefix:local" or "local" for elements; the target of a processing instruction;
  // "#cdata-section" and "#comment" for the other kinds.
  virtual std::string GetNodeName() = 0;
  virtual std::string GetLocalName() = 0;  // elements only, else empty
  virtual std::string GetPrefix() = 0;     // elements only, else empty
  virtual std::string GetNamespaceURI() = 0;
  virtual XMLNodeKind GetNodeKind() = 0;
  virtual std::string GetText() = 0;
  virtual void SetText(const std::string& text) = 0;
  // 0 for a node without parent, else the parent's level + 1.
  virtual int32_t GetLevel() = 0;
  virtual Ref<IXMLNode> GetParentNode() = 0;         // null for the root or a detached node
  virtual Ref<IXMLDocument> GetOwnerDocument() = 0;  // null for a detached node

  virtual int32_t GetChildCount() = 0;
  virtual bool HasChildNodes() = 0;
  virtual Ref<IXMLNode> GetChild(int32_t index) = 0;  // null outside 0..count-1
  // The first child, in child order, whose node name or local name equals `name` (compared as
  // the owner document's case-sensitivity says); null when none.
  virtual Ref<IXMLNode> FindChild(const std::string& name) = 0;
  virtual int32_t IndexOfChild(IXMLNode* child) = 0;  // -1 when not a child of this node
  // Inserts `child` at `index` (-1 appends). A child that has a parent is first taken out of it.
  // Raises the no-node error for null, the index error outside -1 and 0..count, and the cycle
  // error when `child` is this node or one of its ancestors.
  virtual void InsertChild(int32_t index, IXMLNode* child) = 0;
  // Creates an element named `name`, appends it and returns it.
  virtual Ref<IXMLNode> AddChild(const std::string& name) = 0;
  // False when there is nothing to remove. The removed node is detached.
  virtual bool RemoveChild(int32_t index) = 0;
  virtual bool RemoveChildByName(const std::string& name) = 0;  // the first match, as FindChild

  virtual int32_t GetAttributeCount() = 0;
  virtual std::string GetAttributeName(int32_t index) = 0;   // empty outside the list
  virtual std::string GetAttributeValue(int32_t index) = 0;  // empty outside the list
  // The value of the last attribute with that name; empty when absent.
  virtual std::string GetAttribute(const std::string& name) = 0;
  // Sets the last attribute with that name, or appends a new one.
  virtual void SetAttribute(const std::string& name, const std::string& value) = 0;
  virtual bool HasAttribute(const std::string& name) = 0;
  virtual bool RemoveAttribute(const std::string& name) = 0;  // every attribute of that name
  virtual bool RemoveAttributeAt(int32_t index) = 0;

  // The XML text of this node and its subtree, as the owner document writes it.
  virtual std::string GetXML() = 0;

  // Variant forms of the text and of attribute values (see XMLVariant). Reading an absent
  // attribute gives the empty variant.
  virtual XMLVariant GetTextValue() = 0;
  virtual void SetTextValue(const XMLVariant& value) = 0;
  virtual XMLVariant GetAttributeVariant(const std::string& name) = 0;
  virtual void SetAttributeVariant(const std::string& name, const XMLVariant& value) = 0;

 protected:
  ~IXMLNode() = default;
};

}  // namespace velmor
