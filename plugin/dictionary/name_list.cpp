#include "dictionary/name_list.h"

namespace velmor::dict {

std::string FoldCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

void NameList::Add(std::string text) {
  index_.try_emplace(FoldCase(text), items_.size());
  items_.push_back(std::move(text));
}

void NameList::Set(size_t index, std::string text) {
  std::string oldKey = FoldCase(items_[index]);
  items_[index] = std::move(text);
  // Rebuild the index of the old and the new key: both may now point elsewhere.
  index_.erase(oldKey);
  std::string newKey = FoldCase(items_[index]);
  index_.erase(newKey);
  for (size_t i = 0; i < items_.size(); ++i) {
    std::string key = FoldCase(items_[i]);
    if (key == oldKey || key == newKey) index_.try_emplace(std::move(key), i);
  }
}

size_t NameList::IndexOf(std::string_view text) const {
  auto it = index_.find(FoldCase(text));
  return it == index_.end() ? kNotFound : it->second;
}

void NameList::Clear() {
  items_.clear();
  index_.clear();
}

std::string NameList::Text() const {
  std::string out;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) out += "\r\n";
    out += items_[i];
  }
  return out;
}

void PairList::Add(std::string_view code, std::string_view name) {
  codes_.Add(std::string(code));
  values_.emplace_back(name);
}

std::string PairList::ValueOf(std::string_view code) const {
  size_t i = codes_.IndexOf(code);
  return i == NameList::kNotFound ? std::string() : values_[i];
}

std::string SortedLines::Text() const {
  std::string out;
  for (const std::string& line : lines_) {
    if (!out.empty()) out += "\r\n";
    out += line;
  }
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
      if (i > start) out.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

}  // namespace velmor::dict
