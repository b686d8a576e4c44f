#include "codec/json_out.h"

#include <nlohmann/json.hpp>

#include "velmor/utf8.h"

namespace velmor {

namespace {

bool PlainInteger(std::string_view t) {
  const size_t sign = !t.empty() && t[0] == '-' ? 1 : 0;
  const size_t digits = t.size() - sign;
  // Up to 18 digits always fits 64 bits; "-0" and leading zeros are left to the parser.
  if (digits == 0 || digits > 18 || (t[sign] == '0' && (digits > 1 || sign))) return false;
  for (size_t i = sign; i < t.size(); ++i)
    if (t[i] < '0' || t[i] > '9') return false;
  return true;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  size_t run = 0;  // start of the bytes not yet copied
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(s.data() + run, i - run);
    run = i + 1;
    out += '\\';
    switch (c) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '\b': out += 'b'; break;
      case '\f': out += 'f'; break;
      case '\n': out += 'n'; break;
      case '\r': out += 'r'; break;
      case '\t': out += 't'; break;
      default:
        out += "u00";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
  }
  out.append(s.data() + run, s.size() - run);
  out += '"';
}

void AppendJsonText(std::string& out, std::string_view text, bool replaceInvalid) {
  if (IsWellFormedUtf8(text)) return AppendJsonString(out, text);
  out += nlohmann::json(std::string(text))
             .dump(-1, ' ', false,
                   replaceInvalid ? nlohmann::json::error_handler_t::replace : nlohmann::json::error_handler_t::strict);
}

void AppendJsonNumber(std::string& out, std::string_view token) {
  if (PlainInteger(token))
    out += token;
  else
    AppendJsonValue(out, token);
}

void AppendJsonValue(std::string& out, std::string_view text) {
  out += nlohmann::ordered_json::parse(text).dump();
}

}  // namespace velmor
