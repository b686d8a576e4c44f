// Hash tables keyed by text that are searched with a view as well as a string, so a key read
// from a record or handed in by a caller is looked up without being copied first.
//
// Types only; a table of them follows the usual rule of the standard containers (one writer, or
// readers only, at a time).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace velmor {

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

using TextSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;
template <typename V>
using TextMap = std::unordered_map<std::string, V, TextHash, std::equal_to<>>;

}  // namespace velmor
