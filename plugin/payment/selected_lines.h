// SelectedLines: the arrears lines a user selected for payment (a JSON array text of line
// objects, thousands of them), read once with the JSON cursor: each line kept as its span of the
// text and the few members the operation matches lines by, and written again, changed, only when
// it is stored. Nothing holds a tree of the lines.
//
// A line that is null reads as an empty object (as a tree's member assignments would make it);
// a line that is neither an object nor null is refused before anything is sent.
//
// A value of one thread; it views the text it was read from, which must outlive it.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/json_object_reader.h"

namespace velmor::payment {

class SelectedLines {
 public:
  // Raises what ArrayOf(text, what) raises for text that is no JSON array, and
  // velmor::Exception(what + "须为JSON对象的数组。") for a line of another kind.
  SelectedLines(const std::string& text, const char* what, std::initializer_list<const char*> keys);

  size_t Size() const { return spans_.size(); }
  bool Empty() const { return spans_.empty(); }
  // The length of the text the lines were read from: what their texts written again take,
  // before changes.
  size_t TextSize() const { return text_.size(); }
  // Member `key` (by its place in the constructor's list) of line `line`, as Text() reads it.
  std::string_view Key(size_t line, size_t key) const;
  // Appends line `line` as the general parser's dump() writes it, with `changes` applied.
  void Write(size_t line, std::string& out, std::span<const JsonObjectReader::Change> changes);

 private:
  struct Span {
    size_t at, size;  // size 0: null
  };
  // Reads the lines of `source` (which becomes text_), afresh; raises JsonCursor::Malformed for
  // text the cursor refuses, and the line error once the whole text is read.
  void Read(std::string_view source, const char* what, std::initializer_list<const char*> keys);
  std::string normal_;  // the general parser's text of an array the cursor refused
  std::string_view text_;
  std::vector<Span> spans_;
  size_t keyCount_;
  std::string keys_;
  std::vector<size_t> keyEnds_;  // keyCount_ per line
  JsonObjectReader reader_;
};

}  // namespace velmor::payment
