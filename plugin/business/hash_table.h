// The module's string-keyed hash table: each key maps to one object pointer, in buckets that are
// sorted, case-sensitive string lists (TBucket).
//
// TBaseHashTable has a power-of-two number of buckets chosen by a 32-bit CRC of the key and grows
// (x256, up to 1048576 buckets) when one bucket passes 128 entries. THashTable, the form the
// module uses, has exactly 256 buckets chosen by an 8-bit CRC and never resizes. Both hash a
// sample of a long key (every byte of keys under 32 bytes; otherwise bytes 0, s, 2s, ... before
// the last, s = length / 32 + 1), so long keys differing only elsewhere share a bucket and are
// told apart by the bucket's list.
//
// Entries are numbered globally bucket by bucket (IndexOf/GetKey); the numbering changes with
// every Add or Remove. The table owns its key texts, never the objects. Not locked: one thread at
// a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "business/bucket.h"

namespace velmor {

class TBaseHashTable {
 public:
  static constexpr int32_t kMinBuckets = 256;
  static constexpr int32_t kMaxBuckets = 1048576;
  static constexpr int32_t kMaxBucketSize = 128;

  // The count is clamped to 256 .. 1048576 and rounded up to a power of two; bucketCapacity is
  // the initial capacity of each bucket (0: none reserved).
  explicit TBaseHashTable(int32_t bucketCount = kMinBuckets, int32_t bucketCapacity = 0);
  virtual ~TBaseHashTable();
  TBaseHashTable(const TBaseHashTable&) = delete;
  TBaseHashTable& operator=(const TBaseHashTable&) = delete;

  // Number of entries (recomputes the cumulative counts when an Add or Remove made them stale).
  virtual int32_t GetCount();
  // The key at a global index; empty when the index is out of range.
  virtual std::string GetKey(int32_t index);
  // current x 256 (saturating).
  virtual int32_t NextSize(int32_t current);
  // The bucket index of key: CRC-32 of the sample, seed 0, masked by BucketCount - 1.
  virtual uint32_t HashOf(std::string_view key);
  virtual int32_t ClampSize(int32_t size);
  // Rebuilds with newCount buckets (clamped and rounded up to a power of two) when that differs
  // from the current count, adding every entry again; counted in RehashCount. On failure the
  // table is left as it was.
  virtual void Resize(int32_t newCount, int32_t bucketCapacity);
  // Makes every bucket unsorted (appending, duplicates allowed) or sorted again.
  virtual void SetUnsorted(bool unsorted);
  virtual bool Contains(std::string_view key);
  // Global index of key, -1 when absent.
  virtual int32_t IndexOf(std::string_view key);
  // The key's object, null when absent.
  virtual void* GetObject(std::string_view key);
  // Replaces the object of a present key; an absent key is not added.
  virtual void SetObject(std::string_view key, void* object);
  // "Count:%d; Buckets:%d; Max:%d; Min:%d; Spare:%d; Rehash:%d"
  virtual std::string GetStats();
  // Adds, or replaces the object of a present key (sorted buckets).
  virtual void Add(std::string_view key, void* object);
  virtual void Clear();

  // Deletes the key's entry when present.
  void Remove(std::string_view key);

  int32_t BucketCount() const { return bucket_count_; }
  int32_t RehashCount() const { return rehash_count_; }
  int32_t MaxBucketSize() const { return max_bucket_size_; }
  const TBucket& BucketAt(int32_t index) const { return buckets_[static_cast<size_t>(index)]; }

  // The two hashes over the sampled bytes of key.
  static uint8_t Crc8Of(std::string_view key);
  static uint32_t Crc32Of(std::string_view key, uint32_t seed);

 protected:
  TBucket& BucketFor(std::string_view key) { return buckets_[HashOf(key)]; }

 private:
  void MakeBuckets(int32_t count, int32_t capacity, std::vector<TBucket>& out) const;
  void RecountIfStale();

  std::vector<TBucket> buckets_;
  int32_t bucket_count_ = 0;
  int32_t total_count_ = -1;  // -1: cumulative_ must be recomputed
  std::vector<int32_t> cumulative_;
  int32_t max_bucket_size_ = kMaxBucketSize;
  int32_t rehash_count_ = 0;
  int32_t bucket_capacity_ = 0;
  bool sorted_ = true;
  // Set while Resize re-adds entries, so that those Adds never start a nested resize.
  bool resizing_ = false;
};

// 256 buckets by the 8-bit CRC; never resizes.
class THashTable : public TBaseHashTable {
 public:
  explicit THashTable(int32_t bucketCapacity = 0) : TBaseHashTable(kMinBuckets, bucketCapacity) {}
  uint32_t HashOf(std::string_view key) override { return Crc8Of(key); }
  void Resize(int32_t, int32_t) override {}
};

}  // namespace velmor
