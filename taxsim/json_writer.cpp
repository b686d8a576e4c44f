#include "taxsim/json_writer.h"

namespace velmor::taxsim {
namespace {

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool ValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
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
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  size_t plain = 0;  // start of the run not yet appended: runs of plain bytes are copied whole
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text, plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
  }
  out.append(text, plain, text.size() - plain);
  out += '"';
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
