// TStrOrderList: a sorted list of key texts, each with one value, searched by bisection. The
// key index of the keyed data pack (store/base_pack_data.h).
//
// Keys compare byte by byte (case matters); a key is held once. A value object owned by its
// creator; one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmor {

template <class T>
class TStrOrderList {
 public:
  // Bisection: true with `index` at the key when present; false with `index` where it would go.
  bool Find(std::string_view key, int32_t& index) const {
    int32_t lo = 0;
    int32_t hi = Count() - 1;
    while (lo <= hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      const int c = std::string_view(items_[mid].first).compare(key);
      if (c == 0) {
        index = mid;
        return true;
      }
      if (c < 0) {
        lo = mid + 1;
      } else {
        hi = mid - 1;
      }
    }
    index = lo;
    return false;
  }
  // Inserts `key` in order; a key already held keeps its value and false is answered.
  bool Add(std::string key, T value) {
    int32_t at = 0;
    if (Find(key, at)) return false;
    items_.insert(items_.begin() + at, {std::move(key), std::move(value)});
    return true;
  }
  // The value of `key`, or nullptr.
  const T* Value(std::string_view key) const {
    int32_t at = 0;
    return Find(key, at) ? &items_[at].second : nullptr;
  }
  T* Value(std::string_view key) {
    int32_t at = 0;
    return Find(key, at) ? &items_[at].second : nullptr;
  }
  bool Remove(std::string_view key) {
    int32_t at = 0;
    if (!Find(key, at)) return false;
    items_.erase(items_.begin() + at);
    return true;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const std::string& Key(int32_t index) const { return items_.at(index).first; }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::pair<std::string, T>> items_;
};

}  // namespace velmor
