#include "workbook/number_format.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "workbook/date_serial.h"

namespace velmor::workbook {
namespace {

enum class Tok { kLiteral, kDigit, kPoint, kComma, kPercent, kExp, kGeneral, kDate, kAmPm, kElapsed, kText };

struct Token {
  Tok type;
  std::string text;  // literal text; AM/PM form; exponent sign
  char letter = 0;   // date or elapsed letter (lower case: y m d h s a), digit placeholder
  int count = 0;     // length of a date run, or the exponent's digit count
};

size_t Utf8Len(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c >> 5) == 0x6) return 2;
  if ((c >> 4) == 0xE) return 3;
  if ((c >> 3) == 0x1E) return 4;
  return 1;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k)
    if (Lower(s[i + k]) != Lower(word[k])) return false;
  return true;
}

// Splits a code at the semicolons that are not quoted, escaped or bracketed.
std::vector<std::string_view> SplitSections(std::string_view code) {
  std::vector<std::string_view> out;
  size_t start = 0;
  bool quoted = false, bracket = false;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (quoted) { quoted = c != '"'; continue; }
    if (bracket) { bracket = c != ']'; continue; }
    if (c == '"') quoted = true;
    else if (c == '[') bracket = true;
    else if (c == '\\' || c == '_' || c == '*') ++i;
    else if (c == ';') { out.push_back(code.substr(start, i - start)); start = i + 1; }
  }
  out.push_back(code.substr(start));
  return out;
}

void AddLiteral(std::vector<Token>& out, std::string_view text) {
  if (!out.empty() && out.back().type == Tok::kLiteral) out.back().text.append(text);
  else out.push_back({Tok::kLiteral, std::string(text)});
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    char lc = Lower(c);
    if (c == '"') {
      size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) end = s.size();
      AddLiteral(out, s.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '\\' || c == '_' || c == '*') {
      size_t n = i + 1 < s.size() ? Utf8Len(static_cast<unsigned char>(s[i + 1])) : 0;
      n = std::min(n, s.size() - i - 1);
      if (c == '\\') AddLiteral(out, s.substr(i + 1, n));
      else if (c == '_') AddLiteral(out, " ");
      i += 1 + n;
    } else if (c == '[') {
      size_t end = s.find(']', i + 1);
      if (end == std::string_view::npos) end = s.size();
      std::string_view in = s.substr(i + 1, end - i - 1);
      i = end + 1;
      if (!in.empty() && in[0] == '$') {  // currency and locale: [$¥-804]
        AddLiteral(out, in.substr(1, in.find('-') == std::string_view::npos ? in.size() - 1 : in.find('-') - 1));
        continue;
      }
      char first = in.empty() ? 0 : Lower(in[0]);
      bool run = first == 'h' || first == 'm' || first == 's';
      for (char k : in) run = run && Lower(k) == first;
      if (run) out.push_back({Tok::kElapsed, {}, first, static_cast<int>(in.size())});
      // colours, conditions and numeral systems change nothing in the text
    } else if (StartsWithNoCase(s, i, "general")) {
      out.push_back({Tok::kGeneral, {}});
      i += 7;
    } else if (StartsWithNoCase(s, i, "G/通用格式") || s.compare(i, 12, "通用格式") == 0) {
      // General as Chinese office programs name it.
      out.push_back({Tok::kGeneral, {}});
      i += s[i] == 'G' || s[i] == 'g' ? 14 : 12;
    } else if (StartsWithNoCase(s, i, "am/pm")) {
      out.push_back({Tok::kAmPm, "AM/PM"});
      i += 5;
    } else if (StartsWithNoCase(s, i, "a/p")) {
      out.push_back({Tok::kAmPm, "A/P"});
      i += 3;
    } else if (s.compare(i, 13, "上午/下午") == 0) {
      out.push_back({Tok::kAmPm, "上午/下午"});
      i += 13;
    } else if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 's' ||
               (lc == 'a' && StartsWithNoCase(s, i, "aaa"))) {
      size_t j = i;
      while (j < s.size() && Lower(s[j]) == lc) ++j;
      out.push_back({Tok::kDate, {}, lc, static_cast<int>(j - i)});
      i = j;
    } else if (c == '0' || c == '#' || c == '?') {
      out.push_back({Tok::kDigit, {}, c});
      ++i;
    } else if (c == '.') {
      out.push_back({Tok::kPoint, {}});
      ++i;
    } else if (c == ',') {
      out.push_back({Tok::kComma, {}});
      ++i;
    } else if (c == '%') {
      out.push_back({Tok::kPercent, {}});
      ++i;
    } else if (c == '@') {
      out.push_back({Tok::kText, {}});
      ++i;
    } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      Token t{Tok::kExp, std::string(1, s[i + 1])};
      i += 2;
      while (i < s.size() && (s[i] == '0' || s[i] == '#' || s[i] == '?')) { ++t.count; ++i; }
      out.push_back(t);
    } else {
      size_t n = std::min(Utf8Len(static_cast<unsigned char>(c)), s.size() - i);
      AddLiteral(out, s.substr(i, n));
      i += n;
    }
  }
  return out;
}

