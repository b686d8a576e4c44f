// JsonWriter: an answer's JSON text written member by member, for answers of many rows where a
// tree of every row would cost more than the text itself. Strings are escaped as the JSON
// library's dump escapes them (ensure_ascii off, invalid UTF-8 replaced), so an answer written
// here is byte for byte the dump of the same tree when members come in the tree's (sorted) order.
//
// Values; one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velmor::taxsim {

class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The name of the next member; its value follows.
  void Key(std::string_view name);
  // A string value: the concatenation of the parts.
  void String(std::string_view text, std::string_view more = {});
  // A value given as a tree.
  void Value(const nlohmann::json& value);
  // A member with a string value (the concatenation of the parts).
  void Member(std::string_view name, std::string_view text, std::string_view more = {});

  // Room for `bytes` of text taken at once: an answer of 100 MB grown by doubling is copied
  // into fresh pages at every step.
  void Reserve(size_t bytes) { out_.reserve(bytes); }

  const std::string& Text() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  void Open(char c);
  void Close(char c);
  void Separate();

  std::string out_;
  bool comma_ = false;  // a value precedes at this level
};

// Appends `text` as a JSON string (quotes included) the way the JSON library's dump does.
void AppendJsonString(std::string& out, std::string_view text);

// For well-formed UTF-8 text (IsWellFormedUtf8), what AppendJsonString writes, in pieces:
// JsonStringSize is its length, quotes included; EscapeJsonPiece writes the escape of the text
// from *at into the `room` bytes at `out`, never cutting an escape in two (it stops before one
// that does not fit), advances *at past what it wrote and returns the bytes written (the quotes
// are the caller's).
size_t JsonStringSize(std::string_view text);
size_t EscapeJsonPiece(std::string_view text, size_t* at, char* out, size_t room);

}  // namespace velmor::taxsim
