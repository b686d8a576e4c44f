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
  // All groups but the last are full; invalid characters are collected in one OR and tested
  // once per group, which keeps the loop free of data-dependent branches.
  const std::size_t full = n - 4;
  for (std::size_t i = 0; i < full; i += 4) {
    const uint8_t a = kDecode[in[i]], b = kDecode[in[i + 1]], c = kDecode[in[i + 2]],
                  d = kDecode[in[i + 3]];
    if ((a | b | c | d) & 0xC0) return {};
    const uint32_t v = uint32_t{a} << 18 | uint32_t{b} << 12 | uint32_t{c} << 6 | d;
    *o++ = static_cast<uint8_t>(v >> 16);
    *o++ = static_cast<uint8_t>(v >> 8);
    *o++ = static_cast<uint8_t>(v);
  }
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
