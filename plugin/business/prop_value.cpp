#include "business/prop_value.h"

#include <cmath>

#include "business/business_object.h"
#include "business/date_parser.h"
#include "business/date_time.h"
#include "business/number_text.h"
#include "velmor/exceptions.h"
#include "velmor/platform.h"

namespace velmor {
namespace {

// The fixed formats use '-' and ':' whatever the locale says.
const FormatSettings& FixedFormat() {
  static const FormatSettings fs = [] {
    FormatSettings s;
    s.dateSeparator = '-';
    s.timeSeparator = ':';
    s.decimalSeparator = '.';
    return s;
  }();
  return fs;
}

bool IsDateKind(const TypeInfo& t) {
  const int32_t k = PropKindOf(t);
  return k == kPropDate || k == kPropTime || k == kPropDateTime;
}

void CheckRange(const TypeInfo& t, int64_t v) {
  if (v < t.minValue || v > t.maxValue) throw ERangeError("Range check error");
}

int64_t IntegerFromText(const TypeInfo& t, const std::string& text) {
  int64_t v = 0;
  bool overflow = false;
  if (!ParseInteger(text, v, overflow)) throw EConvertError("'" + text + "' is not a valid integer value");
  if (overflow) throw ERangeError("Range check error");
  CheckRange(t, v);
  return v;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// ---- Characters ------------------------------------------------------------------------------
std::string CharText(int64_t code) {
  if (code <= 0) return {};
  if (code <= 0xFFFF) return platform::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(code)));
  return {};
}

bool IsSurrogate(int64_t code) { return code >= 0xD800 && code <= 0xDFFF; }

// One character (its code), or a number (the code, range-checked), or empty (code 0). Half a
// surrogate pair is no character: it could not be read back as text.
int64_t CharFromText(const TypeInfo& t, const std::string& text) {
  if (text.empty()) return 0;
  const std::u16string units = platform::Utf8ToUtf16(text);
  const bool valid = platform::Utf16ToUtf8(units) == text;  // no malformed UTF-8
  int64_t code = -1;
  if (valid && units.size() == 1) {
    code = units[0];
  } else if (valid && units.size() == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF) {
    code = 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00);
  } else if (AllDigits(text)) {
    code = IntegerFromText(t, text);
    if (IsSurrogate(code)) throw EConvertError("'" + text + "' is not a valid character");
    return code;
  } else {
    throw EConvertError("'" + text + "' is not a valid character");
  }
  CheckRange(t, code);
  return code;
}

// ---- Enumerations and sets -------------------------------------------------------------------
std::string EnumName(const TypeInfo& t, int64_t ord) {
  if (ord >= t.minValue && ord <= t.maxValue) {
    const uint64_t i = static_cast<uint64_t>(ord - t.minValue);
    if (i < t.names.size()) return std::string(t.names[i]);
  }
  return std::to_string(ord);
}

bool EnumValue(const TypeInfo& t, std::string_view text, int64_t& ord) {
  for (size_t i = 0; i < t.names.size(); ++i) {
    if (SameText(t.names[i], text)) {
      ord = t.minValue + static_cast<int64_t>(i);
      return true;
    }
  }
  return false;
}

int64_t EnumFromText(const TypeInfo& t, const std::string& text) {
  if (IsBooleanType(t)) {
    if (text == "1" || SameText(text, "TRUE")) return 1;
    if (text == "0" || SameText(text, "FALSE")) return 0;
  } else if (IsTriStateType(t)) {
    int64_t v = -2;
    if (SameText(text, "ALL")) v = tsAll;
    else if (SameText(text, "NO")) v = tsNo;
    else if (SameText(text, "YES")) v = tsYes;
    if (v != -2) {
      CheckRange(t, v);
      return v;
    }
  }
  int64_t ord = 0;
  if (EnumValue(t, text, ord)) return ord;
  int64_t number = 0;
  bool overflow = false;
  if (ParseInteger(text, number, overflow)) {
    if (overflow) throw ERangeError("Range check error");
    CheckRange(t, number);
    return number;
  }
  throw EPropertyConvertError("Invalid property element: " + text);
}

