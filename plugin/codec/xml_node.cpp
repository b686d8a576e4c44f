#include "codec/xml_node.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "codec/xml_arena.h"
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

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

uint32_t NameHash(std::string_view name, bool caseSensitive) {
  uint32_t h = 0;
  for (char c : name) h = h * 33 + static_cast<unsigned char>(caseSensitive ? c : FoldAscii(c));
  return h;
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

// A heap copy of `s` ("" needs none).
const char* HeapCopy(std::string_view s, bool* onHeap) {
  *onHeap = !s.empty();
  if (s.empty()) return "";
  char* p = new char[s.size()];
  std::memcpy(p, s.data(), s.size());
  return p;
}

int32_t ColonOf(XMLNodeKind kind, std::string_view name) {
  if (kind != XMLNodeKind::Element) return -1;
  size_t colon = name.find(':');
  return colon == std::string_view::npos ? -1 : static_cast<int32_t>(colon);
}

}  // namespace

bool XmlNamesEqual(std::string_view a, std::string_view b, bool caseSensitive) {
  if (a.size() != b.size()) return false;
  if (std::memcmp(a.data(), b.data(), a.size()) == 0) return true;
  if (caseSensitive) return false;
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
    Link(node.name(), child, false);
    if (node.colon() >= 0) Link(node.local_name(), child, true);
  }
  void Link(std::string_view name, int32_t child, bool local) {
    size_t b = NameHash(name, caseSensitive) % heads.size();
    entries.push_back({child, heads[b], local});
    heads[b] = static_cast<int32_t>(entries.size() - 1);
  }
  TXMLNode* Find(const TXMLNode& parent, std::string_view name) const {
    int32_t best = -1;
    for (int32_t e = heads[NameHash(name, caseSensitive) % heads.size()]; e >= 0; e = entries[e].next) {
      const Entry& entry = entries[e];
      if (best >= 0 && entry.child >= best) continue;
      const TXMLNode& c = *parent.children_[entry.child];
      if (XmlNamesEqual(entry.local ? c.local_name() : c.name(), name, caseSensitive)) best = entry.child;
    }
    return best < 0 ? nullptr : parent.children_[best];
  }
};

TXMLNode::TXMLNode(XMLNodeKind kind, std::string_view name) : kind_(kind) {
  name_ = HeapCopy(name, &name_on_heap_);
  name_size_ = static_cast<uint32_t>(name.size());
}

TXMLNode::TXMLNode(XmlArena* arena, XMLNodeKind kind, std::string_view name)
    : arena_(arena),
      name_(name.data()),
      name_size_(static_cast<uint32_t>(name.size())),
      kind_(kind) {
  InitRefCount(1);
}

TXMLNode::~TXMLNode() {
  if (name_on_heap_) delete[] name_;
  if (text_on_heap_) delete[] text_;
  if (children_on_heap_) delete[] children_;
  delete attributes_;
  delete name_index_;
}

void TXMLNode::Free() {
  if (XmlArena* arena = arena_) {
    // A node of a load that was never edited owns nothing: its memory is the arena's.
    if (name_on_heap_ || text_on_heap_ || children_on_heap_ || attributes_ || name_index_) this->~TXMLNode();
    arena->Release();
  } else {
    delete this;
  }
}

void TXMLNode::Destroy() {
  // Iterative: the children whose last reference this was are freed from a work list; those
  // someone else still holds are detached.
  if (child_count_ == 0) return Free();
  std::vector<TXMLNode*> dying{this};
  while (!dying.empty()) {
    TXMLNode* n = dying.back();
    dying.pop_back();
    for (uint32_t i = 0; i < n->child_count_; ++i) {
      TXMLNode* c = n->children_[i];
      if (c->DropRef() == 0) {
        dying.push_back(c);
      } else {
        c->parent_ = nullptr;
        c->index_in_parent_ = -1;
        c->AttachSubtree(nullptr, 0);
      }
    }
    n->Free();
  }
}

TXMLNode* TXMLNode::From(IXMLNode* node) { return node ? dynamic_cast<TXMLNode*>(node) : nullptr; }

int32_t TXMLNode::colon() const {
  if (colon_ == kColonUnknown) colon_ = ColonOf(kind_, name());
  return colon_;
}

std::string_view TXMLNode::local_name() const {
  int32_t colon = this->colon();
  return colon < 0 ? name() : name().substr(colon + 1);
}

std::string TXMLNode::GetLocalName() {
  if (kind_ != XMLNodeKind::Element) return {};
  return std::string(local_name());
}

std::string TXMLNode::GetPrefix() {
  if (kind_ != XMLNodeKind::Element || colon() < 0) return {};
  return std::string(name().substr(0, colon()));
}

