// TBusinessObject: base class of every service object and business record of the plug-in.
//
// A business class publishes fields through a static property table (VELMOR_PUBLISHED below),
// listing the base class's properties first, like the classic runtime's type information. The
// base class implements IBusinessObject over that table: kinds, text formats, the date parser,
// the assignment-error messages, Clear, Assign and dotted paths.
//
// Reference counting: `new T(...)` starts at 1 and AfterConstruction (called by New/Construct
// once the most-derived constructor has finished) brings it back to 0, so a constructor may
// hand out and drop references to itself without destroying the object. New<T>() returns the
// first Ref (count 1) and the last release destroys the object. Create objects with New<T> or
// Construct<T> only: `Ref<T>(new T)` would never reach 0. Destroying an object whose count is
// not 0 is an invalid pointer operation; a destructor cannot throw, so it is reported to the
// debug output and the host debugger instead. Counts are atomic; everything else is used by one
// thread at a time.
//
// Implementing further interfaces: derive from Implements<Base, IFoo, IBar> (records) or
// ServiceImpl<Base, IFooService> (managers and stores, whose interfaces start with the
// last-error operations); both route QueryInterface/AddRef/Release and, for interfaces that
// extend IBusinessObject, its sixteen operations to the business object.
#pragma once

#include <atomic>
#include <initializer_list>
#include <limits>
#include <span>
#include <stdexcept>
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

  // Create: the property list of the object's own class (taken on first use, because virtual
  // calls do not reach the derived class inside a constructor). OwnsPropList is true.
  TBusinessObject();
  // Create(propList, propCount): uses the given list as is (the caller keeps it alive for the
  // object's life; OwnsPropList is false); an empty span behaves like the default constructor.
  explicit TBusinessObject(std::span<const PropInfo> propList);
  virtual ~TBusinessObject();
  TBusinessObject(const TBusinessObject&) = delete;
  TBusinessObject& operator=(const TBusinessObject&) = delete;

  // IInterface: answers IInterface and IBusinessObject.
  HResult QueryInterface(const Guid& iid, void** out) override;
  int32_t AddRef() override;
  int32_t Release() override;

  // IBusinessObject (all virtual, so a derived class may override). Reads of a bad index or an
  // unknown name give -1 / empty; SetPropText with a bad index raises EListError.
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
  void* GetObject() override;  // this object, as a TBusinessObject*
  // Copies every readable, non-object property of the same name from source; all or nothing:
  // when one value does not fit, it raises the assignment error and changes nothing.
  void Assign(IBusinessObject* source) override;
  void Clear() override;
  bool HasProperty(const std::string& name) override;
  int32_t IndexOfProperty(const std::string& name) override;

  // The class name used in messages ("TEmployeeItem.xm"); VELMOR_PUBLISHED overrides it.
  virtual std::string_view ClassName() const { return kClassName; }
  // The static property table of the object's class; VELMOR_PUBLISHED overrides it.
  virtual std::span<const PropInfo> PublishedProperties() const { return {}; }
  static std::span<const PropInfo> ClassProperties() { return {}; }

  // When set, every count change writes "对象[%s]的引用计数[%d]加1，现在为[%d]" (or 减1) to the
  // host debugger. False after construction.
  void SetTraceRefCount(bool on) { trace_ref_count_.store(on, std::memory_order_relaxed); }
  bool TraceRefCount() const { return trace_ref_count_.load(std::memory_order_relaxed); }
  bool OwnsPropList() const { return owns_prop_list_; }

  // The classic "after construction" decrement, 1 to 0; New<T>/Construct<T> call it once the
  // most-derived constructor has finished. Call it exactly once.
  void AfterConstruction();

 protected:
  // The property list in use (the given one, or the class's table fetched on first use).
  std::span<const PropInfo> Props() const;

 private:
  const PropInfo* PropAt(int32_t index) const;  // null when out of range

  bool owns_prop_list_ = true;
  std::atomic<int32_t> ref_count_{1};
  mutable std::span<const PropInfo> prop_list_{};
  mutable bool prop_list_ready_ = false;
  std::atomic<bool> trace_ref_count_{false};
  std::string object_tag_;
  bool constructed_ = false;                 // AfterConstruction has run
  std::string_view class_name_ = kClassName;  // the most-derived name, for the destructor's report
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

