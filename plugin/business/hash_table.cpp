#include "business/hash_table.h"

#include <array>
#include <bit>
#include <cstdio>

namespace velmor {
namespace {

constexpr std::array<uint8_t, 256> MakeCrc8Table() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) {
    uint8_t c = static_cast<uint8_t>(i);
    for (int b = 0; b < 8; ++b) c = static_cast<uint8_t>((c & 0x80) ? (c << 1) ^ 0x07 : c << 1);
    t[static_cast<size_t>(i)] = c;
  }
  return t;
}

constexpr std::array<uint32_t, 256> MakeCrc32Table() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i << 24;
    for (int b = 0; b < 8; ++b) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
    t[i] = c;
  }
  return t;
}

constexpr auto kCrc8 = MakeCrc8Table();
constexpr auto kCrc32 = MakeCrc32Table();

// Calls f for each sampled byte of key.
template <class F>
inline void ForEachSample(std::string_view key, F&& f) {
  const auto* p = reinterpret_cast<const unsigned char*>(key.data());
  const size_t n = key.size();
  if (n < 32) {
    for (size_t i = 0; i < n; ++i) f(p[i]);
    return;
  }
  const size_t step = n / 32 + 1;
  for (size_t i = 0; i < n - 1; i += step) f(p[i]);
}

inline uint32_t Crc32Step(uint32_t crc, uint8_t b) { return kCrc32[crc >> 24] ^ (crc << 8) ^ b; }

// A clamped count rounded up to a power of two (the mask in HashOf needs one).
int32_t PowerOfTwoAtLeast(int32_t n) { return static_cast<int32_t>(std::bit_ceil(static_cast<uint32_t>(n))); }

}  // namespace

uint8_t TBaseHashTable::Crc8Of(std::string_view key) {
  uint8_t h = 0;
  ForEachSample(key, [&](uint8_t b) { h = kCrc8[h ^ b]; });
  return h;
}

uint32_t TBaseHashTable::Crc32Of(std::string_view key, uint32_t seed) {
  uint32_t crc = 0xFFFFFFFFu;
  ForEachSample(key, [&](uint8_t b) { crc = Crc32Step(crc, b); });
  for (int shift = 24; shift >= 0; shift -= 8) crc = Crc32Step(crc, static_cast<uint8_t>(seed >> shift));
  return crc;  // no final inversion
}

TBaseHashTable::TBaseHashTable(int32_t bucketCount, int32_t bucketCapacity)
    : bucket_capacity_(bucketCapacity > 0 ? bucketCapacity : 0) {
  // ClampSize is virtual, but a derived class is not yet constructed here: use the base rule.
  int32_t n = PowerOfTwoAtLeast(TBaseHashTable::ClampSize(bucketCount));
  MakeBuckets(n, bucket_capacity_, buckets_);
  bucket_count_ = n;
}

TBaseHashTable::~TBaseHashTable() = default;

void TBaseHashTable::MakeBuckets(int32_t count, int32_t capacity, std::vector<TBucket>& out) const {
  out.clear();
  out.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    out.emplace_back(capacity);
    if (!sorted_) out.back().SetSorted(false);
  }
}

void TBaseHashTable::RecountIfStale() {
  if (total_count_ >= 0) return;
  cumulative_.resize(buckets_.size());
  int32_t sum = 0;
  for (size_t i = 0; i < buckets_.size(); ++i) {
    sum += buckets_[i].Count();
    cumulative_[i] = sum;
  }
  total_count_ = sum;
}

int32_t TBaseHashTable::GetCount() {
  RecountIfStale();
  return total_count_;
}