std::string SetText(const TypeInfo& t, int64_t mask) {
  if (!t.element) return {};
  std::string out;
  const uint64_t bits = static_cast<uint64_t>(mask);
  for (int i = 0; i < 64; ++i) {
    if (!(bits >> i & 1)) continue;
    if (!out.empty()) out += ',';
    out += EnumName(*t.element, t.element->minValue + i);
  }
  return out;
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// "a,b" or "[a,b]": identifiers (or ordinals) of the element type.
int64_t SetFromText(const TypeInfo& t, const std::string& text) {
  if (!t.element) throw EPropertyConvertError("Invalid property element: " + text);
  const TypeInfo& e = *t.element;
  std::string_view s = TrimView(text);
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') s = TrimView(s.substr(1, s.size() - 2));
  uint64_t mask = 0;
  while (!s.empty()) {
    const size_t comma = s.find(',');
    const std::string item(TrimView(s.substr(0, comma)));
    s = comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1);
    int64_t ord = 0;
    bool overflow = false;
    if (!EnumValue(e, item, ord) && !(ParseInteger(item, ord, overflow) && !overflow))
      throw EPropertyConvertError("Invalid property element: " + item);
    if (ord < e.minValue || ord > e.maxValue || ord - e.minValue >= 64)
      throw EPropertyConvertError("Invalid property element: " + item);
    mask |= uint64_t{1} << (ord - e.minValue);
  }
  return static_cast<int64_t>(mask);
}

// ---- Floats ----------------------------------------------------------------------------------
double AmountFromText(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  static constexpr std::string_view kYen = "￥";
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ',') continue;
    if (text.compare(i, kYen.size(), kYen) == 0) {
      i += kYen.size() - 1;
      continue;
    }
    s += text[i];
  }
  std::string_view trimmed = TrimView(s);
  return ParseCurrency(trimmed.empty() ? std::string_view("0.0") : trimmed);
}

// The SetPropText rules, raising the raw errors.
PropValue FromText(const TypeInfo& t, const std::string& text) {
  switch (t.kind) {
    case TypeKind::Integer:
    case TypeKind::Int64: return PropValue::Ord(IntegerFromText(t, text));
    case TypeKind::Char:
    case TypeKind::WChar: return PropValue::Ord(CharFromText(t, text));
    case TypeKind::String:
    case TypeKind::LString:
    case TypeKind::WString: return PropValue::Str(text);
    case TypeKind::Enumeration: return PropValue::Ord(EnumFromText(t, text));
    case TypeKind::Float: return PropValue::Flt(IsDateKind(t) ? ParseDateText(text) : AmountFromText(text));
    default: return {};
  }
}

std::string AssignmentMessage(std::string_view target, std::string_view text, std::string_view label) {
  std::string m = "给[";
  m.append(target).append("]属性赋值异常，[").append(text).append("]不是正确的").append(label).append("数据格式。");
  return m;
}

template <class F>
PropValue Guarded(std::string_view className, const PropInfo& prop, std::string_view shown, F&& convert) {
  try {
    return convert();
  } catch (...) {
    std::string target(className);
    target.append(".").append(prop.name);
    const std::string_view label = KindLabelOf(*prop.type);
    try {
      throw;
    } catch (const ERangeError&) {
      std::string m = "给[";
      m.append(target).append("]属性赋值异常，[").append(shown).append("]数据过大或者过小。");
      throw ERangeError(m);
    } catch (const EPropertyConvertError&) {
      throw EPropertyConvertError(AssignmentMessage(target, shown, label));
    } catch (const EConvertError&) {
      throw EConvertError(AssignmentMessage(target, shown, label));
    } catch (...) {
      throw Exception(AssignmentMessage(target, shown, label));
    }
  }
}

int64_t RoundToOrdinal(const TypeInfo& t, double v) {
  if (!std::isfinite(v)) throw EConvertError("Invalid floating point operation");
  const double r = std::round(v);
  if (r < -9.2e18 || r > 9.2e18) throw ERangeError("Range check error");
  const int64_t ord = static_cast<int64_t>(r);
  CheckRange(t, ord);
  return ord;
}

}  // namespace

std::string ReadPropText(const TBusinessObject& obj, const PropInfo& prop) {
  const TypeInfo& t = *prop.type;
  const PropAccess& a = prop.access;
  switch (t.kind) {
    case TypeKind::Integer:
    case TypeKind::Int64: return a.getOrd ? std::to_string(a.getOrd(obj)) : std::string();
    case TypeKind::Char:
    case TypeKind::WChar: return a.getOrd ? CharText(a.getOrd(obj)) : std::string();
    case TypeKind::String:
    case TypeKind::LString:
    case TypeKind::WString: return a.getStr ? a.getStr(obj) : std::string();
    case TypeKind::Enumeration:
      if (!a.getOrd) return {};
      if (IsBooleanType(t)) return a.getOrd(obj) != 0 ? "1" : "0";
      return EnumName(t, a.getOrd(obj));
    case TypeKind::Float: {
      if (!a.getFlt) return {};
      const double v = a.getFlt(obj);
      switch (PropKindOf(t)) {
        case kPropDateTime: return FormatDateTime("yyyy-MM-dd hh:mm:ss", v, FixedFormat());
        case kPropDate: return FormatDateTime("yyyy-MM-dd", v, FixedFormat());
        case kPropTime: return FormatDateTime("hh:mm:ss", v, FixedFormat());
        default: return FormatAmount(v);
      }
    }
    case TypeKind::Set: return a.getOrd ? SetText(t, a.getOrd(obj)) : std::string();
    default: return {};
  }
}

