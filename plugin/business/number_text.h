// Number text of business properties: integers, currency amounts (four decimal places) and the
// fixed "#0.00" display format. Locale-independent ('.' is the decimal point, no grouping);
// pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmor {

// Decimal digits with an optional sign, surrounding blanks ignored. False when the text is no
// integer; a well-formed number beyond the 64-bit range gives true with `overflow` set.
bool ParseInteger(std::string_view text, int64_t& value, bool& overflow);

// A currency amount: [sign] digits [. digits] [e exponent], rounded half away from zero to four
// decimal places. Raises EConvertError "'text' is not a valid floating point value" for other
// text and for amounts beyond the currency range (about ±9.2e14).
double ParseCurrency(std::string_view text);

// "#0.00": at least one integer digit, exactly two decimals, no thousands separator. Rounds the
// 15-significant-digit decimal form half away from zero (so 1.005 gives "1.01"; from 1e13 up as
// many digits as the cents need, at most 17); never "-0.00"; NaN and infinities as "NAN", "INF",
// "-INF".
std::string FormatAmount(double value);

}  // namespace velmor