bool HasDateTokens(const std::vector<Token>& toks) {
  for (const auto& t : toks)
    if (t.type == Tok::kDate || t.type == Tok::kAmPm || t.type == Tok::kElapsed) return true;
  return false;
}

std::string Pad(long long v, int width) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

std::string RenderDate(double serial, const std::vector<Token>& toks) {
  auto parts = SerialToParts(serial);
  if (!parts) return FormatGeneral(serial);
  static const char* const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                                        "August", "September", "October", "November", "December"};
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static const char* const kCnDays[] = {"日", "一", "二", "三", "四", "五", "六"};
  bool hour12 = false;
  for (const auto& t : toks) hour12 = hour12 || t.type == Tok::kAmPm;
  // An "m" is a minute when it follows an hour or precedes a second.
  std::vector<bool> minute(toks.size(), false);
  for (size_t i = 0; i < toks.size(); ++i) {
    if (toks[i].type != Tok::kDate || toks[i].letter != 'm' || toks[i].count > 2) continue;
    for (size_t j = i; j-- > 0;) {
      if (toks[j].type != Tok::kDate && toks[j].type != Tok::kElapsed) continue;
      minute[i] = toks[j].letter == 'h';
      break;
    }
    for (size_t j = i + 1; j < toks.size() && !minute[i]; ++j) {
      if (toks[j].type != Tok::kDate && toks[j].type != Tok::kElapsed) continue;
      minute[i] = toks[j].letter == 's';
      break;
    }
  }
  long long totalSecs = std::llround(serial * 86400.0);
  std::string out;
  for (size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    switch (t.type) {
      case Tok::kLiteral: out += t.text; break;
      case Tok::kPoint: out += '.'; break;
      case Tok::kComma: out += ','; break;
      case Tok::kPercent: out += '%'; break;
      case Tok::kDigit: if (t.letter == '0') out += '0'; break;  // fractional seconds: rounded away
      case Tok::kAmPm:
        if (t.text == "AM/PM") out += parts->hour < 12 ? "AM" : "PM";
        else if (t.text == "A/P") out += parts->hour < 12 ? "A" : "P";
        else out += parts->hour < 12 ? "上午" : "下午";
        break;
      case Tok::kElapsed: {
        long long v = t.letter == 'h' ? totalSecs / 3600 : t.letter == 'm' ? totalSecs / 60 : totalSecs;
        out += Pad(v, t.count);
        break;
      }
      case Tok::kDate:
        switch (t.letter) {
          case 'y': out += t.count <= 2 ? Pad(parts->year % 100, 2) : Pad(parts->year, 4); break;
          case 'm':
            if (minute[i]) out += Pad(parts->minute, t.count >= 2 ? 2 : 1);
            else if (t.count <= 2) out += Pad(parts->month, t.count);
            else if (t.count == 3) out += std::string(kMonths[parts->month - 1], 3);
            else if (t.count == 5) out += kMonths[parts->month - 1][0];
            else out += kMonths[parts->month - 1];
            break;
          case 'd':
            if (t.count <= 2) out += Pad(parts->day, t.count);
            else if (t.count == 3) out += std::string(kDays[parts->weekday], 3);
            else out += kDays[parts->weekday];
            break;
          case 'a': out += std::string(t.count >= 4 ? "星期" : "") + kCnDays[parts->weekday]; break;
          case 'h': {
            int h = parts->hour;
            if (hour12) h = h % 12 == 0 ? 12 : h % 12;
            out += Pad(h, t.count >= 2 ? 2 : 1);
            break;
          }
          case 's': out += Pad(parts->second, t.count >= 2 ? 2 : 1); break;
        }
        break;
      default: break;
    }
  }
  return out;
}

