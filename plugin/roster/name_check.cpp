#include "roster/name_check.h"

#include <algorithm>
#include <array>
#include <vector>

namespace velmor {

namespace {

// The 57 entries of the special-character table, in its order (the ellipsis is listed twice).
constexpr std::array<char32_t, 57> kSpecial = {
    U'~',    U'?',    U'!',    U'@',    U'#',    U'$',    U'%',    U'^',    U'&',    U'*',    0x7F,   U'\\',
    U'/',    U'{',    U'}',    U'+',    U'=',    U';',    U':',    U'"',    U'|',    0xFF5C, U']',    U'[',
    0xFF5E, 0xFF40, 0xFF0A, 0xFE3F, 0xFF01, 0xFF20, 0xFF06, 0xFF03, 0xFFE5, 0xFF05, 0x2026, 0x2026,
    0x2014, 0x00D7, 0xFF0D, 0xFF3F, 0xFF0B, 0xFF1D, 0xFF3B, 0xFF3D, 0xFF5B, 0xFF5D, 0x3010, 0x3011,
    0xFF3C, 0xFF1A, 0xFF1B, 0x201C, 0x300A, 0x300B, 0x3002, 0xFF1F, 0xFF0F};

struct Range {
  char32_t lo, hi;
};
constexpr Range kChinese[] = {{0x2E80, 0x2EF3}, {0x2F00, 0x2FD5}, {0x2FF0, 0x2FFB}, {0x3000, 0x303F},
                              {0x3105, 0x312F}, {0x31A0, 0x31BA}, {0x31C0, 0x31E3}, {0x3400, 0x4DB5},
                              {0x4E00, 0x9FEF}, {0xE400, 0xE5E8}, {0xE600, 0xE6CF}, {0xE815, 0xE86F},
                              {0xF900, 0xFAD9}, {0xFF00, 0xFFEF}};

bool IsChinese(char32_t c) {
  if (c == U'-' || c == 0x00B7) return true;
  for (const Range& r : kChinese)
    if (c >= r.lo && c <= r.hi) return true;
  return false;
}

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || (c < 0x20); }

// Decodes UTF-8 strictly (no overlong forms, no surrogates); false on malformed input.
bool Decode(std::string_view s, std::vector<char32_t>& out) {
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (n < 0 || (n > 0 && i + static_cast<size_t>(n) >= s.size())) return false;
    char32_t c = n == 0 ? b : n == 1 ? (b & 0x1F) : n == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= n; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((t >> 6) != 2) return false;
      c = (c << 6) | (t & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out.push_back(c);
    i += static_cast<size_t>(n) + 1;
  }
  return true;
}

}  // namespace

int NameWeight(std::string_view name) {
  std::vector<char32_t> cps;
  if (!Decode(name, cps)) return -1;
  int w = 0;
  for (char32_t c : cps) w += IsBlank(c) ? 1 : IsChinese(c) ? 3 : 1;
  return w;
}

bool CheckPersonName(std::string_view name, std::string& message) {
  message.clear();
  std::vector<char32_t> cps;
  if (!Decode(name, cps)) {
    message = kNameSpecialChar;
    return false;
  }
  if (cps.empty()) {
    message = kNameEmpty;
    return false;
  }
  for (char32_t c : cps) {
    if (std::find(kSpecial.begin(), kSpecial.end(), c) != kSpecial.end()) {
      message = kNameSpecialChar;
      return false;
    }
  }
  if (std::all_of(cps.begin(), cps.end(), [](char32_t c) { return c >= U'0' && c <= U'9'; })) {
    message = kNameAllDigits;
    return false;
  }
  if (NameWeight(name) > kNameMaxWeight) {
    message = kNameTooLong;
    return false;
  }
  return true;
}

bool IsChineseName(std::string_view name) {
  std::vector<char32_t> cps;
  if (!Decode(name, cps) || cps.empty()) return false;
  return std::all_of(cps.begin(), cps.end(), IsChinese);
}

}  // namespace velmor