// The classic Create: a new object that nobody holds yet (count 0). Hand it to a Ref at once.
template <class T, class... Args>
T* Construct(Args&&... args) {
  T* p = new T(std::forward<Args>(args)...);
  p->AfterConstruction();
  return p;
}

// Creates a business object and returns its first reference (count 1).
template <class T, class... Args>
Ref<T> New(Args&&... args) {
  return Ref<T>(Construct<T>(std::forward<Args>(args)...));
}

// ---- Implementing more interfaces ------------------------------------------------------------
template <class Base, class... Interfaces>
class Implements : public Base, public Interfaces... {
 public:
  using Base::Base;
  // The listed interfaces, any interface they name as `Base`, then what Base answers.
  HResult QueryInterface(const Guid& iid, void** out) override {
    if (out && (TryOne<Interfaces>(iid, out) || ...)) {
      this->AddRef();
      return kOk;
    }
    return Base::QueryInterface(iid, out);
  }
  int32_t AddRef() override { return Base::AddRef(); }
  int32_t Release() override { return Base::Release(); }

  // An interface that extends IBusinessObject brings a second copy of its slots; these
  // overriders route both copies to the business object (and keep names unambiguous).
  std::string GetObjectTag() override { return Base::GetObjectTag(); }
  int32_t GetRefCount() override { return Base::GetRefCount(); }
  int32_t GetPropKind(int32_t index) override { return Base::GetPropKind(index); }
  int32_t GetPropKindByName(const std::string& name) override { return Base::GetPropKindByName(name); }
  int32_t GetPropCount() override { return Base::GetPropCount(); }
  std::string GetPropName(int32_t index) override { return Base::GetPropName(index); }
  std::string GetPropText(int32_t index) override { return Base::GetPropText(index); }
  std::string GetPropTextByName(const std::string& name) override { return Base::GetPropTextByName(name); }
  void SetObjectTag(const std::string& tag) override { Base::SetObjectTag(tag); }
  void SetPropText(int32_t index, const std::string& text) override { Base::SetPropText(index, text); }
  void SetPropTextByName(const std::string& name, const std::string& text) override {
    Base::SetPropTextByName(name, text);
  }
  void* GetObject() override { return Base::GetObject(); }
  void Assign(IBusinessObject* source) override { Base::Assign(source); }
  void Clear() override { Base::Clear(); }
  bool HasProperty(const std::string& name) override { return Base::HasProperty(name); }
  int32_t IndexOfProperty(const std::string& name) override { return Base::IndexOfProperty(name); }