// v (not negative) with `decimals` fraction digits as "int.frac" (no point when decimals is 0),
// rounded half away from zero on its 15-significant-digit decimal form, as spreadsheets show it
// (1.005 under "0.00" is "1.01", 2.5 under "0" is "3").
std::string FixedDecimal(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  std::string digits(1, buf[0]);
  digits.append(buf + 2, 14);
  int point = std::atoi(std::strchr(buf, 'e') + 1) + 1;  // digits before the decimal point
  int keep = point + decimals;
  if (keep < 0) {
    digits.clear();
  } else if (keep < static_cast<int>(digits.size())) {
    bool up = digits[keep] >= '5';
    digits.resize(keep);
    for (int i = keep - 1; up && i >= 0; --i) {
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        up = false;
      }
    }
    if (up) {
      digits.insert(digits.begin(), '1');
      ++point;
    }
  } else {
    digits.append(keep - digits.size(), '0');
  }
  if (point < 0) {
    digits.insert(0, static_cast<size_t>(-point), '0');
    point = 0;
  }
  std::string intPart = digits.substr(0, std::min<size_t>(point, digits.size()));
  std::string frac = point < static_cast<int>(digits.size()) ? digits.substr(point) : std::string();
  frac.resize(decimals, '0');
  intPart.erase(0, std::min(intPart.find_first_not_of('0'), intPart.size()));
  if (intPart.empty()) intPart = "0";
  return decimals > 0 ? intPart + "." + frac : intPart;
}

// Inserts thousands separators into a run of digits.
std::string Group(const std::string& digits) {
  std::string out;
  size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    out += digits[i];
    size_t left = n - i - 1;
    if (left > 0 && left % 3 == 0) out += ',';
  }
  return out;
}

