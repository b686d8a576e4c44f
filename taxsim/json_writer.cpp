#include "taxsim/json_writer.h"

#include <cstdint>
#include <cstring>

namespace velmor::taxsim {
namespace {

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool ValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    // Eight plain ASCII bytes at a time: the answers are mostly ASCII.
    while (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080u) break;
      p += 8;
    }
    if (p == end) break;
    const unsigned c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int n;
    unsigned low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (end - p <= n) return false;
    if (p[1] < low || p[1] > high) return false;
    for (int i = 2; i <= n; ++i)
      if (p[i] < 0x80 || p[i] > 0xBF) return false;
    p += n + 1;
  }
  return true;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  if (!ValidUtf8(text)) {  // rare: the library's own replacement of the bad bytes
    out += nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return;
  }
  // The room is counted first and the bytes written in place: an answer of 70 MB inside the
  // envelope has millions of quotes, and appending between them made up most of the sending.
  size_t room = text.size() + 2;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\' || c == '\b' || c == '\f' || c == '\n' || c == '\r' || c == '\t')
      room += 1;
    else if (c < 0x20)
      room += 5;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  const size_t at = out.size();
  out.resize(at + room);
  char* w = out.data() + at;
  *w++ = '"';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != '"' && c != '\\') {
      *w++ = ch;
      continue;
    }
    *w++ = '\\';
    switch (c) {
      case '"': *w++ = '"'; break;
      case '\\': *w++ = '\\'; break;
      case '\b': *w++ = 'b'; break;
      case '\f': *w++ = 'f'; break;
      case '\n': *w++ = 'n'; break;
      case '\r': *w++ = 'r'; break;
      case '\t': *w++ = 't'; break;
      default:
        *w++ = 'u';
        *w++ = '0';
        *w++ = '0';
        *w++ = kHex[c >> 4];
        *w++ = kHex[c & 15];
    }
  }
  *w++ = '"';
}

void JsonWriter::Separate() {
  if (comma_) out_ += ',';
}

void JsonWriter::Open(char c) {
  Separate();
  out_ += c;
  comma_ = false;
}

void JsonWriter::Close(char c) {
  out_ += c;
  comma_ = true;
}

void JsonWriter::Key(std::string_view name) {
  Separate();
  AppendJsonString(out_, name);
  out_ += ':';
  comma_ = false;
}

void JsonWriter::String(std::string_view text, std::string_view more) {
  Separate();
  if (more.empty()) {
    AppendJsonString(out_, text);
  } else {
    std::string joined;
    joined.reserve(text.size() + more.size());
    joined.append(text).append(more);
    AppendJsonString(out_, joined);
  }
  comma_ = true;
}

void JsonWriter::Value(const nlohmann::json& value) {
  Separate();
  out_ += value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  comma_ = true;
}

}  // namespace velmor::taxsim
