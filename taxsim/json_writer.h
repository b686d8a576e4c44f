// JsonWriter: an answer's JSON text written member by member, for answers of many rows where a
// tree of every row would cost more than the text itself. Strings are escaped as the JSON
// library's dump escapes them (ensure_ascii off, invalid UTF-8 replaced), so an answer written
// here is byte for byte the dump of the same tree when members come in the tree's (sorted) order.
//
// A writer made for the envelope writes the same text already escaped as the envelope's
// "response" string carries it (AppendJsonString without its quotes): a payment answer of 70 MB
// is then copied into the envelope rather than escaped a second time as it is sent, and its
// size is known without counting. Its text is always well-formed UTF-8.
//
// Values; one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velmor::taxsim {

class JsonWriter {
 public:
  enum class Form { kPlain, kInEnvelope };
  explicit JsonWriter(Form form = Form::kPlain) : form_(form) {}

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
  // A value another writer of the same form wrote whole (rows written before what precedes them),
  // or the values of an array it wrote one after another (the second half of a long list,
  // written at once with the first); nothing when it wrote nothing.
  void Splice(const JsonWriter& value);

  // Room for `bytes` of text taken at once: an answer of 100 MB grown by doubling is copied
  // into fresh pages at every step.
  void Reserve(size_t bytes) { out_.reserve(bytes); }

  Form Written() const { return form_; }
  const std::string& Text() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  void Open(char c);
  void Close(char c);
  void Separate();
  // `text` as a JSON string, in the writer's form.
  void Quoted(std::string_view text);
  // JSON text as it is, or escaped for the envelope.
  void Raw(std::string_view json);
  std::string_view Quote() const { return form_ == Form::kPlain ? "\"" : "\\\""; }

  Form form_;
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

// The JSON text that an envelope-form text (JsonWriter::Form::kInEnvelope) stands for.
std::string JsonFromEnvelopeForm(std::string_view escaped);

}  // namespace velmor::taxsim
