// Guid: the 128-bit identity of an interface, and its text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
//
// Guid is a plain value type; every function here is pure and thread-safe. Interface types bind
// their identity with VELMOR_IID, which parses the literal at compile time, so a mistyped GUID
// literal does not compile.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmor {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  constexpr bool operator==(const Guid&) const = default;
  constexpr bool IsNull() const { return *this == Guid{}; }

  // Parses "{8-4-4-4-12}" hexadecimal digits of either case; the braces may be left out.
  // Returns nullopt for any other text.
  static constexpr std::optional<Guid> Parse(std::string_view text);

  // Compile-time form used by VELMOR_IID: a malformed literal is a compile error.
  static consteval Guid Literal(std::string_view text) {
    auto g = Parse(text);
    if (!g) throw "malformed GUID literal";  // not a constant expression: compile error
    return *g;
  }

  // The standard form with braces and upper-case hexadecimal digits.
  std::string ToString() const;
};

namespace guid_detail {
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace guid_detail

constexpr std::optional<Guid> Guid::Parse(std::string_view text) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return std::nullopt;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  uint8_t bytes[16] = {};
  int n = 0;
  for (size_t i = 0; i < 36;) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    int hi = guid_detail::HexValue(text[i]);
    int lo = guid_detail::HexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
  }
  Guid g;
  g.data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  g.data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  g.data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.data4[i] = bytes[8 + i];
  return g;
}

inline std::string Guid::ToString() const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(38);
  auto put = [&](uint64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i) s.push_back(kHex[(v >> (i * 4)) & 0xF]);
  };
  s.push_back('{');
  put(data1, 8);
  s.push_back('-');
  put(data2, 4);
  s.push_back('-');
  put(data3, 4);
  s.push_back('-');
  put(data4[0], 2);
  put(data4[1], 2);
  s.push_back('-');
  for (int i = 2; i < 8; ++i) put(data4[i], 2);
  s.push_back('}');
  return s;
}

}  // namespace velmor

// Binds an interface type to its identity: `class IFoo : public IInterface { public: VELMOR_IID("{...}") ... };`
#define VELMOR_IID(text) static constexpr ::velmor::Guid kIid = ::velmor::Guid::Literal(text);
