#include "framework/format.h"

#include <cmath>
#include <cstdio>

namespace velmor {
namespace {

size_t CodePoints(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// The first `count` code points of s.
std::string_view PrefixChars(std::string_view s, size_t count) {
  size_t i = 0;
  for (size_t seen = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (seen == count) break;
      ++seen;
    }
  }
  return s.substr(0, i);
}

// "1234567.89" -> "1,234,567.89"; keeps a leading "-".
std::string GroupThousands(const std::string& fixed) {
  size_t start = fixed[0] == '-' ? 1 : 0;
  size_t dot = fixed.find('.');
  size_t intEnd = dot == std::string::npos ? fixed.size() : dot;
  std::string out = fixed.substr(0, start);
  for (size_t i = start; i < intEnd; ++i) {
    out.push_back(fixed[i]);
    size_t left = intEnd - i - 1;
    if (left > 0 && left % 3 == 0) out.push_back(',');
  }
  out.append(fixed, intEnd, std::string::npos);
  return out;
}

std::string Printf(const char* pattern, int precision, double value) {
  char buf[512];
  int n = std::snprintf(buf, sizeof buf, pattern, precision, value);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), pattern, precision, value);
  big.resize(static_cast<size_t>(n));
  return big;
}

// The exponent written as the classic routines do: "E+ddd" for e, "E<digits>" without sign for
// positive and without padding for g.
std::string FixExponent(std::string s, bool scientificStyle) {
  size_t e = s.find('E');
  if (e == std::string::npos) return s;
  char sign = s[e + 1];
  std::string digits = s.substr(e + 2);
  while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
  if (scientificStyle) {
    while (digits.size() < 3) digits.insert(0, "0");
    return s.substr(0, e + 1) + sign + digits;
  }
  return s.substr(0, e + 1) + (sign == '-' ? "-" : "") + digits;
}

std::string FormatFloat(char type, int precision, double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  switch (type) {
    case 'f': return Printf("%.*f", precision < 0 ? 2 : precision, value);
    case 'n': return GroupThousands(Printf("%.*f", precision < 0 ? 2 : precision, value));
    case 'e': {
      int digits = precision < 0 ? 15 : (precision == 0 ? 1 : precision);
      if (digits > 18) digits = 18;
      return FixExponent(Printf("%.*E", digits - 1, value), true);
    }
    default: {  // 'g'
      int digits = precision < 0 ? 15 : (precision == 0 ? 1 : precision);
      if (digits > 18) digits = 18;
      return FixExponent(Printf("%.*G", digits, value), false);
    }
  }
}

class Formatter {
 public:
  Formatter(std::string_view format, std::span<const Variant> args) : fmt_(format), args_(args) {}

  std::string Run() {
    std::string out;
    out.reserve(fmt_.size() + 16 * args_.size());
    size_t i = 0;
    while (i < fmt_.size()) {
      size_t pct = fmt_.find('%', i);
      if (pct == std::string_view::npos) {
        out.append(fmt_.substr(i));
        break;
      }
      out.append(fmt_.substr(i, pct - i));
      i = pct + 1;
      if (i >= fmt_.size()) Invalid();
      if (fmt_[i] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      i = Specifier(i, out);
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + std::string(fmt_) + "' invalid or incompatible with argument");
  }
  const Variant& Next() {
    if (next_ >= args_.size()) throw EConvertError("No argument for format '" + std::string(fmt_) + "'");
    return args_[next_++];
  }
  // A number or "*" at fmt_[i]; -1 when neither. Advances i.
  int Number(size_t& i) {
    if (i < fmt_.size() && fmt_[i] == '*') {
      ++i;
      const Variant& v = Next();
      if (!v.IsOrdinal()) Invalid();
      int64_t n = v.AsInt64();
      return n < 0 ? 0 : static_cast<int>(n > 100000 ? 100000 : n);
    }
    if (i >= fmt_.size() || fmt_[i] < '0' || fmt_[i] > '9') return -1;
    int64_t n = 0;
    while (i < fmt_.size() && fmt_[i] >= '0' && fmt_[i] <= '9') {
      n = n * 10 + (fmt_[i] - '0');
      if (n > 100000) Invalid();  // absurd widths would only exhaust memory
      ++i;
    }
    return static_cast<int>(n);
  }

  size_t Specifier(size_t i, std::string& out) {
    // Optional "index:"
    size_t save = i;
    int first = Number(i);
    if (first >= 0 && i < fmt_.size() && fmt_[i] == ':') {
      next_ = static_cast<size_t>(first);
      ++i;
    } else {
      i = save;
      // A "*" consumed an argument for what turned out to be the width; undo and reparse below.
      if (first >= 0 && save < fmt_.size() && fmt_[save] == '*') --next_;
    }
    bool left = false;
    if (i < fmt_.size() && fmt_[i] == '-') {
      left = true;
      ++i;
    }
    int width = Number(i);
    int precision = -1;
    if (i < fmt_.size() && fmt_[i] == '.') {
      ++i;
      precision = Number(i);
      if (precision < 0) precision = 0;
    }
    if (i >= fmt_.size()) Invalid();
    char type = static_cast<char>(fmt_[i] | 0x20);  // specifiers are case-insensitive
    ++i;
    std::string text = Convert(type, precision, Next());
    size_t chars = CodePoints(text);
    if (width > 0 && chars < static_cast<size_t>(width)) {
      std::string pad(static_cast<size_t>(width) - chars, ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
    return i;
  }

  std::string Convert(char type, int precision, const Variant& v) {
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        if (!v.IsOrdinal()) Invalid();
        int64_t n = v.AsInt64();
        bool negative = false;
        std::string digits;
        if (type == 'd') {
          negative = n < 0;
          uint64_t mag = negative ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
          digits = std::to_string(mag);
        } else {
          // A negative Integer is read as its 32-bit pattern, a negative Int64 as its 64-bit one.
          uint64_t u = v.type() == Variant::Type::Integer ? static_cast<uint32_t>(n) : static_cast<uint64_t>(n);
          if (type == 'u') {
            digits = std::to_string(u);
          } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(u));
            digits = buf;
          }
        }
        if (precision > 0 && digits.size() < static_cast<size_t>(precision))
          digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        return negative ? "-" + digits : digits;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n': {
        if (v.type() != Variant::Type::Double && !v.IsOrdinal()) Invalid();
        return FormatFloat(type, precision, v.AsDouble());
      }
      case 's': {
        if (!v.IsString()) Invalid();
        const std::string& s = v.StringRef();
        if (precision >= 0) return std::string(PrefixChars(s, static_cast<size_t>(precision)));
        return s;
      }
      default:
        Invalid();
    }
  }

  std::string_view fmt_;
  std::span<const Variant> args_;
  size_t next_ = 0;
};

}  // namespace

std::string Format(std::string_view format, std::span<const Variant> args) {
  return Formatter(format, args).Run();
}

}  // namespace velmor
