#include "business/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// The digits of a decimal number d1 d2 ... (point after `point` of them) scaled by 10^decimals,
// rounded half away from zero; digits past the end count as 0, before the start too.
std::string ScaledDigits(std::string_view mantissa, int64_t point, int decimals) {
  const int64_t q = point + decimals;  // digits in the scaled integer part
  std::string out;
  for (int64_t i = 0; i < q; ++i) out += i < static_cast<int64_t>(mantissa.size()) ? mantissa[i] : '0';
  const char rounding = q >= 0 && q < static_cast<int64_t>(mantissa.size()) ? mantissa[q] : '0';
  if (out.empty()) out = "0";
  if (rounding >= '5') Increment(out);
  return out;
}

[[noreturn]] void InvalidFloat(std::string_view text) {
  throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

}  // namespace

bool ParseInteger(std::string_view text, int64_t& value, bool& overflow) {
  std::string_view s = TrimBlanks(text);
  overflow = false;
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  const uint64_t limit = negative ? uint64_t{1} << 63 : static_cast<uint64_t>(INT64_MAX);
  uint64_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    const unsigned d = static_cast<unsigned>(c - '0');
    if (v > (limit - d) / 10) overflow = true;
    if (!overflow) v = v * 10 + d;
  }
  if (overflow) return true;
  value = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

double ParseCurrency(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::string mantissa;
  int64_t point = 0;
  bool anyDigit = false;
  while (i < s.size() && IsDigit(s[i])) mantissa += s[i++], ++point, anyDigit = true;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) mantissa += s[i++], anyDigit = true;
  }
  if (!anyDigit) InvalidFloat(text);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
    if (i >= s.size() || !IsDigit(s[i])) InvalidFloat(text);
    int64_t exponent = 0;
    while (i < s.size() && IsDigit(s[i])) {
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
      ++i;
    }
    point += expNegative ? -exponent : exponent;
  }
  if (i != s.size()) InvalidFloat(text);
  // Leading zeros shift the point, so the length check below sees only significant digits.
  size_t lead = 0;
  while (lead < mantissa.size() && mantissa[lead] == '0') ++lead;
  mantissa.erase(0, lead);
  point -= static_cast<int64_t>(lead);
  if (mantissa.empty()) return 0.0;
  if (point > 15) InvalidFloat(text);  // beyond the currency range whatever the digits
  const std::string scaled = ScaledDigits(mantissa, point, 4);
  if (scaled.size() > 19) InvalidFloat(text);
  const unsigned long long units = std::strtoull(scaled.c_str(), nullptr, 10);
  if (units > static_cast<unsigned long long>(INT64_MAX)) InvalidFloat(text);
  const double value = static_cast<double>(static_cast<int64_t>(units)) / 10000.0;
  return negative ? -value : value;
}

std::string FormatAmount(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  // Fifteen significant digits hide the binary noise of sums (1.005, 0.1 + 0.2); from 1e13 up
  // they would also hide cents, so large amounts take up to seventeen.
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));  // d.dddddddddddddde+XX
  int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  const int precision = std::clamp(exponent + 3, 15, 17);
  if (precision > 15) std::snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(value));
  std::string mantissa;
  mantissa += buf[0];
  mantissa.append(buf + 2, static_cast<size_t>(precision - 1));
  exponent = std::atoi(std::strchr(buf, 'e') + 1);
  std::string digits = ScaledDigits(mantissa, exponent + 1, 2);
  while (digits.size() < 3) digits.insert(digits.begin(), '0');
  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  std::string out = value < 0 && !zero ? "-" : "";
  out.append(digits, 0, digits.size() - 2).append(".").append(digits, digits.size() - 2, 2);
  return out;
}

}  // namespace velmor
