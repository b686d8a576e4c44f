#include "business/hash_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmor {
namespace {

void* Obj(intptr_t n) { return reinterpret_cast<void*>(n); }

// Bit-at-a-time shift register of polynomial 0x04C11DB7 over the sampled bytes and four seed
// bytes: an independent statement of the 32-bit hash.
uint32_t ReferenceCrc32(const std::string& key, uint32_t seed) {
  std::vector<uint8_t> bytes;
  if (key.size() < 32) {
    bytes.assign(key.begin(), key.end());
  } else {
    size_t step = key.size() / 32 + 1;
    for (size_t i = 0; i < key.size() - 1; i += step) bytes.push_back(static_cast<uint8_t>(key[i]));
  }
  for (int s = 24; s >= 0; s -= 8) bytes.push_back(static_cast<uint8_t>(seed >> s));
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      bool top = crc & 0x80000000u;
      crc = (crc << 1) | ((b >> bit) & 1u);
      if (top) crc ^= 0x04C11DB7u;
    }
  }
  return crc;
}

// Keys "k0", "k1", ... that all fall into the same bucket of `hash`.
template <class Hash>
std::vector<std::string> KeysInOneBucket(size_t count, Hash hash) {
  std::map<uint32_t, std::vector<std::string>> byBucket;
  for (int i = 0;; ++i) {
    std::string k = "k" + std::to_string(i);
    auto& v = byBucket[hash(k)];
    v.push_back(k);
    if (v.size() == count) return v;
  }
}

TEST(HashFunctions, Crc8IsTheStandardPolynomial07) {
  EXPECT_EQ(TBaseHashTable::Crc8Of("123456789"), 0xF4);  // the published check value
  EXPECT_EQ(TBaseHashTable::Crc8Of(""), 0);
  EXPECT_EQ(TBaseHashTable::Crc8Of(std::string(1, '\x01')), 0x07);
}

TEST(HashFunctions, Crc32MatchesTheShiftRegisterWithoutFinalInversion) {
  for (const std::string& k : std::vector<std::string>{"", "a", "123456789", "社保费", std::string(31, 'x'), std::string(32, 'y'),
                              std::string(1000, 'z') + "tail"}) {
    EXPECT_EQ(TBaseHashTable::Crc32Of(k, 0), ReferenceCrc32(k, 0)) << k;
    EXPECT_EQ(TBaseHashTable::Crc32Of(k, 0xA1B2C3D4u), ReferenceCrc32(k, 0xA1B2C3D4u)) << k;
  }
}

TEST(HashFunctions, LongKeysAreSampled) {
  // 64 bytes: step 3, sampled positions 0, 3, ..., 60; the last byte is never sampled.
  std::string a(64, 'a');
  std::string b = a;
  b[1] = 'B';
  b[63] = 'Z';
  EXPECT_EQ(TBaseHashTable::Crc8Of(a), TBaseHashTable::Crc8Of(b));
  EXPECT_EQ(TBaseHashTable::Crc32Of(a, 0), TBaseHashTable::Crc32Of(b, 0));
  b[3] = 'C';  // a sampled position
  EXPECT_NE(TBaseHashTable::Crc32Of(a, 0), TBaseHashTable::Crc32Of(b, 0));
  // Under 32 bytes every byte counts, the last one included.
  std::string c(31, 'a'), d = c;
  d[30] = 'b';
  EXPECT_NE(TBaseHashTable::Crc8Of(c), TBaseHashTable::Crc8Of(d));
}

TEST(HashTable, AddingAKeyAgainReplacesItsObject) {
  THashTable t;
  t.Add("djxh", Obj(1));
  t.Add("djxh", Obj(2));
  EXPECT_EQ(t.GetCount(), 1);
  EXPECT_EQ(t.GetObject("djxh"), Obj(2));
}

TEST(HashTable, AbsentKeys) {
  THashTable t;
  t.Add("a", Obj(1));
  t.SetObject("b", Obj(2));
  EXPECT_EQ(t.GetCount(), 1);
  EXPECT_FALSE(t.Contains("b"));
  EXPECT_EQ(t.GetObject("b"), nullptr);
  EXPECT_EQ(t.IndexOf("b"), -1);
  t.Remove("b");
  EXPECT_EQ(t.GetCount(), 1);
  t.SetObject("a", Obj(3));
  EXPECT_EQ(t.GetObject("a"), Obj(3));
}

TEST(HashTable, KeysAreCaseSensitive) {
  THashTable t;
  t.Add("Zjhm", Obj(1));
  t.Add("zjhm", Obj(2));
  t.Add("ZJHM", Obj(3));
  EXPECT_EQ(t.GetCount(), 3);
  EXPECT_EQ(t.GetObject("zjhm"), Obj(2));
  EXPECT_FALSE(t.Contains("zJhm"));
}