std::string TBaseHashTable::GetKey(int32_t index) {
  if (index < 0 || index >= GetCount()) return {};
  // The first bucket whose cumulative count exceeds index: halve the range, then scan.
  int32_t lo = 0, hi = bucket_count_ - 1;
  while (hi - lo >= 4) {
    int32_t mid = lo + (hi - lo) / 2;
    if (cumulative_[static_cast<size_t>(mid)] > index) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  for (int32_t b = lo; b <= hi; ++b) {
    if (cumulative_[static_cast<size_t>(b)] > index) {
      int32_t before = b > 0 ? cumulative_[static_cast<size_t>(b - 1)] : 0;
      return std::string(buckets_[static_cast<size_t>(b)].Key(index - before));
    }
  }
  return {};
}

int32_t TBaseHashTable::NextSize(int32_t current) {
  int64_t next = static_cast<int64_t>(current) * 256;
  return next > INT32_MAX ? INT32_MAX : static_cast<int32_t>(next);
}

uint32_t TBaseHashTable::HashOf(std::string_view key) {
  return Crc32Of(key, 0) & static_cast<uint32_t>(bucket_count_ - 1);
}

int32_t TBaseHashTable::ClampSize(int32_t size) {
  if (size < kMinBuckets) return kMinBuckets;
  if (size > kMaxBuckets) return kMaxBuckets;
  return size;
}

void TBaseHashTable::Resize(int32_t newCount, int32_t bucketCapacity) {
  int32_t n = PowerOfTwoAtLeast(TBaseHashTable::ClampSize(newCount));
  if (n == bucket_count_) return;
  std::vector<TBucket> fresh;
  MakeBuckets(n, bucketCapacity > 0 ? bucketCapacity : 0, fresh);
  std::vector<TBucket> old = std::move(buckets_);
  const int32_t oldCount = bucket_count_;
  const bool wasResizing = resizing_;
  buckets_ = std::move(fresh);
  bucket_count_ = n;
  total_count_ = -1;
  resizing_ = true;
  try {
    for (TBucket& b : old)
      for (int32_t i = 0; i < b.Count(); ++i) Add(b.Key(i), b.Object(i));
  } catch (...) {
    buckets_ = std::move(old);
    bucket_count_ = oldCount;
    total_count_ = -1;
    resizing_ = wasResizing;
    throw;
  }
  resizing_ = wasResizing;
  ++rehash_count_;
}

void TBaseHashTable::SetUnsorted(bool unsorted) {
  sorted_ = !unsorted;
  for (TBucket& b : buckets_) b.SetSorted(sorted_);
  total_count_ = -1;  // sorting reorders entries within buckets
}

bool TBaseHashTable::Contains(std::string_view key) { return BucketFor(key).IndexOf(key) >= 0; }

int32_t TBaseHashTable::IndexOf(std::string_view key) {
  const uint32_t b = HashOf(key);
  const int32_t i = buckets_[b].IndexOf(key);
  if (i < 0) return -1;
  RecountIfStale();
  return i + (b > 0 ? cumulative_[b - 1] : 0);
}

void* TBaseHashTable::GetObject(std::string_view key) {
  TBucket& b = BucketFor(key);
  int32_t i = b.IndexOf(key);
  return i < 0 ? nullptr : b.Object(i);
}

void TBaseHashTable::SetObject(std::string_view key, void* object) {
  TBucket& b = BucketFor(key);
  int32_t i = b.IndexOf(key);
  if (i >= 0) b.SetObject(i, object);
}

std::string TBaseHashTable::GetStats() {
  int32_t maxSize = 0, minSize = INT32_MAX, spare = 0;
  for (const TBucket& b : buckets_) {
    int32_t c = b.Count();
    if (c > maxSize) maxSize = c;
    if (c < minSize) minSize = c;
    if (c == 0) ++spare;
  }
  if (buckets_.empty()) minSize = 0;
  char buf[160];
  std::snprintf(buf, sizeof buf, "Count:%d; Buckets:%d; Max:%d; Min:%d; Spare:%d; Rehash:%d", GetCount(),
                bucket_count_, maxSize, minSize, spare, rehash_count_);
  return buf;
}

void TBaseHashTable::Add(std::string_view key, void* object) {
  TBucket& b = BucketFor(key);
  b.Add(key, object);
  total_count_ = -1;
  if (!resizing_ && b.Count() > max_bucket_size_ && bucket_count_ < kMaxBuckets) {
    Resize(ClampSize(NextSize(bucket_count_)), bucket_capacity_);
  }
}

void TBaseHashTable::Clear() {
  for (TBucket& b : buckets_) b.Clear();
  total_count_ = -1;
}

void TBaseHashTable::Remove(std::string_view key) {
  TBucket& b = BucketFor(key);
  int32_t i = b.IndexOf(key);
  if (i < 0) return;
  b.Delete(i);
  total_count_ = -1;
}

}  // namespace velmor
