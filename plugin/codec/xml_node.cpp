#include "codec/xml_node.h"

#include <algorithm>
#include <charconv>

#include "codec/xml_document.h"
#include "codec/xml_writer.h"
#include "velmor/xml_exception.h"

namespace velmor {

size_t XmlListGrowth(size_t capacity) {
  size_t delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
  size_t grown = capacity + delta;
  if (grown >= kXmlListCapacityLimit) throw EXMLException::Capacity(static_cast<long>(grown));
  return grown;
}

namespace {

template <class T>
void GrowIfFull(std::vector<T>& list) {
  if (list.size() == list.capacity()) list.reserve(XmlListGrowth(list.capacity()));
}

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

uint32_t NameHash(std::string_view name, bool caseSensitive) {
  uint32_t h = 0;
  for (char c : name) h = h * 33 + static_cast<unsigned char>(caseSensitive ? c : FoldAscii(c));
  return h;
}

std::string_view LocalPart(const std::string& name, int32_t colon) {
  return colon < 0 ? std::string_view(name) : std::string_view(name).substr(colon + 1);
}

std::string VariantText(const XMLVariant& value) {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool b) const { return b ? "true" : "false"; }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const {
      char buf[64];
      auto res = std::to_chars(buf, buf + sizeof buf, v);
      return std::string(buf, res.ptr);
    }
    std::string operator()(const std::string& s) const { return s; }
  };
  return std::visit(Visitor{}, value);
}

// Nodes whose last reference went while another node was being freed; freed by the outermost
// Destroy on this thread, so freeing a deep tree never recurses more than one level.
thread_local std::vector<TXMLNode*> t_pending_free;
thread_local bool t_freeing = false;

}  // namespace

bool XmlNamesEqual(std::string_view a, std::string_view b, bool caseSensitive) {
  if (a.size() != b.size()) return false;
  if (caseSensitive) return a == b;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Hash buckets over the children: one entry per node name, and one more per local name of a
// prefixed child, so a lookup through the index finds exactly what a scan finds.
struct TXMLNode::NameIndex {
  struct Entry {
    int32_t child;
    int32_t next;
    bool local;
  };
  bool caseSensitive = true;
  std::vector<int32_t> heads;
  std::vector<Entry> entries;

  void Add(const TXMLNode& node, int32_t child) {
    Link(node.name_, child, false);
    if (node.colon_ >= 0) Link(LocalPart(node.name_, node.colon_), child, true);
  }
  void Link(std::string_view name, int32_t child, bool local) {
    size_t b = NameHash(name, caseSensitive) % heads.size();
    entries.push_back({child, heads[b], local});
    heads[b] = static_cast<int32_t>(entries.size() - 1);
  }
  TXMLNode* Find(const std::vector<Ref<TXMLNode>>& children, std::string_view name) const {
    int32_t best = -1;
    for (int32_t e = heads[NameHash(name, caseSensitive) % heads.size()]; e >= 0; e = entries[e].next) {
      const Entry& entry = entries[e];
      if (best >= 0 && entry.child >= best) continue;
      const TXMLNode& c = *children[entry.child];
      std::string_view candidate = entry.local ? LocalPart(c.name_, c.colon_) : std::string_view(c.name_);
      if (XmlNamesEqual(candidate, name, caseSensitive)) best = entry.child;
    }
    return best < 0 ? nullptr : children[best].get();
  }
};

TXMLNode::TXMLNode(XMLNodeKind kind, std::string name) : name_(std::move(name)), kind_(kind) {
  if (kind_ == XMLNodeKind::Element) {
    size_t colon = name_.find(':');
    if (colon != std::string::npos) colon_ = static_cast<int32_t>(colon);
  }
}

TXMLNode::~TXMLNode() {
  // Children that outlive this node (someone else holds them) are detached first; the others
  // are released, which queues them on t_pending_free.
  for (Ref<TXMLNode>& child : children_) {
    if (child->RefCountForTest() > 1) {
      child->parent_ = nullptr;
      child->index_in_parent_ = -1;
      child->AttachSubtree(nullptr, 0);
    }
    child.reset();
  }
}

void TXMLNode::Destroy() {
  if (t_freeing) {
    t_pending_free.push_back(this);
    return;
  }
  t_freeing = true;
  delete this;
  while (!t_pending_free.empty()) {
    TXMLNode* next = t_pending_free.back();
    t_pending_free.pop_back();
    delete next;
  }
  t_freeing = false;
}

TXMLNode* TXMLNode::From(IXMLNode* node) { return node ? dynamic_cast<TXMLNode*>(node) : nullptr; }

std::string TXMLNode::GetLocalName() {
  if (kind_ != XMLNodeKind::Element) return {};
  return std::string(LocalPart(name_, colon_));
}

std::string TXMLNode::GetPrefix() {
  if (kind_ != XMLNodeKind::Element || colon_ < 0) return {};
  return name_.substr(0, colon_);
}

std::string TXMLNode::GetNamespaceURI() {
  // Resolved from the xmlns declarations in scope, nearest first.
  if (kind_ != XMLNodeKind::Element) return {};
  std::string attr = colon_ < 0 ? std::string("xmlns") : "xmlns:" + name_.substr(0, colon_);
  for (TXMLNode* n = this; n; n = n->parent_) {
    int32_t i = n->FindAttribute(attr);
    if (i >= 0) return n->attributes_[i].value;
  }
  return {};
}

Ref<IXMLNode> TXMLNode::GetParentNode() { return Ref<IXMLNode>(parent_); }

Ref<IXMLDocument> TXMLNode::GetOwnerDocument() { return Ref<IXMLDocument>(owner_); }

Ref<IXMLNode> TXMLNode::GetChild(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= children_.size()) return nullptr;
  return Ref<IXMLNode>(children_[index].get());
}