TEST(HashTable, EmptyKeyAndBinaryKeysAreOrdinaryKeys) {
  THashTable t;
  t.Add("", Obj(1));
  t.Add(std::string("a\0b", 3), Obj(2));
  t.Add("a", Obj(3));
  EXPECT_EQ(t.GetObject(""), Obj(1));
  EXPECT_EQ(t.GetObject(std::string("a\0b", 3)), Obj(2));
  EXPECT_EQ(t.GetObject("a"), Obj(3));
  EXPECT_EQ(t.GetCount(), 3);
}

TEST(HashTable, ThreeHundredKeysInOneBucketNeverResize) {
  THashTable t;
  auto keys = KeysInOneBucket(300, [](const std::string& k) { return TBaseHashTable::Crc8Of(k); });
  for (size_t i = 0; i < keys.size(); ++i) t.Add(keys[i], Obj(static_cast<intptr_t>(i + 1)));
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(t.GetObject(keys[i]), Obj(static_cast<intptr_t>(i + 1)));
  EXPECT_EQ(t.BucketCount(), 256);
  EXPECT_EQ(t.RehashCount(), 0);
  EXPECT_EQ(t.GetStats(), "Count:300; Buckets:256; Max:300; Min:0; Spare:255; Rehash:0");
}

TEST(HashTable, StatsOfAnEmptyTable) {
  THashTable t;
  EXPECT_EQ(t.GetStats(), "Count:0; Buckets:256; Max:0; Min:0; Spare:256; Rehash:0");
  t.Add("x", Obj(1));
  t.Clear();
  EXPECT_EQ(t.GetStats(), "Count:0; Buckets:256; Max:0; Min:0; Spare:256; Rehash:0");
}

TEST(HashTable, LongKeysDifferingOnlyInUnsampledBytesShareABucketAndStayApart) {
  THashTable t;
  std::vector<std::string> keys;
  for (char c = 'A'; c <= 'Z'; ++c) {
    std::string k(40, '-');  // step 2: odd positions unsampled
    k[1] = c;
    k[39] = c;
    keys.push_back(k);
  }
  for (size_t i = 0; i < keys.size(); ++i) t.Add(keys[i], Obj(static_cast<intptr_t>(i + 1)));
  EXPECT_EQ(t.GetCount(), 26);
  EXPECT_EQ(t.BucketAt(static_cast<int32_t>(t.HashOf(keys[0]))).Count(), 26);
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(t.GetObject(keys[i]), Obj(static_cast<intptr_t>(i + 1)));
}

// Every key's global index agrees with a count over the buckets, and GetKey inverts IndexOf.
void CheckGlobalIndexes(TBaseHashTable& t) {
  int32_t expected = 0;
  for (int32_t b = 0; b < t.BucketCount(); ++b) {
    const TBucket& bucket = t.BucketAt(b);
    for (int32_t i = 0; i < bucket.Count(); ++i, ++expected) {
      std::string key(bucket.Key(i));
      ASSERT_EQ(t.IndexOf(key), expected) << key;
      ASSERT_EQ(t.GetKey(expected), key);
    }
  }
  EXPECT_EQ(t.GetCount(), expected);
  EXPECT_EQ(t.GetKey(-1), "");
  EXPECT_EQ(t.GetKey(expected), "");
}

TEST(HashTable, GlobalIndexesRunBucketByBucket) {
  THashTable t;
  for (int i = 0; i < 2000; ++i) t.Add("rydjxh" + std::to_string(i * 7919), Obj(i));
  CheckGlobalIndexes(t);
  // Stale counts are recomputed after changes.
  t.Remove("rydjxh0");
  t.Add("new-key", Obj(1));
  CheckGlobalIndexes(t);
}

TEST(HashTable, GlobalIndexesWithFewEntriesAndManyEmptyBuckets) {
  TBaseHashTable t(65536);
  for (const char* k : {"a", "b", "c"}) t.Add(k, Obj(1));
  CheckGlobalIndexes(t);
  THashTable one;
  one.Add("only", Obj(1));
  EXPECT_EQ(one.GetKey(0), "only");
  EXPECT_EQ(one.IndexOf("only"), 0);
}

TEST(HashTable, KeysInABucketAreSorted) {
  THashTable t;
  auto keys = KeysInOneBucket(20, [](const std::string& k) { return TBaseHashTable::Crc8Of(k); });
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) t.Add(*it, Obj(1));
  const TBucket& b = t.BucketAt(static_cast<int32_t>(TBaseHashTable::Crc8Of(keys[0])));
  for (int32_t i = 1; i < b.Count(); ++i) EXPECT_LT(b.Key(i - 1), b.Key(i));
}

TEST(HashTable, UnsortedBucketsAppendDuplicates) {
  THashTable t;
  t.SetUnsorted(true);
  t.Add("b", Obj(1));
  t.Add("b", Obj(2));
  t.Add("a", Obj(3));
  EXPECT_EQ(t.GetCount(), 3);
  EXPECT_EQ(t.GetObject("b"), Obj(1));  // the first of the duplicates
  t.SetUnsorted(false);
  EXPECT_EQ(t.GetCount(), 3);
  EXPECT_EQ(t.GetObject("a"), Obj(3));
  t.Add("a", Obj(4));  // sorted again: replaces
  EXPECT_EQ(t.GetCount(), 3);
  EXPECT_EQ(t.GetObject("a"), Obj(4));
}