std::string RenderNumber(double value, const std::vector<Token>& toks, bool withSign) {
  // Layout of the placeholders: integer part, point, fraction, scaling, exponent.
  int pointAt = -1, lastIntDigit = -1, firstDigit = -1;
  int percents = 0, fracDigits = 0, scaleCommas = 0;
  bool grouping = false, general = false;
  const Token* exp = nullptr;
  for (size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    int ii = static_cast<int>(i);
    if (t.type == Tok::kDigit) {
      if (firstDigit < 0) firstDigit = ii;
      if (pointAt < 0 && !exp) lastIntDigit = ii;
      else if (!exp) ++fracDigits;
    } else if (t.type == Tok::kPoint && pointAt < 0 && !exp) {
      pointAt = ii;
    } else if (t.type == Tok::kPercent) {
      ++percents;
    } else if (t.type == Tok::kExp && !exp) {
      exp = &t;
    } else if (t.type == Tok::kGeneral) {
      general = true;
    }
  }
  // Commas between integer digits group; commas after the last digit scale by 1000.
  int lastDigit = -1;
  for (int i = 0; i < static_cast<int>(toks.size()) && toks[i].type != Tok::kExp; ++i)
    if (toks[i].type == Tok::kDigit) lastDigit = i;
  for (int i = 0; i < static_cast<int>(toks.size()); ++i) {
    if (toks[i].type != Tok::kComma) continue;
    if (firstDigit >= 0 && i > firstDigit && i < lastIntDigit && (pointAt < 0 || i < pointAt)) grouping = true;
    else if (lastDigit >= 0 && i > lastDigit && (!exp || &toks[i] < exp)) ++scaleCommas;
  }
  double v = std::fabs(value);
  for (int k = 0; k < percents; ++k) v *= 100;
  for (int k = 0; k < scaleCommas; ++k) v /= 1000;

  std::string intDigits, fracText, expText;
  if (general) {
    intDigits = FormatGeneral(v);
  } else if (exp) {
    int e = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(v)));
    std::string m = FixedDecimal(v == 0 ? 0.0 : v / std::pow(10.0, e), fracDigits);
    if (m.size() > 1 && m[0] == '1' && m[1] == '0') {  // rounding carried into another digit
      ++e;
      m = FixedDecimal(v / std::pow(10.0, e), fracDigits);
    }
    auto dot = m.find('.');
    intDigits = m.substr(0, dot);
    if (dot != std::string::npos) fracText = m.substr(dot + 1);
    expText = (e < 0 ? "-" : exp->text == "+" ? "+" : "") + Pad(std::abs(e), std::max(exp->count, 1));
  } else {
    if (v >= 1e15) return FormatGeneral(value);
    std::string m = FixedDecimal(v, fracDigits);
    auto dot = m.find('.');
    intDigits = m.substr(0, dot);
    if (dot != std::string::npos) fracText = m.substr(dot + 1);
  }
  bool allZero = true;
  for (char c : intDigits + fracText) allZero = allZero && (c == '0' || c == '.' || c == ',');
  if (firstDigit < 0 && !general) intDigits.clear();

  // Integer digits fill the integer placeholders from the right; the leftmost takes the rest.
  int intSlots = 0, zeroSlots = 0;
  for (int i = 0; i <= lastIntDigit; ++i)
    if (toks[i].type == Tok::kDigit) { ++intSlots; if (toks[i].letter == '0') ++zeroSlots; }
  if (intDigits == "0" && zeroSlots == 0) intDigits.clear();
  std::vector<std::string> slotText(toks.size());
  if (grouping) {
    std::string d = intDigits;
    while (static_cast<int>(d.size()) < zeroSlots) d.insert(d.begin(), '0');
    if (firstDigit >= 0) slotText[firstDigit] = Group(d);
  } else if (intSlots > 0) {
    int pos = static_cast<int>(intDigits.size());
    for (int i = lastIntDigit; i >= 0; --i) {
      if (toks[i].type != Tok::kDigit) continue;
      bool leftmost = i == firstDigit;
      if (pos > 0) {
        slotText[i] = leftmost ? intDigits.substr(0, pos) : intDigits.substr(pos - 1, 1);
        pos = leftmost ? 0 : pos - 1;
      } else {
        slotText[i] = toks[i].letter == '0' ? "0" : toks[i].letter == '?' ? " " : "";
      }
    }
  }
  // Fraction digits fill left to right; trailing zeros vanish under # and become spaces under ?.
  size_t keep = fracText.size();
  if (pointAt >= 0) {
    std::vector<char> fracSlots;
    for (size_t i = pointAt + 1; i < toks.size() && toks[i].type != Tok::kExp; ++i)
      if (toks[i].type == Tok::kDigit) fracSlots.push_back(toks[i].letter);
    while (keep > 0 && keep <= fracSlots.size() && fracSlots[keep - 1] != '0' && fracText[keep - 1] == '0') --keep;
  }
  std::string out;
  if (withSign && value < 0 && !allZero) out += '-';
  size_t fracPos = 0;
  bool inExp = false;
  for (size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    int ii = static_cast<int>(i);
    switch (t.type) {
      case Tok::kLiteral: out += t.text; break;
      case Tok::kPercent: out += '%'; break;
      case Tok::kGeneral: out += intDigits; break;
      case Tok::kPoint: if (ii == pointAt) out += '.'; break;
      case Tok::kComma: break;
      case Tok::kExp: out += 'E' + expText; inExp = true; break;
      case Tok::kDigit:
        if (inExp) break;
        if (pointAt >= 0 && ii > pointAt) {
          if (fracPos < keep) out += fracText[fracPos];
          else if (t.letter == '?') out += ' ';
          ++fracPos;
        } else {
          out += slotText[i];
        }
        break;
      default: break;
    }
  }
  return out;
}

