// Base64Decode against a plain reference decoder: both must agree on every input, and whatever
// decodes must encode back to the input up to the unused low bits of the last group.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "codec/base64.h"

namespace {

int Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Bit by bit: nullopt when malformed.
std::optional<std::string> Reference(std::string_view t) {
  if (t.empty() || t.size() % 4) return std::nullopt;
  std::size_t pad = 0;
  while (pad < 2 && t[t.size() - 1 - pad] == '=') ++pad;
  std::string out;
  uint32_t bits = 0;
  int nbits = 0;
  for (std::size_t i = 0; i < t.size() - pad; ++i) {
    const int v = Value(t[i]);
    if (v < 0) return std::nullopt;
    bits = (bits << 6 | static_cast<uint32_t>(v)) & 0xFFFFFF;
    nbits += 6;
    if (nbits >= 8) {
      nbits -= 8;
      out.push_back(static_cast<char>(bits >> nbits));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string got = velmor::Base64Decode(text);
  const std::optional<std::string> want = Reference(text);
  if (got != want.value_or(std::string())) std::abort();
  if (want && !want->empty()) {
    const std::string again = velmor::Base64Encode(got);
    if (again.size() != size || velmor::Base64Decode(again) != got) std::abort();
  }
  // Any bytes survive a round trip.
  if (velmor::Base64Decode(velmor::Base64Encode(text)) != text) std::abort();
  return 0;
}
