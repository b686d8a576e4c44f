// CRC-16 of the reflected polynomial 0xA001, used as a hash of field names. The table is a
// compile-time constant: entry i is i shifted right eight times, xoring 0xA001 after each shift
// whose low bit was set.
//
// Pure functions; safe from any thread. Folding maps only the ASCII letters A-Z to a-z.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velmor {

namespace crc16_detail {
constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned v = i;
    for (int k = 0; k < 8; ++k) v = (v & 1) ? (v >> 1) ^ 0xA001u : v >> 1;
    t[i] = static_cast<uint16_t>(v);
  }
  return t;
}
inline constexpr std::array<uint16_t, 256> kTable = MakeTable();
}  // namespace crc16_detail

// The 256-entry table.
constexpr const std::array<uint16_t, 256>& Crc16Table() { return crc16_detail::kTable; }

// The byte-wise form: crc advanced by one character (folded to lower case first when asked).
constexpr uint16_t Crc16Update(uint16_t crc, char c, bool fold_case = false) {
  auto b = static_cast<uint8_t>(c);
  if (fold_case && b >= 'A' && b <= 'Z') b = static_cast<uint8_t>(b + ('a' - 'A'));
  return static_cast<uint16_t>((crc >> 8) ^ crc16_detail::kTable[(b ^ crc) & 0xFF]);
}

// CRC-16 of text from the start value; the empty text gives start unchanged.
constexpr uint16_t Crc16(std::string_view text, uint16_t start = 0, bool fold_case = false) {
  uint16_t crc = start;
  for (char c : text) crc = Crc16Update(crc, c, fold_case);
  return crc;
}

}  // namespace velmor
