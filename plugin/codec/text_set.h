// TextSet: a set of short texts for lookups by the hundred thousand (the keys of 200,000 stored
// states at 100,000 persons): the texts are kept one after the other in one string and found
// through one open-addressed array of their positions and hashes. A hash set of strings takes a
// node and, past the short-string room, a block per text, each allocated, chased on every probe
// and freed at the end.
//
//   TextSet keys;
//   keys.Reserve(rows);
//   if (keys.Insert(key)) { /* a new key */ }
//
// A value of one thread. Texts up to 4 GiB in all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmor {

class TextSet {
 public:
  // Room for `count` texts without growing.
  void Reserve(size_t count);
  // Adds `text` unless the set holds it: its number (texts are numbered from 0 in the order they
  // were first added) and whether it was added now.
  std::pair<size_t, bool> Add(std::string_view text);
  // Adds `text`; false when it was already in the set.
  bool Insert(std::string_view text) { return Add(text).second; }
  bool Contains(std::string_view text) const;
  size_t Size() const { return ends_.size(); }

 private:
  std::string_view Text(size_t i) const;
  // The slot that holds `text`, or the free slot where it would go.
  size_t Find(std::string_view text, uint32_t hash) const;
  void Grow(size_t slots);

  std::string texts_;           // the texts, one after the other
  std::vector<uint32_t> ends_;  // where each text ends in texts_
  // Each slot: the text's index + 1 in its lower half (0: free), its hash in the upper half.
  // A power of two in size, at most half full.
  std::vector<uint64_t> slots_;
};

}  // namespace velmor
