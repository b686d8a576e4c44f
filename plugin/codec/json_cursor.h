// JsonCursor: a strict reader that walks JSON text value by value without building a tree, for
// large texts whose shape the caller knows (a declaration of 200,000 persons), where a tree costs
// more than the reading itself.
//
// It accepts exactly what nlohmann::json::parse accepts: RFC 8259 without comments or trailing
// commas, blanks of space, tab, CR and LF only, well-formed UTF-8 in strings, escaped surrogates
// only in pairs, nesting at most kMaxJsonDepth (velmor/json_depth.h). At the first departure it
// raises JsonCursor::Malformed (its text is for the log only): the caller then reads the text with
// the general parser, whose message names the fault, so users see the same message either way.
// Two texts the general parser takes are refused here as well, left to it: one starting with a
// UTF-8 byte-order mark (which it skips) and one with bytes after a NUL (where it stops reading).
//
//   JsonCursor c(text);
//   c.BeginObject();
//   std::string scratch;
//   for (bool more = c.FirstMember(); more; more = c.NextMember()) {
//     std::string_view key = c.Key(scratch);  // view valid until the next Key/String call
//     ...read or Skip() the value...
//   }
//   c.End();
//
// Strings without escapes are views into the text; the others are decoded into the caller's
// buffer. A value on the stack of one thread; the text must outlive the cursor and its views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "velmor/json_depth.h"

namespace velmor {

class JsonCursor {
 public:
  class Malformed : public std::runtime_error {
   public:
    explicit Malformed(size_t at) : std::runtime_error("JSON文本格式错误（第" + std::to_string(at + 1) + "字节）") {}
  };

  enum class Kind : uint8_t { kObject, kArray, kString, kNumber, kTrue, kFalse, kNull };

  explicit JsonCursor(std::string_view text) : text_(text) {}

  // The kind of the value that starts at the cursor (blanks skipped); raises at the end of the
  // text or at a character that starts no value.
  Kind Peek();

  // Objects: BeginObject consumes '{'; FirstMember answers whether a member follows (consuming
  // '}' when none does); NextMember consumes ',' (true) or '}' (false) after a member's value.
  // Key reads the member's name and its ':'.
  void BeginObject();
  bool FirstMember();
  bool NextMember();
  std::string_view Key(std::string& scratch) { return ReadKey(scratch, nullptr); }
  // The same, telling whether the name held escapes (then the view is into `scratch`).
  std::string_view ReadKey(std::string& scratch, bool* escaped);

  // Arrays, as objects: '[' then elements separated by ',' up to ']'.
  void BeginArray();
  bool FirstElement();
  bool NextElement();

  // A string value, decoded; `escaped` (when given) tells whether it held escapes, in which case
  // the view is into `scratch` (overwritten), else into the text.
  std::string_view String(std::string& scratch, bool* escaped = nullptr);
  // A string value decoded to `dest`, which may be the very buffer the text lies in, at or before
  // the string's opening quote (the decoding never overtakes its reading); its size.
  size_t StringTo(char* dest);
  // A part of a string's content, from `from` (just after the opening quote, or where a
  // character or escape begins) up to `to` (where one begins; npos: through the closing quote,
  // which must come), checked and decoded to `dest` as StringTo does; its size. No byte at or
  // after `to` is read when the bytes just before it are plain, so two parts of one string can
  // be decoded at once, each where it stands. Raises Malformed as StringTo does.
  size_t DecodePart(size_t from, size_t to, char* dest);
  // A string value passed over unchecked and undecoded: what stands between its quotes. Only the
  // closing quote is found (the first without an odd run of backslashes before it); String or
  // StringTo over the same bytes checks them.
  std::string_view RawString();
  // A number, its token as written (grammar checked; its value is the caller's).
  std::string_view Number();
  // true, false or null.
  void Literal();
  // Any value, checked through, as its span of the text.
  std::string_view Skip();

  // Only blanks may remain.
  void End();

  // Whether `text` is one JSON value (blanks around it) by the cursor's rules: a text it refuses
  // may still be one the general parser takes (see the top of this file).
  static bool Accepts(std::string_view text);

  // Byte offset of the cursor in the text.
  size_t Offset() const { return pos_; }
  // The text read.
  std::string_view Text() const { return text_; }

 private:
  [[noreturn]] void Fail() const { throw Malformed(pos_); }
  // After '{' or '[': whether an element follows (consuming `close` when none does); after an
  // element: ',' (true) or `close` (false).
  bool FirstOf(char close);
  bool NextOf(char close);
  void SkipBlanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
      ++pos_;
    }
  }
  void Expect(char c) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) Fail();
    ++pos_;
  }
  void Enter() {
    if (++depth_ > kMaxJsonDepth) Fail();
  }
  // Escapes from text_[pos_] (just after the opening quote and the plain run `from`..pos_) on,
  // decoded into `out` up to the closing quote.
  void DecodeRest(size_t from, std::string& out);
  // Decodes from `position` through `w` until the closing quote (then `closed`, and `position`
  // just after it) or until `position` reaches `limit`; the end of what was written.
  char* DecodeUntil(size_t& position, size_t limit, char* w, bool& closed);
  // One UTF-8 sequence starting at pos_ (a byte of 0x80 and above), checked and passed.
  void PassUtf8();
  // Passes the UTF-8 text from the position to `end`, a character that `end` cuts taken whole;
  // fails on a malformed sequence.
  void PassUtf8Until(size_t end);
  uint32_t Hex4();

  std::string_view text_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace velmor
