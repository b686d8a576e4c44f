#include "business/business_object.h"

#include <cstdio>
#include <vector>

#include "business/debug_log.h"
#include "business/prop_value.h"
#include "velmor/exceptions.h"
#include "velmor/platform.h"

namespace velmor {
namespace {

// Splits "head.rest" at the first '.'; false when there is none.
bool SplitPath(const std::string& name, std::string& head, std::string& rest) {
  const size_t dot = name.find('.');
  if (dot == std::string::npos) return false;
  head = name.substr(0, dot);
  rest = name.substr(dot + 1);
  return true;
}

void TraceCount(std::string_view className, int32_t before, int32_t after, const char* change) {
  std::string line = "对象[";
  line.append(className).append("]的引用计数[").append(std::to_string(before)).append("]");
  line.append(change).append("，现在为[").append(std::to_string(after)).append("]");
  WriteBusinessLogNoThrow(line);
}

}  // namespace

// ---- Life cycle ------------------------------------------------------------------------------
TBusinessObject::TBusinessObject() = default;

TBusinessObject::TBusinessObject(std::span<const PropInfo> propList) {
  if (!propList.empty()) {
    prop_list_ = propList;
    prop_list_ready_ = true;
    owns_prop_list_ = false;
  }
}

TBusinessObject::~TBusinessObject() {
  // Class tables are static, so there is nothing to free even when OwnsPropList is true. An
  // object destroyed while references remain is the classic invalid pointer operation; it
  // cannot be raised from here, so it is reported and the destruction goes on. (An object that
  // never finished construction legitimately still holds its construction reference.)
  const int32_t count = ref_count_.load(std::memory_order_acquire);
  const int32_t expected = constructed_ ? 0 : 1;
  if (count != expected) {
    std::string line = EInvalidPointer("").ClassName();
    line.append(": Invalid pointer operation: 对象[").append(class_name_);
    line.append("]销毁时引用计数为[").append(std::to_string(count)).append("]");
    platform::DebugOutput(line);
    WriteBusinessLogNoThrow(line, 1);
  }
}

void TBusinessObject::AfterConstruction() {
  class_name_ = ClassName();  // the most-derived class is complete now
  constructed_ = true;
  ref_count_.fetch_sub(1, std::memory_order_release);
}

HResult TBusinessObject::QueryInterface(const Guid& iid, void** out) {
  if (!out) return kNoInterface;
  if (iid == IBusinessObject::kIid) {
    *out = static_cast<IBusinessObject*>(this);
  } else if (iid == IInterface::kIid) {
    *out = static_cast<IInterface*>(static_cast<IBusinessObject*>(this));
  } else {
    *out = nullptr;
    return kNoInterface;
  }
  AddRef();
  return kOk;
}

int32_t TBusinessObject::AddRef() {
  const int32_t after = ref_count_.fetch_add(1, std::memory_order_relaxed) + 1;
  if (TraceRefCount()) TraceCount(ClassName(), after - 1, after, "加1");
  return after;
}

int32_t TBusinessObject::Release() {
  // Read what the trace needs before the decrement: afterwards another thread may destroy us.
  const bool trace = TraceRefCount();
  const std::string_view name = trace ? ClassName() : std::string_view();
  const int32_t after = ref_count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (trace) TraceCount(name, after + 1, after, "减1");
  if (after == 0) delete this;
  return after;
}

// ---- Property list ---------------------------------------------------------------------------
std::span<const PropInfo> TBusinessObject::Props() const {
  if (!prop_list_ready_) {
    prop_list_ = PublishedProperties();
    prop_list_ready_ = true;
  }
  return prop_list_;
}

const PropInfo* TBusinessObject::PropAt(int32_t index) const {
  std::span<const PropInfo> props = Props();
  if (index < 0 || static_cast<size_t>(index) >= props.size() || !props[index].type) return nullptr;
  return &props[index];
}

std::vector<PropInfo> JoinProps(std::span<const PropInfo> base, std::initializer_list<PropInfo> own) {
  std::vector<PropInfo> all(base.begin(), base.end());
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

// ---- IBusinessObject -------------------------------------------------------------------------
std::string TBusinessObject::GetObjectTag() { return object_tag_; }
void TBusinessObject::SetObjectTag(const std::string& tag) { object_tag_ = tag; }
int32_t TBusinessObject::GetRefCount() { return ref_count_.load(std::memory_order_relaxed); }
int32_t TBusinessObject::GetPropCount() { return static_cast<int32_t>(Props().size()); }
void* TBusinessObject::GetObject() { return static_cast<void*>(this); }

int32_t TBusinessObject::GetPropKind(int32_t index) {
  const PropInfo* p = PropAt(index);
  return p ? PropKindOf(*p->type) : kPropUnknown;
}

std::string TBusinessObject::GetPropName(int32_t index) {
  const PropInfo* p = PropAt(index);
  return p ? std::string(p->name) : std::string();
}

std::string TBusinessObject::GetPropText(int32_t index) {
  const PropInfo* p = PropAt(index);
  return p ? ReadPropText(*this, *p) : std::string();
}

void TBusinessObject::SetPropText(int32_t index, const std::string& text) {
  const PropInfo* p = PropAt(index);
  if (!p) throw EListError::IndexOutOfBounds(index);
  if (!p->HasSetter()) return;
  StorePropValue(*this, *p, ConvertPropText(ClassName(), *p, text));
}

int32_t TBusinessObject::IndexOfProperty(const std::string& name) {
  std::span<const PropInfo> props = Props();
  for (size_t i = 0; i < props.size(); ++i)
    if (SameText(props[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

// Each path operation: "head.rest" goes to the object or interface the head property holds;
// anything else gets the operation's empty result.
int32_t TBusinessObject::GetPropKindByName(const std::string& name) {
  std::string head, rest;
  if (!SplitPath(name, head, rest)) return GetPropKind(IndexOfProperty(name));
  const PropInfo* p = PropAt(IndexOfProperty(head));
  if (!p) return kPropUnknown;
  const int32_t kind = PropKindOf(*p->type);
  if (kind == kPropObject && p->access.getObj) {
    Ref<TBusinessObject> inner(p->access.getObj(*this));
    return inner ? inner->GetPropKindByName(rest) : kPropUnknown;
  }
  if (kind == kPropInterface && p->access.getIntf) {
    Ref<IBusinessObject> inner = p->access.getIntf(*this);
    return inner ? inner->GetPropKindByName(rest) : kPropUnknown;
  }
  return kPropUnknown;
}

std::string TBusinessObject::GetPropTextByName(const std::string& name) {
  std::string head, rest;
  if (!SplitPath(name, head, rest)) {
    const int32_t index = IndexOfProperty(name);
    return index < 0 ? std::string() : GetPropText(index);
  }
  const PropInfo* p = PropAt(IndexOfProperty(head));
  if (!p) return {};
  const int32_t kind = PropKindOf(*p->type);
  if (kind == kPropObject && p->access.getObj) {
    Ref<TBusinessObject> inner(p->access.getObj(*this));
    return inner ? inner->GetPropTextByName(rest) : std::string();
  }
  if (kind == kPropInterface && p->access.getIntf) {
    Ref<IBusinessObject> inner = p->access.getIntf(*this);
    return inner ? inner->GetPropTextByName(rest) : std::string();
  }
  return {};
}

void TBusinessObject::SetPropTextByName(const std::string& name, const std::string& text) {
  std::string head, rest;
  if (!SplitPath(name, head, rest)) {
    const int32_t index = IndexOfProperty(name);
    if (index >= 0) SetPropText(index, text);
    return;
  }
  const PropInfo* p = PropAt(IndexOfProperty(head));
  if (!p) return;
  const int32_t kind = PropKindOf(*p->type);
  if (kind == kPropObject && p->access.getObj) {
    Ref<TBusinessObject> inner(p->access.getObj(*this));
    if (inner) inner->SetPropTextByName(rest, text);
  } else if (kind == kPropInterface && p->access.getIntf) {
    Ref<IBusinessObject> inner = p->access.getIntf(*this);
    if (inner) inner->SetPropTextByName(rest, text);
  }
}

bool TBusinessObject::HasProperty(const std::string& name) {
  std::string head, rest;
  if (!SplitPath(name, head, rest)) return IndexOfProperty(name) >= 0;
  const PropInfo* p = PropAt(IndexOfProperty(head));
  if (!p) return false;
  const int32_t kind = PropKindOf(*p->type);
  if (kind == kPropObject && p->access.getObj) {
    Ref<TBusinessObject> inner(p->access.getObj(*this));
    return inner && inner->HasProperty(rest);
  }
  if (kind == kPropInterface && p->access.getIntf) {
    Ref<IBusinessObject> inner = p->access.getIntf(*this);
    return inner && inner->HasProperty(rest);
  }
  return false;
}

void TBusinessObject::Clear() {
  for (const PropInfo& p : Props())
    if (p.type) ClearPropValue(*this, p);
}

void TBusinessObject::Assign(IBusinessObject* source) {
  if (!source) return;
  // A plug-in object is read through its fields; anything else through its text interface.
  auto* src = dynamic_cast<TBusinessObject*>(source);
  if (src == this) return;
  std::span<const PropInfo> props = Props();
  // Convert everything first and store afterwards, so a value that does not fit leaves this
  // object as it was.
  std::vector<std::pair<const PropInfo*, PropValue>> pending;
  for (const PropInfo& p : props) {
    if (!p.type || !p.HasSetter()) continue;
    const int32_t kind = PropKindOf(*p.type);
    if (kind == kPropObject || kind == kPropInterface) continue;
    if (src) {
      const PropInfo* from = src->PropAt(src->IndexOfProperty(std::string(p.name)));
      if (!from || !from->HasGetter()) continue;
      const int32_t fromKind = PropKindOf(*from->type);
      if (fromKind == kPropObject || fromKind == kPropInterface) continue;
      pending.emplace_back(&p, ConvertPropValue(ClassName(), p, *src, *from));
    } else {
      const int32_t index = source->IndexOfProperty(std::string(p.name));
      if (index < 0) continue;
      const int32_t fromKind = source->GetPropKind(index);
      if (fromKind == kPropObject || fromKind == kPropInterface || fromKind == kPropUnknown ||
          fromKind == kPropMethod || fromKind == kPropArray || fromKind == kPropVariant ||
          fromKind == kPropRecord || fromKind == kPropDynArray)
        continue;
      pending.emplace_back(&p, ConvertForeignText(ClassName(), p, source->GetPropText(index)));
    }
  }
  for (const auto& [p, value] : pending) StorePropValue(*this, *p, value);
}

}  // namespace velmor