PropValue ConvertPropText(std::string_view className, const PropInfo& prop, const std::string& text) {
  return Guarded(className, prop, text, [&] { return FromText(*prop.type, text); });
}

PropValue ConvertForeignText(std::string_view className, const PropInfo& prop, const std::string& text) {
  return Guarded(className, prop, text, [&] {
    return prop.type->kind == TypeKind::Set ? PropValue::Ord(SetFromText(*prop.type, text))
                                            : FromText(*prop.type, text);
  });
}

PropValue ConvertPropValue(std::string_view className, const PropInfo& prop, const TBusinessObject& source,
                           const PropInfo& from) {
  const TypeInfo& st = *from.type;
  const TypeInfo& t = *prop.type;
  const PropAccess& sa = from.access;
  // The source value the classic way (strings preferred for enumerations and sets).
  PropValue v;
  if ((st.kind == TypeKind::Integer || st.kind == TypeKind::Int64) && sa.getOrd) {
    v = PropValue::Ord(sa.getOrd(source));
  } else if (st.kind == TypeKind::Enumeration && sa.getOrd) {
    v = PropValue::Str(EnumName(st, sa.getOrd(source)));
  } else if (st.kind == TypeKind::Float && sa.getFlt) {
    v = PropValue::Flt(sa.getFlt(source));
  } else if (IsTextKind(st.kind) || st.kind == TypeKind::Set) {
    if (!from.HasGetter()) return {};
    v = PropValue::Str(ReadPropText(source, from));
  } else {
    return {};
  }
  const std::string shown = v.tag == PropValue::Tag::Str ? v.str : ReadPropText(source, from);
  return Guarded(className, prop, shown, [&]() -> PropValue {
    switch (t.kind) {
      case TypeKind::Integer:
      case TypeKind::Int64:
      case TypeKind::Char:
      case TypeKind::WChar:
      case TypeKind::Enumeration:
        if (v.tag == PropValue::Tag::Ord) {
          CheckRange(t, v.ord);
          return v;
        }
        if (v.tag == PropValue::Tag::Flt && !IsTextKind(t.kind)) return PropValue::Ord(RoundToOrdinal(t, v.flt));
        return FromText(t, shown);
      case TypeKind::String:
      case TypeKind::LString:
      case TypeKind::WString: return PropValue::Str(shown);
      case TypeKind::Set:
        if (v.tag == PropValue::Tag::Str && st.kind == TypeKind::Set && st.element == t.element && sa.getOrd)
          return PropValue::Ord(sa.getOrd(source));  // the same element type: the mask as it is
        return PropValue::Ord(SetFromText(t, shown));
      case TypeKind::Float:
        if (v.tag == PropValue::Tag::Flt) return v;
        if (v.tag == PropValue::Tag::Ord) return PropValue::Flt(static_cast<double>(v.ord));
        return FromText(t, shown);
      default: return {};
    }
  });
}

void StorePropValue(TBusinessObject& obj, const PropInfo& prop, const PropValue& value) {
  const PropAccess& a = prop.access;
  switch (value.tag) {
    case PropValue::Tag::Ord:
      if (a.setOrd) a.setOrd(obj, value.ord);
      break;
    case PropValue::Tag::Flt:
      if (a.setFlt) a.setFlt(obj, value.flt);
      break;
    case PropValue::Tag::Str:
      if (a.setStr) a.setStr(obj, value.str);
      break;
    case PropValue::Tag::None: break;
  }
}

void ClearPropValue(TBusinessObject& obj, const PropInfo& prop) {
  if (!prop.HasSetter()) return;
  const TypeInfo& t = *prop.type;
  switch (t.kind) {
    case TypeKind::Integer:
    case TypeKind::Int64:
    case TypeKind::Char:
    case TypeKind::WChar:
    case TypeKind::Set: StorePropValue(obj, prop, PropValue::Ord(0)); break;
    case TypeKind::String:
    case TypeKind::LString:
    case TypeKind::WString: StorePropValue(obj, prop, PropValue::Str({})); break;
    case TypeKind::Enumeration:
      if (IsBooleanType(t)) StorePropValue(obj, prop, PropValue::Ord(0));
      else if (IsTriStateType(t)) StorePropValue(obj, prop, PropValue::Ord(tsAll));
      break;
    case TypeKind::Float:
      StorePropValue(obj, prop, PropValue::Flt(IsDateKind(t) ? kMinDateTime : 0.0));
      break;
    default: break;
  }
}

}  // namespace velmor
