#include "taxsim/json_writer.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#include "include/velmor/utf8.h"
#include "taxsim/append_parts.h"

namespace velmor::taxsim {

namespace {

// Per byte, the bytes its escape adds: 1 for the quote, the backslash and the five control
// characters with a short escape; 5 for the other control characters (\u00XX); 0 otherwise.
constexpr std::array<uint8_t, 256> MakeExtra() {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 0x20; ++c) t[c] = 5;
  for (const int c : {'"', '\\', '\b', '\f', '\n', '\r', '\t'}) t[c] = 1;
  return t;
}
constexpr std::array<uint8_t, 256> kExtra = MakeExtra();

// Per byte, whether it is ASCII that is written as it is (nothing for its escape to add).
constexpr std::array<bool, 256> MakePlainAscii() {
  std::array<bool, 256> t{};
  for (int c = 0; c < 0x80; ++c) t[c] = kExtra[c] == 0;
  return t;
}
constexpr std::array<bool, 256> kPlainAscii = MakePlainAscii();

// A short text with nothing to escape: a name, a code, an amount, an office's name in Chinese,
// nearly every string of an answer's rows. ASCII is written as it is after one look at each
// byte; other bytes are too when the text is well-formed UTF-8 (as the library dumps it).
bool ShortPlain(std::string_view text) {
  if (text.size() > 64) return false;
  bool ascii = true;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80) ascii = false;
    else if (!kPlainAscii[c]) return false;
  }
  return ascii || IsWellFormedUtf8(text);
}

}  // namespace

size_t JsonStringSize(std::string_view text) {
  size_t room = text.size() + 2;
  for (const char ch : text) room += kExtra[static_cast<unsigned char>(ch)];
  return room;
}

size_t EscapeJsonPiece(std::string_view text, size_t* at, char* out, size_t room) {
  static constexpr char kHex[] = "0123456789abcdef";
  char* w = out;
  char* const end = out + room;
  size_t i = *at;
  for (; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (static_cast<size_t>(end - w) < 1u + kExtra[c]) break;  // its escape would not fit whole
    if (kExtra[c] == 0) {
      *w++ = text[i];
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
  *at = i;
  return static_cast<size_t>(w - out);
}

void AppendJsonString(std::string& out, std::string_view text) {
  if (ShortPlain(text)) return AppendParts(out, {"\"", text, "\""});
  if (!IsWellFormedUtf8(text)) {  // rare: the library's own replacement of the bad bytes
    out += nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return;
  }
  // The room is counted first and the bytes written in place: an answer of 70 MB inside the
  // envelope has millions of quotes, and appending between them made up most of the sending.
  // Both passes look each byte up in one table, without a branch for the plain ones.
  const size_t room = JsonStringSize(text);
  const size_t at = out.size();
  out.resize(at + room);
  char* w = out.data() + at;
  *w++ = '"';
  size_t from = 0;
  w += EscapeJsonPiece(text, &from, w, room - 2);
  *w = '"';
}

std::string JsonFromEnvelopeForm(std::string_view escaped) {
  std::string quoted;
  AppendParts(quoted, {"\"", escaped, "\""});
  return nlohmann::json::parse(quoted).get<std::string>();
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

void JsonWriter::Raw(std::string_view json) {
  if (form_ == Form::kPlain) {
    out_ += json;
    return;
  }
  // JSON written here is well-formed UTF-8 (bad bytes were replaced), so it escapes as it is.
  const size_t room = JsonStringSize(json) - 2;
  const size_t at = out_.size();
  out_.resize(at + room);
  size_t from = 0;
  EscapeJsonPiece(json, &from, out_.data() + at, room);
}

void JsonWriter::Quoted(std::string_view text) {
  if (ShortPlain(text)) return AppendParts(out_, {Quote(), text, Quote()});
  if (form_ == Form::kPlain) return AppendJsonString(out_, text);
  std::string once;
  AppendJsonString(once, text);
  Raw(once);
}

void JsonWriter::Key(std::string_view name) {
  Separate();
  Quoted(name);
  out_ += ':';
  comma_ = false;
}

void JsonWriter::String(std::string_view text, std::string_view more) {
  Separate();
  if (more.empty()) {
    Quoted(text);
  } else if (ShortPlain(text) && ShortPlain(more)) {
    AppendParts(out_, {Quote(), text, more, Quote()});  // plain joined to plain is plain: no joined copy
  } else {
    std::string joined;
    joined.reserve(text.size() + more.size());
    joined.append(text).append(more);
    Quoted(joined);
  }
  comma_ = true;
}

void JsonWriter::Member(std::string_view name, std::string_view text, std::string_view more) {
  if (!ShortPlain(name) || !ShortPlain(text) || !ShortPlain(more)) {
    Key(name);
    String(text, more);
    return;
  }
  // Nearly every member of an answer's rows: a plain name and a plain value, written at once
  // (an arrears answer has 17 a row, 400,000 rows a payment).
  const std::string_view between = form_ == Form::kPlain ? "\":\"" : "\\\":\\\"";
  AppendParts(out_, {comma_ ? "," : "", Quote(), name, between, text, more, Quote()});
  comma_ = true;
}

void JsonWriter::Splice(const JsonWriter& value) {
  if (value.form_ != form_) throw std::logic_error("JsonWriter::Splice: a text of the other form");
  if (value.out_.empty()) return;
  Separate();
  out_ += value.out_;
  comma_ = true;
}

void JsonWriter::Value(const nlohmann::json& value) {
  Separate();
  Raw(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  comma_ = true;
}

}  // namespace velmor::taxsim
