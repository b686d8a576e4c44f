// Type information of published properties: what the classic runtime derives from a class's
// published section, declared here by each business class as a static property table.
//
// TypeInfo objects are static constants (the predefined ones below, or ones a class defines with
// EnumType/SubrangeType/SetType); PropInfo entries point at them. Everything is immutable after
// static initialisation and therefore safe on any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmor {

class TBusinessObject;
class IBusinessObject;

// Classic runtime type kinds.
enum class TypeKind : uint8_t {
  Unknown, Integer, Char, Enumeration, Float, String, Set, Class, Method,
  WChar, LString, WString, Variant, Array, Record, Interface, Int64, DynArray,
};

struct TypeInfo {
  TypeKind kind = TypeKind::Unknown;
  std::string_view name;  // "Integer", "Currency", "TDate", "Boolean", "TRISTATE", ...
  int64_t minValue = 0;   // ordinal range (integers, chars, enumerations)
  int64_t maxValue = 0;
  // Enumeration identifiers, ordinal minValue + i for names[i].
  std::span<const std::string_view> names{};
  // Element type of a set (an enumeration or a subrange).
  const TypeInfo* element = nullptr;
};

// Predefined types. Floats: Double, Currency, TDate, TTime, TDateTime are all stored as double
// (date-times as days since 1899-12-30, the classic TDateTime).
namespace types {
extern const TypeInfo Integer, SmallInt, ShortInt, Byte, Word, Cardinal, Int64;
extern const TypeInfo Char, WideChar, String, WideString;
extern const TypeInfo Double, Currency, Date, Time, DateTime;
extern const TypeInfo Boolean, TriState;  // TriState: ALL = -1, NO = 0, YES = 1
extern const TypeInfo Object, Interface, Method, Variant, Record, Array, DynArray;
}  // namespace types

// TRISTATE values.
enum TriState : int32_t { tsAll = -1, tsNo = 0, tsYes = 1 };

// Accessors of one property, type-erased over the owning class. A null getter or setter means
// the property cannot be read or written. Only the pair matching the property's kind is set:
// ordinals (integers, chars, enumerations, Boolean, sets as bit masks) use ord, floats use flt,
// text kinds use str, object- and interface-typed properties use obj / intf.
struct PropAccess {
  int64_t (*getOrd)(const TBusinessObject&) = nullptr;
  void (*setOrd)(TBusinessObject&, int64_t) = nullptr;
  double (*getFlt)(const TBusinessObject&) = nullptr;
  void (*setFlt)(TBusinessObject&, double) = nullptr;
  std::string (*getStr)(const TBusinessObject&) = nullptr;
  void (*setStr)(TBusinessObject&, const std::string&) = nullptr;
  TBusinessObject* (*getObj)(const TBusinessObject&) = nullptr;
  IBusinessObject* (*getIntf)(const TBusinessObject&) = nullptr;
};

struct PropInfo {
  std::string_view name;
  const TypeInfo* type = &types::Integer;
  PropAccess access;
  bool HasGetter() const {
    return access.getOrd || access.getFlt || access.getStr || access.getObj || access.getIntf;
  }
  bool HasSetter() const { return access.setOrd || access.setFlt || access.setStr; }
};

}  // namespace velmor