TEST(HashTable, RemoveKeepsTheOthers) {
  THashTable t;
  for (int i = 0; i < 100; ++i) t.Add("k" + std::to_string(i), Obj(i + 1));
  for (int i = 0; i < 100; i += 2) t.Remove("k" + std::to_string(i));
  EXPECT_EQ(t.GetCount(), 50);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(t.Contains("k" + std::to_string(i)), i % 2 == 1) << i;
}

TEST(BaseHashTable, BucketCountsAreClampedPowersOfTwo) {
  EXPECT_EQ(TBaseHashTable(10).BucketCount(), 256);
  EXPECT_EQ(TBaseHashTable(300).BucketCount(), 512);
  EXPECT_EQ(TBaseHashTable(1 << 30).BucketCount(), 1048576);
  EXPECT_EQ(TBaseHashTable(-5).BucketCount(), 256);
  TBaseHashTable t;
  EXPECT_EQ(t.ClampSize(0), 256);
  EXPECT_EQ(t.ClampSize(5000), 5000);
  EXPECT_EQ(t.ClampSize(1 << 25), 1048576);
  EXPECT_EQ(t.NextSize(256), 65536);
  EXPECT_EQ(t.NextSize(1 << 30), INT32_MAX);
  EXPECT_EQ(t.MaxBucketSize(), 128);
}

TEST(BaseHashTable, ABucketOver128EntriesResizes) {
  TBaseHashTable t;
  auto keys = KeysInOneBucket(129, [](const std::string& k) { return TBaseHashTable::Crc32Of(k, 0) & 255u; });
  for (size_t i = 0; i < 128; ++i) t.Add(keys[i], Obj(static_cast<intptr_t>(i + 1)));
  EXPECT_EQ(t.BucketCount(), 256);
  EXPECT_EQ(t.RehashCount(), 0);
  t.Add(keys[128], Obj(129));
  EXPECT_EQ(t.BucketCount(), 65536);
  EXPECT_EQ(t.RehashCount(), 1);
  EXPECT_EQ(t.GetCount(), 129);
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(t.GetObject(keys[i]), Obj(static_cast<intptr_t>(i + 1)));
  EXPECT_NE(t.GetStats().find("Count:129; Buckets:65536; Max:"), std::string::npos);
  EXPECT_NE(t.GetStats().find("; Rehash:1"), std::string::npos);
  CheckGlobalIndexes(t);
}

TEST(BaseHashTable, KeysThatAlwaysCollideStopGrowingAtTheLimit) {
  // Same sampled bytes, so the same hash at every size: each resize leaves the bucket over the
  // limit, and growth must stop at 1048576 buckets without a resize inside a resize.
  TBaseHashTable t;
  std::vector<std::string> keys;
  for (int i = 0; i < 200; ++i) {
    std::string k(64, '.');
    k[1] = static_cast<char>('A' + i % 26);
    k[2] = static_cast<char>('a' + i / 26);
    keys.push_back(k);
  }
  for (size_t i = 0; i < keys.size(); ++i) t.Add(keys[i], Obj(static_cast<intptr_t>(i + 1)));
  EXPECT_EQ(t.BucketCount(), 1048576);
  EXPECT_EQ(t.RehashCount(), 2);
  EXPECT_EQ(t.GetCount(), 200);
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(t.GetObject(keys[i]), Obj(static_cast<intptr_t>(i + 1)));
}

TEST(BaseHashTable, ExplicitResizeKeepsEverything) {
  TBaseHashTable t;
  std::set<std::string> keys;
  for (int i = 0; i < 5000; ++i) {
    keys.insert("zjhm" + std::to_string(i));
    t.Add("zjhm" + std::to_string(i), Obj(i + 1));
  }
  t.Resize(1000, 4);  // rounded up to 1024
  EXPECT_EQ(t.BucketCount(), 1024);
  EXPECT_EQ(t.RehashCount(), 1);
  t.Resize(1024, 0);  // same size: nothing happens
  EXPECT_EQ(t.RehashCount(), 1);
  EXPECT_EQ(t.GetCount(), 5000);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(t.GetObject("zjhm" + std::to_string(i)), Obj(i + 1));
  std::set<std::string> seen;
  for (int32_t i = 0; i < t.GetCount(); ++i) seen.insert(t.GetKey(i));
  EXPECT_EQ(seen, keys);
}

TEST(BaseHashTable, UnsortedStateSurvivesAResize) {
  TBaseHashTable t;
  t.SetUnsorted(true);
  t.Add("dup", Obj(1));
  t.Add("dup", Obj(2));
  t.Resize(4096, 0);
  EXPECT_EQ(t.GetCount(), 2);
  t.Add("dup", Obj(3));
  EXPECT_EQ(t.GetCount(), 3);
}

}  // namespace
}  // namespace velmor
