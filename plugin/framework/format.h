// Format: the module's standard format routine, printf-like over an open array of Variants.
//
// Specifiers: "%" [index ":"] ["-"] [width] ["." precision] type, with "*" for index, width or
// precision taking the next argument, and "%%" for a percent sign. Types:
//   d  integer (precision: minimum digits)          u  unsigned integer
//   x  upper-case hexadecimal (precision: digits)   s  text (precision: maximum characters)
//   f  fixed, precision decimals (default 2)        n  as f with thousands separators ","
//   e  scientific "-d.ddd...E+ddd", precision significant digits (default 15)
//   g  shortest of fixed and scientific, precision significant digits (default 15)
// Integer types take integer arguments (Integer, Int64), "s" takes text, the float types take any
// number. Width and precision count characters (UTF-8 code points), not bytes.
//
// A specifier that does not fit its argument raises velmor::EConvertError
// "Format '<format>' invalid or incompatible with argument"; too few arguments raise
// "No argument for format '<format>'". Pure functions, safe on any thread.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "velmor/variant.h"

namespace velmor {

std::string Format(std::string_view format, std::span<const Variant> args);
inline std::string Format(std::string_view format, std::initializer_list<Variant> args) {
  return Format(format, std::span<const Variant>(args.begin(), args.size()));
}

}  // namespace velmor
