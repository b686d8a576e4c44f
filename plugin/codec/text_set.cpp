#include "codec/text_set.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace velmor {

namespace {

uint32_t HashOf(std::string_view text) { return static_cast<uint32_t>(std::hash<std::string_view>{}(text)); }

}  // namespace

std::string_view TextSet::Text(size_t i) const {
  const size_t from = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(texts_).substr(from, ends_[i] - from);
}

size_t TextSet::Find(std::string_view text, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint64_t slot = slots_[i];
    if (slot == 0 || (static_cast<uint32_t>(slot >> 32) == hash && Text((slot & 0xFFFFFFFF) - 1) == text)) return i;
  }
}

void TextSet::Grow(size_t slots) {
  size_t size = 1024;
  while (size < slots) size *= 2;
  if (size <= slots_.size()) return;
  std::vector<uint64_t> old(size, 0);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (uint64_t slot : old) {
    if (slot == 0) continue;
    size_t i = (slot >> 32) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void TextSet::Reserve(size_t count) {
  ends_.reserve(count);
  Grow(count * 2);
}

std::pair<size_t, bool> TextSet::Add(std::string_view text) {
  if ((ends_.size() + 1) * 2 > slots_.size()) Grow(std::max<size_t>(1024, slots_.size() * 4));
  const uint32_t hash = HashOf(text);
  const size_t at = Find(text, hash);
  if (slots_[at] != 0) return {(slots_[at] & 0xFFFFFFFF) - 1, false};
  if (texts_.size() + text.size() > UINT32_MAX || ends_.size() >= UINT32_MAX - 1)
    throw std::length_error("TextSet: more than 4 GiB of texts");
  texts_.append(text);
  ends_.push_back(static_cast<uint32_t>(texts_.size()));
  slots_[at] = uint64_t{hash} << 32 | ends_.size();
  return {ends_.size() - 1, true};
}

bool TextSet::Contains(std::string_view text) const { return !slots_.empty() && slots_[Find(text, HashOf(text))] != 0; }

}  // namespace velmor
