#include "codec/text_set.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace velmor {

uint32_t TextSlots::Hash(std::string_view text) { return static_cast<uint32_t>(std::hash<std::string_view>{}(text)); }

void TextSlots::Grow(size_t slots) {
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

std::string_view TextSet::Text(size_t i) const {
  const size_t from = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(texts_).substr(from, ends_[i] - from);
}

void TextSet::Reserve(size_t count) {
  ends_.reserve(count);
  slots_.Reserve(count);
}

std::pair<size_t, bool> TextSet::Add(std::string_view text) {
  slots_.MakeRoom();
  const uint32_t hash = TextSlots::Hash(text);
  const size_t at = slots_.Find(text, hash, [this](size_t i) { return Text(i); });
  if (slots_.Taken(at)) return {slots_.Number(at), false};
  if (texts_.size() + text.size() > UINT32_MAX || ends_.size() >= UINT32_MAX - 1)
    throw std::length_error("TextSet: more than 4 GiB of texts");
  texts_.append(text);
  ends_.push_back(static_cast<uint32_t>(texts_.size()));
  slots_.Put(at, hash, ends_.size() - 1);
  return {ends_.size() - 1, true};
}

bool TextSet::Contains(std::string_view text) const {
  return !slots_.Empty() &&
         slots_.Taken(slots_.Find(text, TextSlots::Hash(text), [this](size_t i) { return Text(i); }));
}

}  // namespace velmor