// A code split into sections and tokens once; readers and writers format many cells with few codes.
struct ParsedFormat {
  std::vector<std::vector<Token>> sections;
  bool isDate = false;
};

// One small cache for the module: a damaged file with endless codes cannot grow it. Not
// thread_local: a thread-local object with a destructor pins the plug-in in memory until the
// thread ends, so an unloaded plug-in would stay mapped with stale state. Entries are shared so
// a cache cleared by another thread does not pull a format from under its user.
std::shared_ptr<const ParsedFormat> Parse(std::string_view code) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const ParsedFormat>, std::less<>> cache;
  {
    std::lock_guard lock(mutex);
    auto it = cache.find(code);
    if (it != cache.end()) return it->second;
  }
  auto f = std::make_shared<ParsedFormat>();
  for (std::string_view section : SplitSections(code)) f->sections.push_back(Tokenize(section));
  f->isDate = HasDateTokens(f->sections[0]);
  std::lock_guard lock(mutex);
  if (cache.size() >= 256) cache.clear();
  return cache.emplace(std::string(code), std::move(f)).first->second;
}

}  // namespace

std::string BuiltinFormatCode(unsigned id) {
  switch (id) {
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13: return "# ?\?/?\?";
    case 14: return "yyyy-mm-dd";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "yyyy-mm-dd hh:mm";
    case 27: case 36: case 50: case 52: case 57: return "yyyy\"年\"m\"月\"";
    case 28: case 29: case 51: case 53: case 54: case 58: return "m\"月\"d\"日\"";
    case 30: return "m-d-yy";
    case 31: return "yyyy\"年\"m\"月\"d\"日\"";
    case 32: return "h\"时\"mm\"分\"";
    case 33: return "h\"时\"mm\"分\"ss\"秒\"";
    case 34: case 55: return "上午/下午h\"时\"mm\"分\"";
    case 35: case 56: return "上午/下午h\"时\"mm\"分\"ss\"秒\"";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mm:ss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return {};
  }
}

bool IsDateFormat(std::string_view code) { return Parse(code)->isDate; }

std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return value != value ? "NaN" : value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  char buf[64];
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    std::snprintf(buf, sizeof buf, "%.0f", value);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.15G", value);
  return buf;
}

std::string FormatValue(double value, std::string_view code) {
  if (code.empty() || !std::isfinite(value)) return FormatGeneral(value);
  const std::shared_ptr<const ParsedFormat> parsed = Parse(code);
  const auto& sections = parsed->sections;
  size_t section = 0;
  bool withSign = true;
  if (value < 0 && sections.size() >= 2) {
    section = 1;
    withSign = false;
  } else if (value == 0 && sections.size() >= 3) {
    section = 2;
  }
  const std::vector<Token>& toks = sections[section];
  if (HasDateTokens(toks)) {
    // A date section shows the serial; the sign sections of dates are not used in practice.
    return RenderDate(value, toks);
  }
  bool digits = false, text = false;
  for (size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    if (t.type == Tok::kDigit || t.type == Tok::kGeneral) digits = true;
    if (t.type == Tok::kText) text = true;
    // Fractions ("# ?/?") are not drawn; General shows the value instead.
    if (t.type == Tok::kLiteral && t.text == "/" && i > 0 && i + 1 < toks.size() &&
        toks[i - 1].type == Tok::kDigit && toks[i + 1].type == Tok::kDigit)
      return FormatGeneral(value);
  }
  if (!digits) {
    // Literal-only sections show their text, an empty section nothing; "@" shows the value.
    if (text || (toks.empty() && sections.size() == 1)) return FormatGeneral(value);
    std::string out;
    for (const auto& t : toks) if (t.type == Tok::kLiteral) out += t.text;
    return out;
  }
  return RenderNumber(value, toks, withSign);
}

}  // namespace velmor::workbook
