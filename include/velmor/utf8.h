// UTF-8 validity, the one test of the texts the host and the command line take in: text that is
// not UTF-8 is refused where it enters (a command-line argument, a statement for the database)
// instead of being stored as bytes that read back as other text.
//
// Stateless; any thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace velmor {

// True when `text` is well-formed UTF-8: no stray continuation bytes, no truncated sequence, no
// overlong form, no surrogate, nothing past U+10FFFF.
inline bool IsWellFormedUtf8(std::string_view text) noexcept {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    // Eight ASCII bytes at a time: most texts are mostly ASCII.
    while (n - i >= 8) {
      uint64_t word;
      std::memcpy(&word, text.data() + i, 8);
      if (word & 0x8080808080808080u) break;
      i += 8;
    }
    if (i == n) break;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07u;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3Fu);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

}  // namespace velmor
