// NameList: a list of texts in insertion order with a hashed index that ignores ASCII letter case
// (the module's "hashed string list"). IndexOf answers the first position of a text; repeated
// texts are kept. Also the "code=name" pair helpers the rule tables share.
//
// A value type; one thread at a time.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmor::dict {

// ASCII lower case (names in other scripts are compared as they are).
std::string FoldCase(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

class NameList {
 public:
  static constexpr size_t kNotFound = static_cast<size_t>(-1);

  void Add(std::string text);
  // Replaces the text at index (the index follows).
  void Set(size_t index, std::string text);
  size_t IndexOf(std::string_view text) const;
  bool Contains(std::string_view text) const { return IndexOf(text) != kNotFound; }
  const std::string& At(size_t index) const { return items_[index]; }
  size_t Size() const { return items_.size(); }
  void Clear();
  // The texts joined by "\r\n".
  std::string Text() const;

 private:
  std::vector<std::string> items_;
  std::unordered_map<std::string, size_t> index_;
};

// Pairs "code=name": the first pair of a code wins.
class PairList {
 public:
  void Add(std::string_view code, std::string_view name);
  // The name after "=" of the first pair of code (case ignored); empty when absent.
  std::string ValueOf(std::string_view code) const;
  size_t Size() const { return codes_.Size(); }

 private:
  NameList codes_;
  std::vector<std::string> values_;
};

// A sorted set of lines without duplicates, returned as text ("\r\n" between lines).
class SortedLines {
 public:
  void Add(std::string line) { lines_.insert(std::move(line)); }
  std::string Text() const;

 private:
  std::set<std::string> lines_;
};

// The lines of a text (CR, LF or CRLF), empty lines dropped.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace velmor::dict