std::string TXMLNode::GetNamespaceURI() {
  // Resolved from the xmlns declarations in scope, nearest first.
  if (kind_ != XMLNodeKind::Element) return {};
  std::string attr = colon() < 0 ? std::string("xmlns") : "xmlns:" + GetPrefix();
  for (TXMLNode* n = this; n; n = n->parent_) {
    int32_t i = n->FindAttribute(attr);
    if (i >= 0) return (*n->attributes_)[i].value;
  }
  return {};
}

void TXMLNode::SetText(const std::string& text) {
  if (text_on_heap_) delete[] text_;
  text_ = HeapCopy(text, &text_on_heap_);
  text_size_ = static_cast<uint32_t>(text.size());
}

Ref<IXMLNode> TXMLNode::GetParentNode() { return Ref<IXMLNode>(parent_); }

Ref<IXMLDocument> TXMLNode::GetOwnerDocument() { return Ref<IXMLDocument>(owner_); }

Ref<IXMLNode> TXMLNode::GetChild(int32_t index) {
  if (index < 0 || static_cast<uint32_t>(index) >= child_count_) return nullptr;
  return Ref<IXMLNode>(children_[index]);
}

bool TXMLNode::CaseSensitive() const { return owner_ ? owner_->case_sensitive() : true; }

TXMLNode* TXMLNode::FindChildNode(std::string_view name) {
  bool caseSensitive = CaseSensitive();
  if (child_count_ < 4) {
    for (uint32_t i = 0; i < child_count_; ++i) {
      TXMLNode* c = children_[i];
      if (XmlNamesEqual(c->name(), name, caseSensitive) ||
          (c->colon() >= 0 && XmlNamesEqual(c->local_name(), name, caseSensitive))) {
        return c;
      }
    }
    return nullptr;
  }
  if (!name_index_ || name_index_->caseSensitive != caseSensitive) {
    DropIndex();
    name_index_ = new NameIndex();
    name_index_->caseSensitive = caseSensitive;
    name_index_->heads.assign(child_count_ + child_count_ / 4, -1);
    name_index_->entries.reserve(child_count_);
    for (uint32_t i = 0; i < child_count_; ++i) name_index_->Add(*children_[i], static_cast<int32_t>(i));
  }
  return name_index_->Find(*this, name);
}

Ref<IXMLNode> TXMLNode::FindChild(const std::string& name) { return Ref<IXMLNode>(FindChildNode(name)); }

int32_t TXMLNode::IndexOfChild(IXMLNode* child) {
  TXMLNode* node = From(child);
  if (!node || node->parent_ != this) return -1;
  return node->index_in_parent_;
}

void TXMLNode::DropIndex() {
  delete name_index_;
  name_index_ = nullptr;
}

void TXMLNode::AttachSubtree(TXMLDocument* owner, int32_t level) {
  std::vector<std::pair<TXMLNode*, int32_t>> work{{this, level}};
  while (!work.empty()) {
    auto [node, lvl] = work.back();
    work.pop_back();
    if (node->owner_ != owner) node->DropIndex();  // the case rule may differ
    node->owner_ = owner;
    node->level_ = lvl;
    for (uint32_t i = 0; i < node->child_count_; ++i) work.emplace_back(node->children_[i], lvl + 1);
  }
}

void TXMLNode::ReserveChildren() {
  if (child_count_ < child_capacity_) return;
  size_t cap = XmlListGrowth(child_capacity_);
  auto** grown = new TXMLNode*[cap];
  if (child_count_) std::memcpy(grown, children_, child_count_ * sizeof(TXMLNode*));
  if (children_on_heap_) delete[] children_;
  children_ = grown;
  child_capacity_ = static_cast<uint32_t>(cap);
  children_on_heap_ = true;
}

