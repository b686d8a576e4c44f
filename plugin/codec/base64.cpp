#include "codec/base64.h"

#include <array>
#include <cstdint>

namespace velmor {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kInvalid = 0xFF;

// Character code to 6-bit value; kInvalid for everything outside the alphabet ("=" included,
// which is handled apart in the last group).
constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> t{};
  for (auto& v : t) v = kInvalid;
  for (int i = 0; i < 64; ++i) t[static_cast<uint8_t>(kAlphabet[i])] = static_cast<uint8_t>(i);
  return t;
}
constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

// For the full groups: one table per position in the group with the 6 bits already shifted into
// place, so a group is four loads and three ORs. A foreign character sets bit 24, which no
// valid value reaches.
constexpr uint32_t kBadBit = 1u << 24;
struct ShiftedTables {
  uint32_t at[4][256];
};
constexpr ShiftedTables MakeShiftedTables() {
  ShiftedTables t{};
  for (int k = 0; k < 4; ++k)
    for (int c = 0; c < 256; ++c)
      t.at[k][c] = kDecode[c] == kInvalid ? kBadBit : uint32_t{kDecode[c]} << (18 - 6 * k);
  return t;
}
constexpr ShiftedTables kShifted = MakeShiftedTables();

}  // namespace

std::string Base64Encode(std::string_view data) {
  const auto* in = reinterpret_cast<const uint8_t*>(data.data());
  const std::size_t n = data.size();
  std::string out((n + 2) / 3 * 4, '\0');
  char* o = out.data();
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t v = uint32_t{in[i]} << 16 | uint32_t{in[i + 1]} << 8 | in[i + 2];
    *o++ = kAlphabet[v >> 18];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = kAlphabet[(v >> 6) & 63];
    *o++ = kAlphabet[v & 63];
  }
  if (const std::size_t rest = n - i; rest > 0) {
    uint32_t v = uint32_t{in[i]} << 16;
    if (rest == 2) v |= uint32_t{in[i + 1]} << 8;
    *o++ = kAlphabet[v >> 18];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  const std::size_t n = text.size();
  if (n == 0 || n % 4 != 0) return {};
  const auto* in = reinterpret_cast<const uint8_t*>(text.data());
  std::size_t padding = 0;
  if (in[n - 1] == '=') padding = in[n - 2] == '=' ? 2 : 1;

  std::string out(n / 4 * 3 - padding, '\0');
  auto* o = reinterpret_cast<uint8_t*>(out.data());
  // All groups but the last are full. Foreign characters are collected in one OR and tested
  // after the loop, which keeps the loop free of data-dependent branches.
  const std::size_t full = n - 4;
  uint32_t bad = 0;
  for (std::size_t i = 0; i < full; i += 4) {
    const uint32_t v = kShifted.at[0][in[i]] | kShifted.at[1][in[i + 1]] |
                       kShifted.at[2][in[i + 2]] | kShifted.at[3][in[i + 3]];
    bad |= v;
    o[0] = static_cast<uint8_t>(v >> 16);
    o[1] = static_cast<uint8_t>(v >> 8);
    o[2] = static_cast<uint8_t>(v);
    o += 3;
  }
  if (bad & kBadBit) return {};
  // The last group: "xxxx", "xxx=" or "xx==".
  const uint8_t* g = in + full;
  const uint8_t a = kDecode[g[0]], b = kDecode[g[1]];
  const uint8_t c = padding == 2 ? 0 : kDecode[g[2]];
  const uint8_t d = padding >= 1 ? 0 : kDecode[g[3]];
  if ((a | b | c | d) & 0xC0) return {};
  const uint32_t v = uint32_t{a} << 18 | uint32_t{b} << 12 | uint32_t{c} << 6 | d;
  *o++ = static_cast<uint8_t>(v >> 16);
  if (padding < 2) *o++ = static_cast<uint8_t>(v >> 8);
  if (padding < 1) *o++ = static_cast<uint8_t>(v);
  return out;
}

}  // namespace velmor
