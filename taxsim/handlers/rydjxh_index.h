// RydjxhIndex: the position of a record in one of the State's vectors by its rydjxh, for the
// roster handlers' lookups (a "0059" page looks up a thousand persons and their enrolments).
//
// One open-addressed array of positions and hashes, probed linearly; texts are compared only
// when the hashes agree, and they are the records' own (never copied). A map of views took a
// node per record: building it for 100,000 persons and their enrolments was the simulator's
// largest cost before its first roster page.
//
// The index holds positions only: it must be rebuilt when the vector changes in size or place
// (RosterBook does). Used under the simulator's state lock, like the State.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace velmor::taxsim {

class RydjxhIndex {
 public:
  static constexpr size_t kNone = SIZE_MAX;

  // Indexes `records` (each with a member `rydjxh`). A rydjxh held twice finds its last record
  // when `lastWins`, else its first.
  template <class Record>
  void Build(const std::vector<Record>& records, bool lastWins) {
    size_t size = 1024;
    while (size < records.size() * 2) size *= 2;
    slots_.assign(size, 0);
    for (size_t i = 0; i < records.size(); ++i) {
      const std::string_view key = records[i].rydjxh;
      const uint32_t hash = Hash(key);
      const size_t slot = Probe(key, hash, [&](size_t at) -> std::string_view { return records[at].rydjxh; });
      if (slots_[slot] == 0 || lastWins) slots_[slot] = uint64_t{hash} << 32 | (i + 1);
    }
  }

  // The position of the record of `key`, or kNone.
  template <class Record>
  size_t Find(const std::vector<Record>& records, std::string_view key) const {
    if (slots_.empty()) return kNone;
    const size_t slot = Probe(key, Hash(key), [&](size_t at) -> std::string_view { return records[at].rydjxh; });
    return slots_[slot] == 0 ? kNone : static_cast<size_t>(slots_[slot] & 0xFFFFFFFF) - 1;
  }

  void Clear() { slots_.clear(); }

 private:
  static uint32_t Hash(std::string_view key) {
    const size_t h = std::hash<std::string_view>{}(key);
    return static_cast<uint32_t>(h ^ (h >> 32));
  }

  // The slot holding `key`, or the free slot where it would go (the array is at most half full).
  template <class TextAt>
  size_t Probe(std::string_view key, uint32_t hash, const TextAt& textAt) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const uint64_t slot = slots_[i];
      if (slot == 0) return i;
      if (static_cast<uint32_t>(slot >> 32) == hash && textAt(static_cast<size_t>(slot & 0xFFFFFFFF) - 1) == key)
        return i;
    }
  }

  // Each slot: the position + 1 in its lower half (0: free), the key's hash in the upper half.
  std::vector<uint64_t> slots_;
};

}  // namespace velmor::taxsim
