#include "business/bucket.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace velmor {

TBucket::TBucket(int32_t capacity) {
  if (capacity > 0) entries_.reserve(static_cast<size_t>(capacity));
}

TBucket::~TBucket() { Clear(); }

TBucket::TBucket(TBucket&& other) noexcept
    : entries_(std::move(other.entries_)), sorted_(other.sorted_) {
  other.entries_.clear();
}

TBucket& TBucket::operator=(TBucket&& other) noexcept {
  if (this != &other) {
    Clear();
    entries_ = std::move(other.entries_);
    other.entries_.clear();
    sorted_ = other.sorted_;
  }
  return *this;
}

char* TBucket::NewKey(std::string_view key) {
  if (key.size() > UINT32_MAX - sizeof(uint32_t)) throw std::length_error("hash key too long");
  uint32_t len = static_cast<uint32_t>(key.size());
  char* p = new char[sizeof len + len];
  std::memcpy(p, &len, sizeof len);
  if (len) std::memcpy(p + sizeof len, key.data(), len);
  return p;
}

std::string_view TBucket::KeyOf(const Entry& e) {
  uint32_t len;
  std::memcpy(&len, e.key, sizeof len);
  return std::string_view(e.key + sizeof len, len);
}

std::string_view TBucket::Key(int32_t index) const { return KeyOf(entries_[static_cast<size_t>(index)]); }

void TBucket::SetSorted(bool sorted) {
  if (sorted && !sorted_) {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return KeyOf(a) < KeyOf(b); });
  }
  sorted_ = sorted;
}

bool TBucket::Find(std::string_view key, int32_t* index) const {
  if (!sorted_) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (KeyOf(entries_[i]) == key) {
        *index = static_cast<int32_t>(i);
        return true;
      }
    }
    *index = Count();
    return false;
  }
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const Entry& e, std::string_view k) { return KeyOf(e) < k; });
  *index = static_cast<int32_t>(it - entries_.begin());
  return it != entries_.end() && KeyOf(*it) == key;
}

int32_t TBucket::IndexOf(std::string_view key) const {
  int32_t i = 0;
  return Find(key, &i) ? i : -1;
}

int32_t TBucket::Add(std::string_view key, void* object) {
  if (!sorted_) {
    char* k = NewKey(key);
    try {
      entries_.push_back({k, object});
    } catch (...) {
      delete[] k;
      throw;
    }
    return Count() - 1;
  }
  int32_t i = 0;
  if (Find(key, &i)) {
    entries_[static_cast<size_t>(i)].object = object;
    return i;
  }
  char* k = NewKey(key);
  try {
    entries_.insert(entries_.begin() + i, Entry{k, object});
  } catch (...) {
    delete[] k;
    throw;
  }
  return i;
}

void TBucket::Delete(int32_t index) {
  delete[] entries_[static_cast<size_t>(index)].key;
  entries_.erase(entries_.begin() + index);
}

void TBucket::Clear() {
  for (Entry& e : entries_) delete[] e.key;
  entries_.clear();
}

}  // namespace velmor
