// TBusinessObject: base class of every service object and business record of the plug-in.
//
// A business class publishes fields through a static property table (VELMOR_PUBLISHED below),
// listing the base class's properties first, like the classic runtime's type information. The
// base class implements IBusinessObject over that table: kinds, text formats, the date parser,
// the assignment-error messages, Clear, Assign and dotted paths.
//
// Reference counting: `new T(...)` starts at 1 and the constructor's end brings it back to 0
// (nobody holds it yet); the first Ref<T>(p) makes it 1 and the last release destroys it. Objects
// are created on the heap and owned through Refs only; TBusinessObject's destructor logs an
// invalid-pointer error when the count is not 0. One thread at a time uses an object.
//
// Implementing further interfaces: derive from Implements<Base, IFoo, IBar> (records) or
// ServiceImpl<Base, IFooService> (managers and stores, whose interfaces start with the
// last-error operations); both route QueryInterface/AddRef/Release to the business object.
#pragma once

#include <atomic>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "business/type_info.h"
#include "velmor/business_object.h"
#include "velmor/class_ref.h"
#include "velmor/ref.h"

namespace velmor {

class TBusinessObject : public IBusinessObject {
 public:
  static constexpr std::string_view kClassName = "TBusinessObject";

  // Create: the property list of the object's own class (taken on first use).
  TBusinessObject();
  // Create(propList, propCount): uses the given list as is (the caller keeps it alive); an empty
  // span behaves like the default constructor.
  explicit TBusinessObject(std::span<const PropInfo> propList);
  virtual ~TBusinessObject();
  TBusinessObject(const TBusinessObject&) = delete;
  TBusinessObject& operator=(const TBusinessObject&) = delete;

  // IInterface
  HResult QueryInterface(const Guid& iid, void** out) override;
  int32_t AddRef() override;
  int32_t Release() override;

  // IBusinessObject (all virtual, so a derived class may override)
  std::string GetObjectTag() override;
  int32_t GetRefCount() override;
  int32_t GetPropKind(int32_t index) override;
  int32_t GetPropKindByName(const std::string& name) override;
  int32_t GetPropCount() override;
  std::string GetPropName(int32_t index) override;
  std::string GetPropText(int32_t index) override;
  std::string GetPropTextByName(const std::string& name) override;
  void SetObjectTag(const std::string& tag) override;
  void SetPropText(int32_t index, const std::string& text) override;
  void SetPropTextByName(const std::string& name, const std::string& text) override;
  void* GetObject() override;
  void Assign(IBusinessObject* source) override;
  void Clear() override;
  bool HasProperty(const std::string& name) override;
  int32_t IndexOfProperty(const std::string& name) override;

  // The class name used in messages ("TEmployeeItem.xm"); VELMOR_PUBLISHED overrides it.
  virtual std::string_view ClassName() const { return kClassName; }
  // The static property table of the object's class; VELMOR_PUBLISHED overrides it.
  virtual std::span<const PropInfo> PublishedProperties() const { return {}; }
  static std::span<const PropInfo> ClassProperties() { return {}; }

  // When set, every count change writes "对象[%s]的引用计数[%d]加1，现在为[%d]" (or 减1) to the log.
  void SetTraceRefCount(bool on) { trace_ref_count_ = on; }
  bool OwnsPropList() const { return owns_prop_list_; }

 protected:
  std::span<const PropInfo> Props() const;

 private:
  const PropInfo* PropAt(int32_t index) const;  // null when out of range

  bool owns_prop_list_ = true;
  std::atomic<int32_t> ref_count_{1};
  mutable std::span<const PropInfo> prop_list_{};
  mutable bool prop_list_ready_ = false;
  bool trace_ref_count_ = false;
  std::string object_tag_;

 public:
  // The classic "after construction" decrement, 1 to 0; New<T> calls it once the most-derived
  // constructor has finished.
  void AfterConstruction() { ref_count_.fetch_sub(1); }
};

// TSBBaseObj: a business object with the last-error text of a service.
class TSBBaseObj : public TBusinessObject {
 public:
  static constexpr std::string_view kClassName = "TSBBaseObj";
  using TBusinessObject::TBusinessObject;
  std::string_view ClassName() const override { return kClassName; }

  const std::string& ErrorMessageText() const { return ErrorMessage; }
  std::string GetErrorMessageText() const { return ErrorMessage; }
  void SetErrorMessageText(const std::string& message) { ErrorMessage = message; }

  std::string ErrorMessage;
};

// Creates a business object and returns its first reference (count 1).
template <class T, class... Args>
Ref<T> New(Args&&... args) {
  T* p = new T(std::forward<Args>(args)...);
  p->AfterConstruction();
  return Ref<T>(p);
}

// ---- Implementing more interfaces ------------------------------------------------------------
template <class Base, class... Interfaces>
class Implements : public Base, public Interfaces... {
 public:
  using Base::Base;
  HResult QueryInterface(const Guid& iid, void** out) override {
    if ((TryOne<Interfaces>(iid, out) || ...)) {
      this->AddRef();
      return kOk;
    }
    return Base::QueryInterface(iid, out);
  }
  int32_t AddRef() override { return Base::AddRef(); }
  int32_t Release() override { return Base::Release(); }