bool TXMLNode::CaseSensitive() const { return owner_ ? owner_->case_sensitive() : true; }

bool TXMLNode::NameMatches(const TXMLNode& child, std::string_view name, bool caseSensitive) const {
  return XmlNamesEqual(child.name_, name, caseSensitive) ||
         (child.colon_ >= 0 && XmlNamesEqual(LocalPart(child.name_, child.colon_), name, caseSensitive));
}

TXMLNode* TXMLNode::FindChildNode(std::string_view name) {
  bool caseSensitive = CaseSensitive();
  if (children_.size() < 4) {
    for (const Ref<TXMLNode>& c : children_) {
      if (NameMatches(*c, name, caseSensitive)) return c.get();
    }
    return nullptr;
  }
  if (!name_index_ || name_index_->caseSensitive != caseSensitive) {
    auto index = std::make_unique<NameIndex>();
    index->caseSensitive = caseSensitive;
    size_t n = children_.size();
    index->heads.assign(n + n / 4, -1);
    index->entries.reserve(n);
    for (size_t i = 0; i < n; ++i) index->Add(*children_[i], static_cast<int32_t>(i));
    name_index_ = std::move(index);
  }
  return name_index_->Find(children_, name);
}

Ref<IXMLNode> TXMLNode::FindChild(const std::string& name) { return Ref<IXMLNode>(FindChildNode(name)); }

int32_t TXMLNode::IndexOfChild(IXMLNode* child) {
  TXMLNode* node = From(child);
  if (!node || node->parent_ != this) return -1;
  return node->index_in_parent_;
}

void TXMLNode::DropIndex() { name_index_.reset(); }

void TXMLNode::AttachSubtree(TXMLDocument* owner, int32_t level) {
  // Iterative: trees may be deeper than the stack allows.
  std::vector<std::pair<TXMLNode*, int32_t>> work{{this, level}};
  while (!work.empty()) {
    auto [node, lvl] = work.back();
    work.pop_back();
    if (node->owner_ != owner) node->DropIndex();  // the case rule may differ
    node->owner_ = owner;
    node->level_ = lvl;
    for (const Ref<TXMLNode>& c : node->children_) work.emplace_back(c.get(), lvl + 1);
  }
}

void TXMLNode::InsertChild(int32_t index, IXMLNode* child) {
  TXMLNode* node = From(child);
  if (!node) throw EXMLException::NoNode();
  if (index < -1 || index > static_cast<int32_t>(children_.size())) throw EXMLException::Index(index);
  for (TXMLNode* a = this; a; a = a->parent_) {
    if (a == node) throw EXMLException::Cycle();
  }
  Ref<TXMLNode> keep(node);
  // Out of its old place first (which may be this very list, shifting the target index).
  if (TXMLNode* old = node->parent_) {
    size_t oldIndex = static_cast<size_t>(node->index_in_parent_);
    old->DetachChildAt(oldIndex);
    if (old == this && index > static_cast<int32_t>(oldIndex)) --index;
  } else if (node->owner_ && node->owner_->root() == node) {
    node->owner_->ForgetRoot(node);
  }
  size_t at = index < 0 ? children_.size() : static_cast<size_t>(index);
  GrowIfFull(children_);
  children_.insert(children_.begin() + at, keep);
  for (size_t i = at; i < children_.size(); ++i) children_[i]->index_in_parent_ = static_cast<int32_t>(i);
  node->parent_ = this;
  node->AttachSubtree(owner_, level_ + 1);
  if (name_index_ && at == children_.size() - 1 && name_index_->heads.size() * 2 > children_.size()) {
    name_index_->Add(*node, static_cast<int32_t>(at));
  } else {
    DropIndex();
  }
}

