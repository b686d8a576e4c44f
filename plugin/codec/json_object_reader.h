// JsonObjectReader: one JSON object read at a JsonCursor into its members, each with the text
// the general parser's ordered tree would dump for it, without building that tree. For long
// lists of flat objects (arrears lines, payment lines) that are read, looked into and written
// on, where a tree per object costs far more than the reading.
//
// The members read as parse() reads them: a name given twice is one member, at its first place
// with its last value. Text() reads a member as the services' Text() reads one of a tree; Write()
// appends the object as dump() writes it, with changes applied as assignments to the tree would.
//
//   JsonCursor c(text);
//   JsonObjectReader line;
//   c.BeginArray();
//   for (bool more = c.FirstElement(); more; more = c.NextElement()) {
//     if (c.Peek() != JsonCursor::Kind::kObject) { c.Skip(); continue; }
//     line.Read(c);
//     if (line.Text("zspmDm") == ...) line.Write(out);
//   }
//
// Views (members, texts) are into the cursor's text or the reader's own storage: valid until the
// next Read. A value of one thread.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/json_cursor.h"

namespace velmor {

class JsonObjectReader {
 public:
  struct Member {
    std::string_view key;  // decoded
    JsonCursor::Kind kind;
    std::string_view text;   // the value as dump() writes it
    std::string_view value;  // a string's decoded bytes; for any other kind the text
  };
  // An assignment of `text` (a value as dump() writes it) to member `key`; empty text removes
  // the member. Each key at most once in a set of changes.
  struct Change {
    std::string_view key;
    std::string_view text;
  };

  // Reads the object that starts at the cursor (raises JsonCursor::Malformed when none does).
  void Read(JsonCursor& c);
  // Reads the value that starts at the cursor: an object as Read does, any other value passed
  // over and read as an empty object (whose members all read as absent). Answers the object's
  // text, empty for another value: ReadAgain reads it again later.
  std::string_view ReadAny(JsonCursor& c);
  void ReadAgain(std::string_view object);

  const std::vector<Member>& Members() const { return members_; }
  const Member* Find(std::string_view key) const;
  // The member as the services' Text() reads it: a string's bytes, "" when absent or null,
  // "Y"/"N" for true/false, else its text.
  std::string_view Text(std::string_view key) const;

  // Appends the object as dump() writes it; with changes, as dump() writes it after each change
  // was assigned in turn (a member kept in its place, a new one after the others, in order).
  void Write(std::string& out, std::span<const Change> changes = {}) const;

 private:
  std::string_view Own(std::string_view bytes);
  bool Repeated(std::string_view key, size_t& at) const;

  std::vector<Member> members_;
  // The object's text when it is already what Write writes without changes; empty otherwise.
  std::string_view verbatim_;
  std::deque<std::string> own_;  // decoded and rewritten bytes; a deque keeps them in place
  size_t ownUsed_ = 0;
  std::string scratch_;
  // The names of the first object read: later objects nearly always repeat them in order, so a
  // name found in its place needs no search for an earlier copy.
  std::vector<std::string> shape_;
  bool shapeHeld_ = false;
};

// A set of changes for Write, built value by value (their texts kept in one buffer of its own).
// Keys are views the caller keeps alive; each key at most once.
class JsonChanges {
 public:
  void Clear();
  JsonChanges& String(std::string_view key, std::string_view value);
  JsonChanges& Int(std::string_view key, int64_t value);
  JsonChanges& Remove(std::string_view key);
  // The changes so far; valid until the next change or Clear.
  std::span<const JsonObjectReader::Change> Get();

 private:
  struct Pending {
    std::string_view key;
    size_t at, size;
  };
  std::string texts_;
  std::vector<Pending> pending_;
  std::vector<JsonObjectReader::Change> changes_;
};

// Text() of one member.
std::string_view TextOf(const JsonObjectReader::Member& m);
// The value that starts at the cursor, read through, as Text() reads a member holding it.
std::string ReadText(JsonCursor& c);

}  // namespace velmor
