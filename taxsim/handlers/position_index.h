// Lookups of the State's records by their keys for the handlers that look up many at a time (a
// "0059" page a thousand persons and their enrolments, a "0056" batch a thousand items).
//
// PositionIndex: one open-addressed array of positions and hashes, probed linearly; keys are
// compared only when the hashes agree, and they are the records' own (never copied). A hash set
// of keys took a node and a copy per record: building it for 100,000 persons and their
// enrolments, or for 200,000 items, was the simulator's largest cost before its first answer.
// RydjxhIndex: a PositionIndex of a vector's records by their rydjxh.
//
// An index holds positions only: it must be rebuilt when the vector changes in size or place (its
// owner does). Used under the simulator's state lock, like the State.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace velmor::taxsim {

class PositionIndex {
 public:
  static constexpr size_t kNone = SIZE_MAX;

  static uint32_t Hash(std::string_view key) {
    const size_t h = std::hash<std::string_view>{}(key);
    return static_cast<uint32_t>(h ^ (h >> 32));
  }
  static uint32_t Hash(std::string_view a, std::string_view b) { return Hash(a) * 0x9E3779B1u ^ Hash(b); }

  // Indexes positions 0 .. count - 1: `hashOf(i)` is the hash of position i's key, `same(i, j)`
  // whether positions i and j hold the same key. A key held twice finds its last position when
  // `lastWins`, else its first.
  template <class HashOf, class Same>
  void Build(size_t count, const HashOf& hashOf, const Same& same, bool lastWins) {
    size_t size = 1024;
    while (size < count * 2) size *= 2;
    slots_.assign(size, 0);
    for (size_t i = 0; i < count; ++i) {
      const uint32_t hash = hashOf(i);
      const size_t slot = Probe(hash, [&](size_t at) { return same(at, i); });
      if (slots_[slot] == 0 || lastWins) slots_[slot] = uint64_t{hash} << 32 | (i + 1);
    }
  }

  // The position of the key whose hash is `hash` and for which `holds(position)` is true, or kNone.
  template <class Holds>
  size_t Find(uint32_t hash, const Holds& holds) const {
    if (slots_.empty()) return kNone;
    const size_t slot = Probe(hash, holds);
    return slots_[slot] == 0 ? kNone : static_cast<size_t>(slots_[slot] & 0xFFFFFFFF) - 1;
  }

  void Clear() { slots_.clear(); }

 private:
  // The slot holding the key `holds` tells, or the free slot where it would go (the array is at
  // most half full).
  template <class Holds>
  size_t Probe(uint32_t hash, const Holds& holds) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const uint64_t slot = slots_[i];
      if (slot == 0) return i;
      if (static_cast<uint32_t>(slot >> 32) == hash && holds(static_cast<size_t>(slot & 0xFFFFFFFF) - 1)) return i;
    }
  }

  // Each slot: the position + 1 in its lower half (0: free), the key's hash in the upper half.
  std::vector<uint64_t> slots_;
};

class RydjxhIndex {
 public:
  static constexpr size_t kNone = PositionIndex::kNone;

  // Indexes `records` (each with a member `rydjxh`). A rydjxh held twice finds its last record
  // when `lastWins`, else its first.
  template <class Record>
  void Build(const std::vector<Record>& records, bool lastWins) {
    index_.Build(
        records.size(), [&](size_t i) { return PositionIndex::Hash(records[i].rydjxh); },
        [&](size_t i, size_t j) { return records[i].rydjxh == records[j].rydjxh; }, lastWins);
  }

  // The position of the record of `key`, or kNone.
  template <class Record>
  size_t Find(const std::vector<Record>& records, std::string_view key) const {
    return index_.Find(PositionIndex::Hash(key), [&](size_t at) { return records[at].rydjxh == key; });
  }

  void Clear() { index_.Clear(); }

 private:
  PositionIndex index_;
};

}  // namespace velmor::taxsim
