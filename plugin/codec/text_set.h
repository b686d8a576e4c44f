// TextSet: a set of short texts for lookups by the hundred thousand (the keys of 200,000 stored
// states at 100,000 persons): the texts are kept one after the other in one string and found
// through one open-addressed array of their numbers and hashes (TextSlots). A hash set of
// strings takes a node and, past the short-string room, a block per text, each allocated, chased
// on every probe and freed at the end.
//
//   TextSet keys;
//   keys.Reserve(rows);
//   if (keys.Insert(key)) { /* a new key */ }
//
// TextSlots is that array alone, for an owner that keeps the texts itself and names each by a
// number (ArrearsLines: the levies of its own lines, never copied).
//
// Values of one thread. Numbers below 2^32 - 1; a TextSet's texts up to 4 GiB in all.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmor {

class TextSlots {
 public:
  static uint32_t Hash(std::string_view text);

  // Room for `count` numbers without growing.
  void Reserve(size_t count) { Grow(count * 2); }
  // The slot that holds the number of `text` (whose hash is `hash`), or the free slot where it
  // would go; `textOf(number)` is the owner's text of a number held. Call MakeRoom first when
  // the number may then be put.
  template <class TextOf>
  size_t Find(std::string_view text, uint32_t hash, const TextOf& textOf) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const uint64_t slot = slots_[i];
      if (slot == 0 || (static_cast<uint32_t>(slot >> 32) == hash && textOf((slot & 0xFFFFFFFF) - 1) == text)) return i;
    }
  }
  // Room for one more number.
  void MakeRoom() {
    if ((count_ + 1) * 2 > slots_.size()) Grow(std::max<size_t>(1024, slots_.size() * 4));
  }
  bool Taken(size_t slot) const { return slots_[slot] != 0; }
  size_t Number(size_t slot) const { return (slots_[slot] & 0xFFFFFFFF) - 1; }
  // Puts `number` in the free `slot` Find gave.
  void Put(size_t slot, uint32_t hash, size_t number) {
    slots_[slot] = uint64_t{hash} << 32 | (number + 1);
    ++count_;
  }
  bool Empty() const { return count_ == 0; }
  void Clear() {
    slots_.clear();
    count_ = 0;
  }

 private:
  void Grow(size_t slots);

  // Each slot: the number + 1 in its lower half (0: free), the text's hash in the upper half.
  // A power of two in size, at most half full.
  std::vector<uint64_t> slots_;
  size_t count_ = 0;
};

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

  std::string texts_;           // the texts, one after the other
  std::vector<uint32_t> ends_;  // where each text ends in texts_
  TextSlots slots_;
};

}  // namespace velmor
