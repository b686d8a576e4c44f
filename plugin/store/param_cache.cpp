#include "store/param_cache.h"

namespace velmor {

void ParamCache::Clear() {
  own_.clear();
  global_.clear();
  ownIndex_.clear();
  globalIndex_.clear();
}

void ParamCache::Add(List& list, Index& index, std::string key, std::string value) {
  if (index.count(key)) return;
  index.emplace(key, list.size());
  list.emplace_back(std::move(key), std::move(value));
}

void ParamCache::Set(List& list, Index& index, const std::string& key, const std::string& value) {
  auto it = index.find(key);
  if (it != index.end()) {
    list[it->second].second = value;
  } else {
    Add(list, index, key, value);
  }
}

const std::string* ParamCache::Lookup(const List& list, const Index& index, const std::string& key) {
  auto it = index.find(key);
  return it == index.end() ? nullptr : &list[it->second].second;
}

const std::string* ParamCache::Find(const std::string& key) const {
  if (const std::string* own = Lookup(own_, ownIndex_, key)) return own;
  return Lookup(global_, globalIndex_, key);
}

std::vector<ParamCache::Entry> ParamCache::Effective() const {
  std::vector<Entry> out;
  out.reserve(own_.size() + global_.size());
  for (const auto& [k, v] : own_) out.push_back({k, v, true});
  for (const auto& [k, v] : global_) {
    if (!ownIndex_.count(k)) out.push_back({k, v, false});
  }
  return out;
}

}  // namespace velmor