 private:
  template <class I>
  bool TryOne(const Guid& iid, void** out) {
    if (iid == I::kIid) {
      *out = static_cast<I*>(this);
      return true;
    }
    if constexpr (requires { typename I::Base; }) {
      if (iid == I::Base::kIid) {
        *out = static_cast<typename I::Base*>(static_cast<I*>(this));
        return true;
      }
    }
    return false;
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
    // Through TBusinessObject: T may reach IInterface along several interface paths.
    auto* base = static_cast<TBusinessObject*>(obj.get());
    return Ref<IInterface>(static_cast<IInterface*>(static_cast<IBusinessObject*>(base)));
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
  static_assert(std::is_base_of_v<TBusinessObject, C>, "published fields belong to business classes");
  PropAccess a;
  if constexpr (std::is_same_v<F, std::string>) {
    a.getStr = [](const TBusinessObject& o) { return static_cast<const C&>(o).*Member; };
    if (writable) a.setStr = [](TBusinessObject& o, const std::string& v) { static_cast<C&>(o).*Member = v; };
  } else if constexpr (std::is_floating_point_v<F>) {
    a.getFlt = [](const TBusinessObject& o) { return static_cast<double>(static_cast<const C&>(o).*Member); };
    if (writable) a.setFlt = [](TBusinessObject& o, double v) { static_cast<C&>(o).*Member = static_cast<F>(v); };
  } else if constexpr (std::is_same_v<F, char>) {
    // A plain char holds a character code 0..255 whatever the platform's char signedness.
    a.getOrd = [](const TBusinessObject& o) {
      return static_cast<int64_t>(static_cast<unsigned char>(static_cast<const C&>(o).*Member));
    };
    if (writable) a.setOrd = [](TBusinessObject& o, int64_t v) { static_cast<C&>(o).*Member = static_cast<char>(v); };
  } else if constexpr (std::is_integral_v<F> || std::is_enum_v<F>) {
    a.getOrd = [](const TBusinessObject& o) { return static_cast<int64_t>(static_cast<const C&>(o).*Member); };
    if (writable) a.setOrd = [](TBusinessObject& o, int64_t v) { static_cast<C&>(o).*Member = static_cast<F>(v); };
  } else if constexpr (kIsRef<F>) {
    // Object- or interface-typed: Ref<T> of a business class, or Ref<I> of an interface.
    using Held = std::remove_pointer_t<decltype(std::declval<F>().get())>;
    if constexpr (std::is_base_of_v<TBusinessObject, Held>) {
      a.getObj = [](const TBusinessObject& o) -> TBusinessObject* { return (static_cast<const C&>(o).*Member).get(); };
    } else {
      a.getIntf = [](const TBusinessObject& o) -> Ref<IBusinessObject> {
        return Query<IBusinessObject>((static_cast<const C&>(o).*Member).get());
      };
    }
  } else {
    static_assert(sizeof(F) == 0, "unsupported published field type");
  }
  return a;
}

// An ordinal type whose range does not fit the field would be truncated on store: refuse the
// table (std::logic_error on the class's first use) instead.
template <auto Member>
void CheckFieldRange(std::string_view name, const TypeInfo& type) {
  using Field = typename MemberTraits<decltype(Member)>::Field;
  using F = std::conditional_t<std::is_same_v<Field, char>, unsigned char, Field>;  // as MakeAccess reads it
  if constexpr (std::is_integral_v<F> || std::is_enum_v<F>) {
    using U = typename std::conditional_t<std::is_enum_v<F>, std::underlying_type<F>, std::type_identity<F>>::type;
    using L = std::numeric_limits<U>;
    constexpr int64_t kLo = std::is_signed_v<U> ? static_cast<int64_t>(L::min()) : 0;
    constexpr int64_t kHi = static_cast<uint64_t>(L::max()) > static_cast<uint64_t>(INT64_MAX)
                                ? INT64_MAX
                                : static_cast<int64_t>(L::max());
    bool fits = true;
    switch (type.kind) {
      case TypeKind::Integer: case TypeKind::Int64: case TypeKind::Char: case TypeKind::WChar:
      case TypeKind::Enumeration:
        fits = type.minValue >= kLo && type.maxValue <= kHi;
        break;
      case TypeKind::Set:
        fits = type.element && type.element->maxValue - type.element->minValue < L::digits + (std::is_signed_v<U> ? 1 : 0);
        break;
      default:
        break;
    }
    if (!fits)
      throw std::logic_error("published field " + std::string(name) + " is too narrow for type " +
                             std::string(type.name));
  }
}

}  // namespace prop_detail

// A published field: Prop<&TFoo::xm>("xm", types::String). ReadOnlyProp has no setter.
// Field types: std::string (text kinds), floating (floats, dates, currency), integral or enum
// (integers, chars, enumerations, Boolean, set masks), Ref<TBusinessClass> (object-typed),
// Ref<IInterface-derived> (interface-typed).
template <auto Member>
PropInfo Prop(std::string_view name, const TypeInfo& type) {
  prop_detail::CheckFieldRange<Member>(name, type);
  return PropInfo{name, &type, prop_detail::MakeAccess<Member>(true)};
}
template <auto Member>
PropInfo ReadOnlyProp(std::string_view name, const TypeInfo& type) {
  prop_detail::CheckFieldRange<Member>(name, type);
  return PropInfo{name, &type, prop_detail::MakeAccess<Member>(false)};
}
// A property that only declares its name and kind (methods, variants, records, arrays): it has
// neither getter nor setter, reads as empty text and is never written.
inline PropInfo DeclaredProp(std::string_view name, const TypeInfo& type) { return PropInfo{name, &type, {}}; }

// Builds a class's table: the base class's properties, then its own.
std::vector<PropInfo> JoinProps(std::span<const PropInfo> base, std::initializer_list<PropInfo> own);

}  // namespace velmor

// Declares the class name and published properties of a business class (a class without
// properties of its own still writes VELMOR_PUBLISHED(TFoo, Base) for its name):
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
