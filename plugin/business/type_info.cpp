// The predefined types and the classification of types into kind codes and message labels.
#include "business/type_info.h"

#include <cstdint>

namespace velmor {
namespace {
constexpr std::string_view kBooleanNames[] = {"False", "True"};
constexpr std::string_view kTriStateNames[] = {"tsAll", "tsNo", "tsYes"};
}  // namespace

namespace types {
// All constant-initialised, so tables built during other units' static initialisation may
// point at them safely.
constinit const TypeInfo Integer = SubrangeType("Integer", INT32_MIN, INT32_MAX);
constinit const TypeInfo SmallInt = SubrangeType("SmallInt", INT16_MIN, INT16_MAX);
constinit const TypeInfo ShortInt = SubrangeType("ShortInt", INT8_MIN, INT8_MAX);
constinit const TypeInfo Byte = SubrangeType("Byte", 0, UINT8_MAX);
constinit const TypeInfo Word = SubrangeType("Word", 0, UINT16_MAX);
constinit const TypeInfo Cardinal = SubrangeType("Cardinal", 0, UINT32_MAX);
constinit const TypeInfo Int64 = SubrangeType("Int64", INT64_MIN, INT64_MAX, TypeKind::Int64);
constinit const TypeInfo Char = SubrangeType("Char", 0, UINT8_MAX, TypeKind::Char);
constinit const TypeInfo WideChar = SubrangeType("WideChar", 0, UINT16_MAX, TypeKind::WChar);
constinit const TypeInfo String{TypeKind::LString, "String"};
constinit const TypeInfo WideString{TypeKind::WString, "WideString"};
constinit const TypeInfo Single = FloatType("Single");
constinit const TypeInfo Double = FloatType("Double");
constinit const TypeInfo Currency = FloatType("Currency");
constinit const TypeInfo Date = FloatType("TDate");
constinit const TypeInfo Time = FloatType("TTime");
constinit const TypeInfo DateTime = FloatType("TDateTime");
constinit const TypeInfo Boolean = EnumType("Boolean", kBooleanNames);
constinit const TypeInfo TriState = EnumType("TriState", kTriStateNames, -1);
constinit const TypeInfo Object{TypeKind::Class, "TObject"};
constinit const TypeInfo Interface{TypeKind::Interface, "IInterface"};
constinit const TypeInfo Method{TypeKind::Method, "TMethod"};
constinit const TypeInfo Variant{TypeKind::Variant, "Variant"};
constinit const TypeInfo Record{TypeKind::Record, "TRecord"};
constinit const TypeInfo Array{TypeKind::Array, "TArray"};
constinit const TypeInfo DynArray{TypeKind::DynArray, "TDynArray"};
}  // namespace types

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool IsBooleanType(const TypeInfo& type) {
  return type.kind == TypeKind::Enumeration && SameText(type.name, "BOOLEAN");
}

bool IsTriStateType(const TypeInfo& type) {
  return type.kind == TypeKind::Enumeration && SameText(type.name, "TRISTATE");
}

bool IsTextKind(TypeKind kind) {
  return kind == TypeKind::Char || kind == TypeKind::WChar || kind == TypeKind::String ||
         kind == TypeKind::LString || kind == TypeKind::WString;
}

int32_t PropKindOf(const TypeInfo& type) {
  switch (type.kind) {
    case TypeKind::Integer: return kPropInteger;
    case TypeKind::Char:
    case TypeKind::WChar:
    case TypeKind::String:
    case TypeKind::LString:
    case TypeKind::WString: return kPropText;
    case TypeKind::Float:
      if (SameText(type.name, "Currency")) return kPropCurrency;
      if (SameText(type.name, "TDate")) return kPropDate;
      if (SameText(type.name, "TTime")) return kPropTime;
      if (SameText(type.name, "TDateTime")) return kPropDateTime;
      return kPropFloat;
    case TypeKind::Enumeration: return kPropEnumeration;
    case TypeKind::Set: return kPropSet;
    case TypeKind::Class: return kPropObject;
    case TypeKind::Method: return kPropMethod;
    case TypeKind::Array: return kPropArray;
    case TypeKind::Variant: return kPropVariant;
    case TypeKind::Record: return kPropRecord;
    case TypeKind::Interface: return kPropInterface;
    case TypeKind::Int64: return kPropInt64;
    case TypeKind::DynArray: return kPropDynArray;
    case TypeKind::Unknown: break;
  }
  return kPropUnknown;
}

std::string_view KindLabelOf(const TypeInfo& type) {
  switch (type.kind) {
    case TypeKind::Integer:
    case TypeKind::Int64: return "整型";
    case TypeKind::Enumeration:
      if (IsBooleanType(type)) return "布尔";
      if (IsTriStateType(type)) return "三态";
      return "枚举";
    case TypeKind::Set: return "枚举";
    case TypeKind::Float:
      if (SameText(type.name, "TDateTime")) return "日期/时间";
      if (SameText(type.name, "TDate")) return "日期";
      if (SameText(type.name, "TTime")) return "时间";
      return "金额";
    default:
      return IsTextKind(type.kind) ? "文本" : "";
  }
}

}  // namespace velmor
