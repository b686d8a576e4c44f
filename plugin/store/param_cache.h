// ParamCache: the cached parameters of one payer: its own values and the "global_param" values,
// each in load order. A key's effective value is the payer's own when it has one, else the
// global one (the first row of a key wins within each, as in a name=value list). Keys compare
// exactly, as the store does. A plain value; the owner serialises access.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmor {

class ParamCache {
 public:
  struct Entry {
    std::string key, value;
    bool own;  // false: a "global_param" value
  };

  void Clear();
  // Adds a loaded row; a key already held in the same part keeps its first value.
  void AddOwn(std::string key, std::string value) { Add(own_, ownIndex_, std::move(key), std::move(value)); }
  void AddGlobal(std::string key, std::string value) { Add(global_, globalIndex_, std::move(key), std::move(value)); }
  // Sets (or adds) the value in that part.
  void SetOwn(const std::string& key, const std::string& value) { Set(own_, ownIndex_, key, value); }
  void SetGlobal(const std::string& key, const std::string& value) { Set(global_, globalIndex_, key, value); }

  // The effective value, or null.
  const std::string* Find(const std::string& key) const;
  const std::string* FindGlobal(const std::string& key) const { return Lookup(global_, globalIndex_, key); }
  // Every effective value: the payer's own first, then the global ones it does not shadow.
  std::vector<Entry> Effective() const;

 private:
  using List = std::vector<std::pair<std::string, std::string>>;
  using Index = std::unordered_map<std::string, size_t>;
  static void Add(List& list, Index& index, std::string key, std::string value);
  static void Set(List& list, Index& index, const std::string& key, const std::string& value);
  static const std::string* Lookup(const List& list, const Index& index, const std::string& key);

  List own_, global_;
  Index ownIndex_, globalIndex_;
};

}  // namespace velmor
