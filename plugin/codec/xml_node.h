// TXMLNode: the node of the fast XML document (IXMLNode, include/velmor/xml_node.h).
//
// Ownership: a node holds its children (references) and points back at its parent and owner
// document without holding them. The invariant that keeps those pointers safe: a node has an
// owner document exactly while it is in that document's tree. Taking a node out of a tree, or
// the death of its parent or document, detaches it: parent and owner are cleared over the whole
// detached subtree and its levels restart at 0. Trees are freed iteratively (see Destroy), so
// depth is bounded by memory, not by the stack.
//
// Lists (children, attributes) grow by the rule of XmlListGrowth and refuse 2^27 entries.
// The name index of a node is built on the first lookup once it holds four children and is
// dropped (rebuilt on the next lookup) when its children or the case rule change, except that
// appending keeps it current. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/tw_object.h"
#include "velmor/xml_document.h"
#include "velmor/xml_node.h"

namespace velmor {

class TXMLDocument;

// The capacity after growing a full list of `capacity` entries: +capacity/4 above 64, +16
// above 8, else +4. Raises the capacity error when the result would reach 2^27.
size_t XmlListGrowth(size_t capacity);
inline constexpr size_t kXmlListCapacityLimit = size_t{1} << 27;

struct TXMLAttribute {
  std::string name;
  std::string value;
};

class TXMLNode final : public TTWInterfacedObject<IXMLNode> {
 public:
  TXMLNode(XMLNodeKind kind, std::string name);
  ~TXMLNode() override;

  // IXMLNode
  std::string GetNodeName() override { return name_; }
  std::string GetLocalName() override;
  std::string GetPrefix() override;
  std::string GetNamespaceURI() override;
  XMLNodeKind GetNodeKind() override { return kind_; }
  std::string GetText() override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  int32_t GetLevel() override { return level_; }
  Ref<IXMLNode> GetParentNode() override;
  Ref<IXMLDocument> GetOwnerDocument() override;
  int32_t GetChildCount() override { return static_cast<int32_t>(children_.size()); }
  bool HasChildNodes() override { return !children_.empty(); }
  Ref<IXMLNode> GetChild(int32_t index) override;
  Ref<IXMLNode> FindChild(const std::string& name) override;
  int32_t IndexOfChild(IXMLNode* child) override;
  void InsertChild(int32_t index, IXMLNode* child) override;
  Ref<IXMLNode> AddChild(const std::string& name) override;
  bool RemoveChild(int32_t index) override;
  bool RemoveChildByName(const std::string& name) override;
  int32_t GetAttributeCount() override { return static_cast<int32_t>(attributes_.size()); }
  std::string GetAttributeName(int32_t index) override;
  std::string GetAttributeValue(int32_t index) override;
  std::string GetAttribute(const std::string& name) override;
  void SetAttribute(const std::string& name, const std::string& value) override;
  bool HasAttribute(const std::string& name) override;
  bool RemoveAttribute(const std::string& name) override;
  bool RemoveAttributeAt(int32_t index) override;
  std::string GetXML() override;
  XMLVariant GetTextValue() override { return text_; }
  void SetTextValue(const XMLVariant& value) override;
  XMLVariant GetAttributeVariant(const std::string& name) override;
  void SetAttributeVariant(const std::string& name, const XMLVariant& value) override;

  // ---- Inside the codec (parser, writer, document) ----
  XMLNodeKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  const std::string& text() const { return text_; }
  int32_t level() const { return level_; }
  std::string& mutable_text() { return text_; }
  const std::vector<Ref<TXMLNode>>& children() const { return children_; }
  const std::vector<TXMLAttribute>& attributes() const { return attributes_; }
  TXMLNode* parent() const { return parent_; }
  TXMLDocument* owner() const { return owner_; }
  bool has_prefix() const { return colon_ >= 0; }
  // The first match of FindChild, without taking a reference.
  TXMLNode* FindChildNode(std::string_view name);
  // Appends during a parse: no checks beyond the list limit, no index upkeep.
  void AppendParsedChild(TXMLNode* child, TXMLDocument* owner);
  void AppendParsedAttribute(std::string name, std::string value);
  // Gives a detached subtree to `owner` (null: detaches it) with this node at `level`.
  void AttachSubtree(TXMLDocument* owner, int32_t level);
  // The node behind an IXMLNode of this codec; null for null or a foreign implementation.
  static TXMLNode* From(IXMLNode* node);

 protected:
  void Destroy() override;

 private:
  struct NameIndex;

  bool CaseSensitive() const;
  bool NameMatches(const TXMLNode& child, std::string_view name, bool caseSensitive) const;
  void DropIndex();
  void DetachChildAt(size_t index);
  int32_t FindAttribute(std::string_view name) const;  // the last match, -1 when none

  TXMLDocument* owner_ = nullptr;
  TXMLNode* parent_ = nullptr;
  std::string name_;
  std::string text_;
  int32_t level_ = 0;
  int32_t index_in_parent_ = -1;
  int32_t colon_ = -1;  // position of ':' in an element name, -1 when unprefixed
  XMLNodeKind kind_;
  std::vector<Ref<TXMLNode>> children_;
  std::vector<TXMLAttribute> attributes_;
  std::unique_ptr<NameIndex> name_index_;
};

// The ASCII case-folding comparison used for names.
bool XmlNamesEqual(std::string_view a, std::string_view b, bool caseSensitive);

}  // namespace velmor
