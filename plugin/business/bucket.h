// TBucket: one bucket of the string-keyed hash table, a list of (key, object) entries.
//
// A bucket is sorted and case-sensitive (keys compare byte by byte) unless SetSorted(false) makes
// it a plain list in insertion order. In a sorted bucket adding a key that is present replaces its
// object, so each key appears once; an unsorted bucket appends, duplicates included. The bucket
// owns its key texts; the objects are the caller's (never freed here). Not locked: one thread at a
// time.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmor {

class TBucket {
 public:
  explicit TBucket(int32_t capacity = 0);
  ~TBucket();
  TBucket(TBucket&& other) noexcept;
  TBucket& operator=(TBucket&& other) noexcept;
  TBucket(const TBucket&) = delete;
  TBucket& operator=(const TBucket&) = delete;

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  bool Sorted() const { return sorted_; }
  // Turning sorting on sorts the entries (stably, so equal keys keep their order).
  void SetSorted(bool sorted);

  // Sorted: binary search; *index is the key's position, or where it would be inserted.
  // Unsorted: linear scan for the first equal key; *index is Count() when absent.
  bool Find(std::string_view key, int32_t* index) const;
  // The position of key, -1 when absent.
  int32_t IndexOf(std::string_view key) const;

  // Adds or replaces as described above; returns the entry's position.
  int32_t Add(std::string_view key, void* object);

  // Entry access; the index must be in 0 .. Count() - 1. Key views die with the entry.
  std::string_view Key(int32_t index) const;
  void* Object(int32_t index) const { return entries_[static_cast<size_t>(index)].object; }
  void SetObject(int32_t index, void* object) { entries_[static_cast<size_t>(index)].object = object; }
  void Delete(int32_t index);
  void Clear();

 private:
  // Trivially copyable, so that insertion into a large sorted bucket is one memmove, as in a
  // classic pointer list. `key` points at a 4-byte length followed by the bytes (owned).
  struct Entry {
    char* key;
    void* object;
  };
  static char* NewKey(std::string_view key);
  static std::string_view KeyOf(const Entry& e);

  std::vector<Entry> entries_;
  bool sorted_ = true;
};

}  // namespace velmor
