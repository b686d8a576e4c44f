#include "codec/text_utils.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace velmor {
namespace {

inline uint8_t Fold(char c) {
  const auto b = static_cast<uint8_t>(c);
  return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b + ('a' - 'A')) : b;
}
inline uint8_t Same(char c) { return static_cast<uint8_t>(c); }

// Horspool's skip-table search, with the byte mapping (identity or ASCII folding) as a template
// parameter so the case-sensitive loop pays nothing for the other.
template <uint8_t (*Map)(char)>
std::string ReplaceWith(std::string_view text, std::string_view pattern, std::string_view repl) {
  const std::size_t n = text.size(), m = pattern.size();
  std::string p(m, '\0');
  for (std::size_t i = 0; i < m; ++i) p[i] = static_cast<char>(Map(pattern[i]));
  std::array<std::size_t, 256> skip;
  skip.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) skip[static_cast<uint8_t>(p[i])] = m - 1 - i;

  std::string out;
  // Sized for the text; a longer result grows geometrically. Reserving for the worst case
  // (every window a match) would keep up to six times the text's size for an escaping pass.
  out.reserve(n);
  std::size_t copied = 0, pos = 0;
  while (pos + m <= n) {
    std::size_t j = m;
    while (j > 0 && Map(text[pos + j - 1]) == static_cast<uint8_t>(p[j - 1])) --j;
    if (j == 0) {
      out.append(text, copied, pos - copied);
      out.append(repl);
      pos += m;
      copied = pos;
    } else {
      pos += skip[Map(text[pos + m - 1])];
    }
  }
  out.append(text, copied);
  return out;
}

// One pass over text replacing & > < ' " (and # when asked) by their entities. The same as one
// ReplaceAll per character in that order: no entity holds a character that a later step
// replaces, and their ampersands come after the step that escapes ampersands.
std::string Escape(std::string_view text, bool with_hash) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '>': out += "&gt;"; break;
      case '<': out += "&lt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      case '#':
        if (with_hash) {
          out += "&#35;";
          break;
        }
        [[fallthrough]];
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement,
                       bool ignore_case) {
  if (pattern.empty() || text.size() < pattern.size()) return std::string(text);
  return ignore_case ? ReplaceWith<Fold>(text, pattern, replacement)
                     : ReplaceWith<Same>(text, pattern, replacement);
}

std::string EscapeXmlText(std::string_view text) { return Escape(text, true); }

std::string EscapeXmlShort(std::string_view text) { return Escape(text, false); }

std::string FormatAmountWithSeparators(double amount) {
  char buf[400];  // "%.2f" of the largest double has 309 integer digits
  const auto r = std::to_chars(buf, buf + sizeof buf, amount, std::chars_format::fixed, 2);
  const std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
  const std::size_t sign = !s.empty() && s[0] == '-' ? 1 : 0;
  const std::size_t point = s.find('.');
  if (point == std::string_view::npos) return std::string(s);  // inf, nan
  const std::string_view digits = s.substr(sign, point - sign);
  std::string out(s.substr(0, sign));
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  out.append(s.substr(point));
  return out;
}

std::string FirstWord(std::string_view text) { return std::string(text.substr(0, text.find(' '))); }

std::string TrimBlanks(std::string_view text) {
  const size_t b = text.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  const size_t e = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(b, e - b + 1));
}

std::vector<std::string> SplitText(std::string_view text, char separator, bool trim) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(start, end - start);
    if (!trim && !piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    std::string kept = trim ? TrimBlanks(piece) : std::string(piece);
    if (!kept.empty()) out.push_back(std::move(kept));
    start = end + 1;
  }
  return out;
}

}  // namespace velmor