 private:
  template <class I>
  bool TryOne(const Guid& iid, void** out) {
    if (iid != I::kIid) return false;
    *out = static_cast<I*>(this);
    return true;
  }
};

// For services: their interfaces begin with GetErrorMessage / SetErrorMessage (IServiceIntf).
template <class Base, class... Interfaces>
class ServiceImpl : public Implements<Base, Interfaces...> {
 public:
  using Implements<Base, Interfaces...>::Implements;
  std::string GetErrorMessage() override { return this->ErrorMessage; }
  void SetErrorMessage(const std::string& message) override { this->ErrorMessage = message; }
};

// ---- Class references ------------------------------------------------------------------------
// The metaclass of T: its name and virtual constructor. One static instance per class.
template <class T>
class ClassOf final : public ClassRef {
 public:
  static const ClassOf& Instance() {
    static const ClassOf instance;
    return instance;
  }
  std::string_view ClassName() const override { return T::kClassName; }
  Ref<IInterface> CreateInstance() const override {
    Ref<T> obj = New<T>();
    return Ref<IInterface>(static_cast<IBusinessObject*>(obj.get()));
  }
};

// ---- Property tables -------------------------------------------------------------------------
namespace prop_detail {

template <class M>
struct MemberTraits;
template <class C, class F>
struct MemberTraits<F C::*> {
  using Class = C;
  using Field = F;
};

template <class F>
inline constexpr bool kIsRef = false;
template <class I>
inline constexpr bool kIsRef<Ref<I>> = true;

template <auto Member>
PropAccess MakeAccess(bool writable) {
  using Traits = MemberTraits<decltype(Member)>;
  using C = typename Traits::Class;
  using F = typename Traits::Field;
  PropAccess a;
  auto self = [](const TBusinessObject& o) -> const C& { return static_cast<const C&>(o); };
  auto mut = [](TBusinessObject& o) -> C& { return static_cast<C&>(o); };
  (void)self;
  (void)mut;
  if constexpr (std::is_same_v<F, std::string>) {
    a.getStr = [](const TBusinessObject& o) { return static_cast<const C&>(o).*Member; };
    if (writable) a.setStr = [](TBusinessObject& o, const std::string& v) { static_cast<C&>(o).*Member = v; };
  } else if constexpr (std::is_floating_point_v<F>) {
    a.getFlt = [](const TBusinessObject& o) { return static_cast<double>(static_cast<const C&>(o).*Member); };
    if (writable) a.setFlt = [](TBusinessObject& o, double v) { static_cast<C&>(o).*Member = static_cast<F>(v); };
  } else if constexpr (std::is_integral_v<F> || std::is_enum_v<F>) {
    a.getOrd = [](const TBusinessObject& o) { return static_cast<int64_t>(static_cast<const C&>(o).*Member); };
    if (writable) a.setOrd = [](TBusinessObject& o, int64_t v) { static_cast<C&>(o).*Member = static_cast<F>(v); };
  } else if constexpr (kIsRef<F>) {
    // Object- or interface-typed: Ref<T> of a business class, or Ref<I> of an interface.
    using Held = std::remove_pointer_t<decltype(std::declval<F>().get())>;
    if constexpr (std::is_base_of_v<TBusinessObject, Held>) {
      a.getObj = [](const TBusinessObject& o) -> TBusinessObject* { return (static_cast<const C&>(o).*Member).get(); };
    } else {
      a.getIntf = [](const TBusinessObject& o) -> IBusinessObject* {
        auto* p = (static_cast<const C&>(o).*Member).get();
        if (!p) return nullptr;
        void* out = nullptr;
        if (p->QueryInterface(IBusinessObject::kIid, &out) != kOk || !out) return nullptr;
        auto* bo = static_cast<IBusinessObject*>(out);
        bo->Release();  // the field keeps the object alive; hand out a borrowed pointer
        return bo;
      };
    }
  } else {
    static_assert(sizeof(F) == 0, "unsupported published field type");
  }
  return a;
}

}  // namespace prop_detail

// A published field: Prop<&TFoo::xm>("xm", types::String). ReadOnlyProp has no setter.
template <auto Member>
PropInfo Prop(std::string_view name, const TypeInfo& type) {
  return PropInfo{name, &type, prop_detail::MakeAccess<Member>(true)};
}
template <auto Member>
PropInfo ReadOnlyProp(std::string_view name, const TypeInfo& type) {
  return PropInfo{name, &type, prop_detail::MakeAccess<Member>(false)};
}

// Builds a class's table: the base class's properties, then its own.
std::vector<PropInfo> JoinProps(std::span<const PropInfo> base, std::initializer_list<PropInfo> own);

}  // namespace velmor

// Declares the class name and published properties of a business class:
//   class TFoo : public TBusinessObject {
//    public:
//     std::string xm; int32_t nl = 0;
//     VELMOR_PUBLISHED(TFoo, TBusinessObject, Prop<&TFoo::xm>("xm", types::String),
//                      Prop<&TFoo::nl>("nl", types::Integer))
//   };
#define VELMOR_PUBLISHED(Class, Base, ...)                                                         \
  static constexpr std::string_view kClassName = #Class;                                          \
  std::string_view ClassName() const override { return kClassName; }                             \
  static std::span<const ::velmor::PropInfo> ClassProperties() {                                   \
    static const std::vector<::velmor::PropInfo> table =                                           \
        ::velmor::JoinProps(Base::ClassProperties(), {__VA_ARGS__});                               \
    return table;                                                                                  \
  }                                                                                                \
  std::span<const ::velmor::PropInfo> PublishedProperties() const override { return ClassProperties(); }
