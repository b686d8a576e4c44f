// The value conversions behind TBusinessObject's text operations: a property's value as text,
// text (or another object's property) converted to a property's value, storing, clearing, and
// the assignment-error messages.
//
// Conversion and storing are separate steps, so a caller can convert every value first and
// store only when all succeeded (Assign). Internal to the business model; stateless apart from
// the objects passed in; an object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "business/type_info.h"

namespace velmor {

class TBusinessObject;

// A converted value on its way into a property, in the form of its field (ordinal, float, text).
struct PropValue {
  enum class Tag { None, Ord, Flt, Str };
  Tag tag = Tag::None;
  int64_t ord = 0;
  double flt = 0;
  std::string str;

  static PropValue Ord(int64_t v) { return {Tag::Ord, v, 0, {}}; }
  static PropValue Flt(double v) { return {Tag::Flt, 0, v, {}}; }
  static PropValue Str(std::string v) { return {Tag::Str, 0, 0, std::move(v)}; }
};

// The value as text, in the fixed formats ("1"/"0", identifiers, "yyyy-MM-dd hh:mm:ss",
// "yyyy-MM-dd", "hh:mm:ss", "#0.00", set identifiers joined by ","); empty for kinds without
// a text form and for properties without getter.
std::string ReadPropText(const TBusinessObject& obj, const PropInfo& prop);

// Converts text for prop (the rules of SetPropText). On failure raises the assignment error
// of the table below, built from className + "." + prop.name, the text and the kind label:
//   range error              -> ERangeError "给[%s]属性赋值异常，[%s]数据过大或者过小。"
//   property-conversion error -> EPropertyConvertError "给[%s]属性赋值异常，[%s]不是正确的%s数据格式。"
//   conversion error         -> EConvertError, the same message
//   anything else            -> Exception, the same message
// Kinds that are never written from text give a None value.
PropValue ConvertPropText(std::string_view className, const PropInfo& prop, const std::string& text);

// Converts the value of source's property `from` for `prop` (Assign): enumerations and sets
// travel as identifiers, numbers and dates as values, the rest as text. Errors as above, the
// text being the source value's text.
PropValue ConvertPropValue(std::string_view className, const PropInfo& prop,
                           const TBusinessObject& source, const PropInfo& from);
// The same for a source known only through its text (a foreign IBusinessObject).
PropValue ConvertForeignText(std::string_view className, const PropInfo& prop, const std::string& text);

// Stores a converted value through the property's setter; None, or a value the field does not
// take, stores nothing.
void StorePropValue(TBusinessObject& obj, const PropInfo& prop, const PropValue& value);

// Clear of one property: integers 0, text and sets empty, Boolean false, tri-state ALL, other
// enumerations unchanged, dates and times 0100-01-01 00:00, other floats 0, the rest unchanged.
void ClearPropValue(TBusinessObject& obj, const PropInfo& prop);

}  // namespace velmor