void TXMLNode::InsertChild(int32_t index, IXMLNode* child) {
  TXMLNode* node = From(child);
  if (!node) throw EXMLException::NoNode();
  if (index < -1 || index > static_cast<int32_t>(child_count_)) throw EXMLException::Index(index);
  for (TXMLNode* a = this; a; a = a->parent_) {
    if (a == node) throw EXMLException::Cycle();
  }
  ReserveChildren();  // before anything changes: it may raise
  node->AddRef();     // this node's reference
  // Out of its old place first (which may be this very list, shifting the target index).
  if (TXMLNode* old = node->parent_) {
    uint32_t oldIndex = static_cast<uint32_t>(node->index_in_parent_);
    old->DetachChildAt(oldIndex);
    if (old == this && index > static_cast<int32_t>(oldIndex)) --index;
  } else if (node->owner_ && node->owner_->root() == node) {
    node->owner_->ForgetRoot(node);
  }
  uint32_t at = index < 0 ? child_count_ : static_cast<uint32_t>(index);
  std::memmove(children_ + at + 1, children_ + at, (child_count_ - at) * sizeof(TXMLNode*));
  children_[at] = node;
  ++child_count_;
  for (uint32_t i = at; i < child_count_; ++i) children_[i]->index_in_parent_ = static_cast<int32_t>(i);
  node->parent_ = this;
  node->AttachSubtree(owner_, level_ + 1);
  if (name_index_ && at == child_count_ - 1 && name_index_->heads.size() * 2 > child_count_) {
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

void TXMLNode::DetachChildAt(uint32_t index) {
  TXMLNode* node = children_[index];
  std::memmove(children_ + index, children_ + index + 1, (child_count_ - index - 1) * sizeof(TXMLNode*));
  --child_count_;
  for (uint32_t i = index; i < child_count_; ++i) children_[i]->index_in_parent_ = static_cast<int32_t>(i);
  DropIndex();
  node->parent_ = nullptr;
  node->index_in_parent_ = -1;
  if (node->RefCountForTest() > 1) node->AttachSubtree(nullptr, 0);  // it outlives this call
  node->Release();
}

bool TXMLNode::RemoveChild(int32_t index) {
  if (index < 0 || static_cast<uint32_t>(index) >= child_count_) return false;
  DetachChildAt(static_cast<uint32_t>(index));
  return true;
}

bool TXMLNode::RemoveChildByName(const std::string& name) {
  TXMLNode* node = FindChildNode(name);
  if (!node) return false;
  DetachChildAt(static_cast<uint32_t>(node->index_in_parent_));
  return true;
}

void TXMLNode::AppendParsedAttribute(std::string name, std::string value) {
  if (!attributes_) attributes_ = new std::vector<TXMLAttribute>();
  if (attributes_->size() == attributes_->capacity()) attributes_->reserve(XmlListGrowth(attributes_->capacity()));
  attributes_->push_back({std::move(name), std::move(value)});
}

int32_t TXMLNode::FindAttribute(std::string_view name) const {
  if (!attributes_) return -1;
  bool caseSensitive = CaseSensitive();
  for (size_t i = attributes_->size(); i-- > 0;) {
    if (XmlNamesEqual((*attributes_)[i].name, name, caseSensitive)) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t TXMLNode::GetAttributeCount() { return attributes_ ? static_cast<int32_t>(attributes_->size()) : 0; }

std::string TXMLNode::GetAttributeName(int32_t index) {
  if (index < 0 || index >= GetAttributeCount()) return {};
  return (*attributes_)[index].name;
}

std::string TXMLNode::GetAttributeValue(int32_t index) {
  if (index < 0 || index >= GetAttributeCount()) return {};
  return (*attributes_)[index].value;
}

std::string TXMLNode::GetAttribute(const std::string& name) {
  int32_t i = FindAttribute(name);
  return i < 0 ? std::string() : (*attributes_)[i].value;
}

void TXMLNode::SetAttribute(const std::string& name, const std::string& value) {
  int32_t i = FindAttribute(name);
  if (i >= 0) {
    (*attributes_)[i].value = value;
    return;
  }
  AppendParsedAttribute(name, value);
}

bool TXMLNode::HasAttribute(const std::string& name) { return FindAttribute(name) >= 0; }

bool TXMLNode::RemoveAttribute(const std::string& name) {
  if (!attributes_) return false;
  bool caseSensitive = CaseSensitive();
  auto end = std::remove_if(attributes_->begin(), attributes_->end(), [&](const TXMLAttribute& a) {
    return XmlNamesEqual(a.name, name, caseSensitive);
  });
  bool removed = end != attributes_->end();
  attributes_->erase(end, attributes_->end());
  return removed;
}

bool TXMLNode::RemoveAttributeAt(int32_t index) {
  if (index < 0 || index >= GetAttributeCount()) return false;
  attributes_->erase(attributes_->begin() + index);
  return true;
}

std::string TXMLNode::GetXML() {
  std::string out;
  XmlWriteNode(out, *this, owner_);
  return out;
}

void TXMLNode::SetTextValue(const XMLVariant& value) { SetText(VariantText(value)); }

XMLVariant TXMLNode::GetAttributeVariant(const std::string& name) {
  int32_t i = FindAttribute(name);
  if (i < 0) return std::monostate{};
  return (*attributes_)[i].value;
}

void TXMLNode::SetAttributeVariant(const std::string& name, const XMLVariant& value) {
  SetAttribute(name, VariantText(value));
}

}  // namespace velmor
