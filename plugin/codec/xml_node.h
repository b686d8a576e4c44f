// TXMLNode: the node of the fast XML document (IXMLNode, include/velmor/xml_node.h).
//
// Ownership: a node holds a reference on each child and points back at its parent and owner
// document without holding them. The invariant that keeps those pointers safe: a node has an
// owner document exactly while it is in that document's tree. Taking a node out of a tree, or
// the death of its parent or document, detaches it: parent and owner are cleared over the whole
// detached subtree and its levels restart at 0. Trees are freed iteratively (see Destroy), so
// depth is bounded by memory, not by the stack.
//
// Memory: nodes made by a load live in that load's XmlArena (names, texts and child arrays
// too) and give it back through their arena's count; nodes made by CreateNode/AddChild live on
// the heap. Whatever an edit adds (a new text, a grown child list, attributes) is on the heap
// and freed with the node.
//
// Lists (children, attributes) grow by the rule of XmlListGrowth and refuse 2^27 entries.
// The name index of a node is built on the first lookup once it holds four children and is
// dropped (rebuilt on the next lookup) when its children or the case rule change, except that
// appending keeps it current. Not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/tw_object.h"
#include "velmor/xml_document.h"
#include "velmor/xml_node.h"

namespace velmor {

class TXMLDocument;
class XmlArena;

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
  // A node on the heap, with no reference yet.
  TXMLNode(XMLNodeKind kind, std::string_view name);
  // A node of a load: in `arena`, named by arena bytes, holding one reference (its parent's).
  TXMLNode(XmlArena* arena, XMLNodeKind kind, std::string_view name);
  ~TXMLNode() override;

  // IXMLNode
  std::string GetNodeName() override { return std::string(name()); }
  std::string GetLocalName() override;
  std::string GetPrefix() override;
  std::string GetNamespaceURI() override;
  XMLNodeKind GetNodeKind() override { return kind_; }
  std::string GetText() override { return std::string(text()); }
  void SetText(const std::string& text) override;
  int32_t GetLevel() override { return level_; }
  Ref<IXMLNode> GetParentNode() override;
  Ref<IXMLDocument> GetOwnerDocument() override;
  int32_t GetChildCount() override { return static_cast<int32_t>(child_count_); }
  bool HasChildNodes() override { return child_count_ != 0; }
  Ref<IXMLNode> GetChild(int32_t index) override;
  Ref<IXMLNode> FindChild(const std::string& name) override;
  int32_t IndexOfChild(IXMLNode* child) override;
  void InsertChild(int32_t index, IXMLNode* child) override;
  Ref<IXMLNode> AddChild(const std::string& name) override;
  bool RemoveChild(int32_t index) override;
  bool RemoveChildByName(const std::string& name) override;
  int32_t GetAttributeCount() override;
  std::string GetAttributeName(int32_t index) override;
  std::string GetAttributeValue(int32_t index) override;
  std::string GetAttribute(const std::string& name) override;
  void SetAttribute(const std::string& name, const std::string& value) override;
  bool HasAttribute(const std::string& name) override;
  bool RemoveAttribute(const std::string& name) override;
  bool RemoveAttributeAt(int32_t index) override;
  std::string GetXML() override;
  XMLVariant GetTextValue() override { return GetText(); }
  void SetTextValue(const XMLVariant& value) override;
  XMLVariant GetAttributeVariant(const std::string& name) override;
  void SetAttributeVariant(const std::string& name, const XMLVariant& value) override;

  // ---- Inside the codec (loader, writer, document) ----
  XMLNodeKind kind() const { return kind_; }
  std::string_view name() const { return {name_, name_size_}; }
  std::string_view text() const { return {text_, text_size_}; }
  int32_t level() const { return level_; }
  uint32_t child_count() const { return child_count_; }
  TXMLNode* child(uint32_t i) const { return children_[i]; }
  const std::vector<TXMLAttribute>* attributes() const { return attributes_; }
  TXMLNode* parent() const { return parent_; }
  TXMLDocument* owner() const { return owner_; }
  // The first match of FindChild, without taking a reference.
  TXMLNode* FindChildNode(std::string_view name);

  // Loader only: the text (arena bytes), the children (an arena array of nodes that each hold
  // one reference for this node, already pointing at it), an attribute.
  void SetParsedText(const char* text, uint32_t size) {
    text_ = text;
    text_size_ = size;
  }
  void SetParsedChildren(TXMLNode** children, uint32_t count) {
    children_ = children;
    child_count_ = child_capacity_ = count;
  }
  void SetParsedLinks(TXMLNode* parent, TXMLDocument* owner, int32_t level, int32_t index) {
    parent_ = parent;
    owner_ = owner;
    level_ = level;
    index_in_parent_ = index;
  }
  void AppendParsedAttribute(std::string name, std::string value);

  // Gives a subtree to `owner` (null: detaches it) with this node at `level`.
  void AttachSubtree(TXMLDocument* owner, int32_t level);
  // The node behind an IXMLNode of this codec; null for null or a foreign implementation.
  static TXMLNode* From(IXMLNode* node);

 protected:
  void Destroy() override;

 private:
  struct NameIndex;

  bool CaseSensitive() const;
  std::string_view local_name() const;
  int32_t colon() const;  // position of ':' in an element name, -1 when unprefixed
  void DropIndex();
  void DetachChildAt(uint32_t index);
  int32_t FindAttribute(std::string_view name) const;  // the last match, -1 when none
  void Free();  // gives the memory back (arena or heap); the children are already dealt with
  void ReserveChildren();  // room for one more child, on the heap

  XmlArena* arena_ = nullptr;  // null for a heap node
  TXMLDocument* owner_ = nullptr;
  TXMLNode* parent_ = nullptr;
  const char* name_ = "";
  const char* text_ = "";
  uint32_t name_size_ = 0;
  uint32_t text_size_ = 0;
  int32_t level_ = 0;
  int32_t index_in_parent_ = -1;
  static constexpr int32_t kColonUnknown = -2;
  mutable int32_t colon_ = kColonUnknown;  // found on first use
  XMLNodeKind kind_;
  bool name_on_heap_ = false;
  bool text_on_heap_ = false;
  bool children_on_heap_ = false;
  TXMLNode** children_ = nullptr;
  uint32_t child_count_ = 0;
  uint32_t child_capacity_ = 0;
  std::vector<TXMLAttribute>* attributes_ = nullptr;  // null when there are none
  NameIndex* name_index_ = nullptr;
};

// The ASCII case-folding comparison used for names.
bool XmlNamesEqual(std::string_view a, std::string_view b, bool caseSensitive);

}  // namespace velmor
