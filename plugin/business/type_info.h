// Type information of published properties: what the classic runtime derives from a class's
// published section, declared here by each business class as a static property table.
//
// TypeInfo objects are static constants (the predefined ones below, or ones a class defines with
// EnumType/SubrangeType/SetType/FloatType); PropInfo entries point at them, so a TypeInfo must
// outlive every table that names it (declare them `inline constexpr` at namespace scope).
// Everything is immutable after static initialisation and therefore safe on any thread.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "velmor/business_object.h"
#include "velmor/ref.h"

namespace velmor {

class TBusinessObject;

// Classic runtime type kinds.
enum class TypeKind : uint8_t {
  Unknown, Integer, Char, Enumeration, Float, String, Set, Class, Method,
  WChar, LString, WString, Variant, Array, Record, Interface, Int64, DynArray,
};

struct TypeInfo {
  TypeKind kind = TypeKind::Unknown;
  std::string_view name;  // "Integer", "Currency", "TDate", "Boolean", "TriState", ...
  int64_t minValue = 0;   // ordinal range (integers, chars, enumerations)
  int64_t maxValue = 0;
  // Enumeration identifiers, ordinal minValue + i for names[i].
  std::span<const std::string_view> names{};
  // Element type of a set (an enumeration or a subrange); bit i of the mask is ordinal
  // element->minValue + i.
  const TypeInfo* element = nullptr;
};

// ---- Declaring types -------------------------------------------------------------------------
// An integer subrange, e.g. `inline constexpr TypeInfo TMonth = SubrangeType("TMonth", 1, 12);`.
// Writing a number outside [min, max] raises the range error.
constexpr TypeInfo SubrangeType(std::string_view name, int64_t min, int64_t max,
                                TypeKind kind = TypeKind::Integer) {
  return TypeInfo{kind, name, min, max, {}, nullptr};
}
// An enumeration whose identifiers are names[0..n) with ordinals first..first+n-1:
//   inline constexpr std::string_view kSexNames[] = {"sxMale", "sxFemale"};
//   inline constexpr TypeInfo TSex = EnumType("TSex", kSexNames);
constexpr TypeInfo EnumType(std::string_view name, std::span<const std::string_view> names,
                            int64_t first = 0) {
  return TypeInfo{TypeKind::Enumeration, name, first,
                  first + static_cast<int64_t>(names.size()) - 1, names, nullptr};
}
// A set of an enumeration or subrange of at most 64 values (stored as a bit mask field).
constexpr TypeInfo SetType(std::string_view name, const TypeInfo& element) {
  return TypeInfo{TypeKind::Set, name, 0, 0, {}, &element};
}
// A floating type under its own name (the name decides date, time, currency or plain float).
constexpr TypeInfo FloatType(std::string_view name) {
  return TypeInfo{TypeKind::Float, name, 0, 0, {}, nullptr};
}

// Predefined types. Floats: Single, Double, Currency, TDate, TTime, TDateTime are all stored as
// floating fields (date-times as days since 1899-12-30, the classic TDateTime, see date_time.h).
namespace types {
extern const TypeInfo Integer, SmallInt, ShortInt, Byte, Word, Cardinal, Int64;
extern const TypeInfo Char, WideChar, String, WideString;
extern const TypeInfo Single, Double, Currency, Date, Time, DateTime;
extern const TypeInfo Boolean, TriState;  // TriState: ALL = -1, NO = 0, YES = 1
extern const TypeInfo Object, Interface, Method, Variant, Record, Array, DynArray;
}  // namespace types

// TRISTATE values; their identifiers are "tsAll", "tsNo", "tsYes".
enum TriState : int32_t { tsAll = -1, tsNo = 0, tsYes = 1 };

// ---- Classification --------------------------------------------------------------------------
// The kind code GetPropKind returns (PropKindCode of velmor/business_object.h); type names
// compare without regard to case. Never 7.
int32_t PropKindOf(const TypeInfo& type);
// The label of the assignment-error messages ("整型", "文本", "枚举", "布尔", "三态", "日期/时间",
// "日期", "时间", "金额"); sets take "枚举", kinds that are never written an empty label.
std::string_view KindLabelOf(const TypeInfo& type);
bool IsBooleanType(const TypeInfo& type);   // an enumeration named BOOLEAN
bool IsTriStateType(const TypeInfo& type);  // an enumeration named TRISTATE
bool IsTextKind(TypeKind kind);             // Char, WChar, String, LString, WString
// ASCII comparison without regard to case (property and type names are ASCII).
bool SameText(std::string_view a, std::string_view b);

// Accessors of one property, type-erased over the owning class. A null getter or setter means
// the property cannot be read or written. Only the pair matching the property's field is set:
// ordinals (integers, chars, enumerations, Boolean, sets as bit masks) use ord, floats use flt,
// text kinds use str, object- and interface-typed properties use obj / intf (getters only).
struct PropAccess {
  int64_t (*getOrd)(const TBusinessObject&) = nullptr;
  void (*setOrd)(TBusinessObject&, int64_t) = nullptr;
  double (*getFlt)(const TBusinessObject&) = nullptr;
  void (*setFlt)(TBusinessObject&, double) = nullptr;
  std::string (*getStr)(const TBusinessObject&) = nullptr;
  void (*setStr)(TBusinessObject&, const std::string&) = nullptr;
  // The held object, borrowed (the field keeps it alive); null when the field is empty.
  TBusinessObject* (*getObj)(const TBusinessObject&) = nullptr;
  // The held interface asked for IBusinessObject; empty when the field is empty or lacks it.
  Ref<IBusinessObject> (*getIntf)(const TBusinessObject&) = nullptr;
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