Ref<IXMLNode> TXMLNode::AddChild(const std::string& name) {
  Ref<TXMLNode> node(new TXMLNode(XMLNodeKind::Element, name));
  InsertChild(-1, node.get());
  return node;
}

void TXMLNode::DetachChildAt(size_t index) {
  Ref<TXMLNode> node = std::move(children_[index]);
  children_.erase(children_.begin() + index);
  for (size_t i = index; i < children_.size(); ++i) children_[i]->index_in_parent_ = static_cast<int32_t>(i);
  DropIndex();
  node->parent_ = nullptr;
  node->index_in_parent_ = -1;
  node->AttachSubtree(nullptr, 0);
}

bool TXMLNode::RemoveChild(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= children_.size()) return false;
  DetachChildAt(static_cast<size_t>(index));
  return true;
}

bool TXMLNode::RemoveChildByName(const std::string& name) {
  TXMLNode* node = FindChildNode(name);
  if (!node) return false;
  DetachChildAt(static_cast<size_t>(node->index_in_parent_));
  return true;
}

void TXMLNode::AppendParsedChild(TXMLNode* child, TXMLDocument* owner) {
  GrowIfFull(children_);
  child->parent_ = this;
  child->owner_ = owner;
  child->level_ = level_ + 1;
  child->index_in_parent_ = static_cast<int32_t>(children_.size());
  children_.emplace_back(child);
}

void TXMLNode::AppendParsedAttribute(std::string name, std::string value) {
  GrowIfFull(attributes_);
  attributes_.push_back({std::move(name), std::move(value)});
}

int32_t TXMLNode::FindAttribute(std::string_view name) const {
  bool caseSensitive = CaseSensitive();
  for (size_t i = attributes_.size(); i-- > 0;) {
    if (XmlNamesEqual(attributes_[i].name, name, caseSensitive)) return static_cast<int32_t>(i);
  }
  return -1;
}

std::string TXMLNode::GetAttributeName(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= attributes_.size()) return {};
  return attributes_[index].name;
}

std::string TXMLNode::GetAttributeValue(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= attributes_.size()) return {};
  return attributes_[index].value;
}

std::string TXMLNode::GetAttribute(const std::string& name) {
  int32_t i = FindAttribute(name);
  return i < 0 ? std::string() : attributes_[i].value;
}

void TXMLNode::SetAttribute(const std::string& name, const std::string& value) {
  int32_t i = FindAttribute(name);
  if (i >= 0) {
    attributes_[i].value = value;
    return;
  }
  AppendParsedAttribute(name, value);
}

bool TXMLNode::HasAttribute(const std::string& name) { return FindAttribute(name) >= 0; }

bool TXMLNode::RemoveAttribute(const std::string& name) {
  bool caseSensitive = CaseSensitive();
  auto end = std::remove_if(attributes_.begin(), attributes_.end(), [&](const TXMLAttribute& a) {
    return XmlNamesEqual(a.name, name, caseSensitive);
  });
  bool removed = end != attributes_.end();
  attributes_.erase(end, attributes_.end());
  return removed;
}

bool TXMLNode::RemoveAttributeAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= attributes_.size()) return false;
  attributes_.erase(attributes_.begin() + index);
  return true;
}

std::string TXMLNode::GetXML() {
  std::string out;
  XmlWriteNode(out, *this, owner_);
  return out;
}

void TXMLNode::SetTextValue(const XMLVariant& value) { text_ = VariantText(value); }

XMLVariant TXMLNode::GetAttributeVariant(const std::string& name) {
  int32_t i = FindAttribute(name);
  if (i < 0) return std::monostate{};
  return attributes_[i].value;
}

void TXMLNode::SetAttributeVariant(const std::string& name, const XMLVariant& value) {
  SetAttribute(name, VariantText(value));
}

}  // namespace velmor
