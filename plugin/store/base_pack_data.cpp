#include "store/base_pack_data.h"

#include <algorithm>

#include "velmor/exceptions.h"

namespace velmor {

TBasePackDataImp::TBasePackDataImp(std::string className) : className_(std::move(className)) {}

void TBasePackDataImp::FreeData(Data& data) { data = nullptr; }

std::string TBasePackDataImp::GetKey(const Data&) const { return std::string(kNullKey); }

void TBasePackDataImp::OnDuplicateKey(Data&, const Data&) {}

int TBasePackDataImp::CompareData(const Data&, const Data&) const {
  throw Exception("当前实例：" + className_ + " 未实现CompareData方法");
}

void TBasePackDataImp::Clear() {
  for (auto& e : entries_) FreeData(e->data);
  entries_.clear();
  index_.reset();
  ResetCursor();
}

bool TBasePackDataImp::MoveTo(int32_t position) {
  if (position < 0 || position >= Count()) return false;
  position_ = position;
  bof_ = eof_ = false;
  return true;
}

void TBasePackDataImp::Create() { Clear(); }

int32_t TBasePackDataImp::Add(Data data) {
  auto entry = std::make_unique<Entry>(Entry{this, GetKey(data), Count(), std::move(data)});
  Entry* e = entry.get();
  entries_.push_back(std::move(entry));
  if (e->key != kNullKey) {
    if (!index_) index_ = std::make_unique<TStrOrderList<Entry*>>();
    if (Entry** held = index_->Value(e->key)) {
      OnDuplicateKey((*held)->data, e->data);
    } else {
      index_->Add(e->key, e);
    }
  }
  if (position_ < 0) MoveTo(0);  // the first entry brings the cursor onto it
  return e->position;
}

bool TBasePackDataImp::Delete(int32_t position) {
  if (position < 0 || position >= Count()) return false;
  std::unique_ptr<Entry> gone = std::move(entries_[position]);
  entries_.erase(entries_.begin() + position);
  Renumber(position);
  if (index_ && gone->key != kNullKey) {
    Entry** held = index_->Value(gone->key);
    if (held && *held == gone.get()) {
      // The next entry of the same key, if any, becomes the indexed one.
      auto next = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e->key == gone->key; });
      if (next != entries_.end()) {
        *held = next->get();
      } else {
        index_->Remove(gone->key);
      }
    }
  }
  FreeData(gone->data);
  if (entries_.empty()) {
    ResetCursor();
  } else if (position_ == position) {
    position_ = position < Count() ? position : Count() - 1;
  } else if (position_ > position) {
    --position_;  // the cursor stays on its entry
  }
  return true;
}

void TBasePackDataImp::Sort() {
  const Entry* current = Current();
  // Sorted as plain pointers first, so an order hook that raises leaves the entries as they were.
  std::vector<Entry*> order;
  for (auto& e : entries_) order.push_back(e.release());
  try {
    std::stable_sort(order.begin(), order.end(),
                     [this](const Entry* a, const Entry* b) { return CompareData(a->data, b->data) < 0; });
  } catch (...) {
    for (std::size_t i = 0; i < order.size(); ++i) entries_[order[i]->position].reset(order[i]);
    throw;
  }
  for (std::size_t i = 0; i < order.size(); ++i) entries_[i].reset(order[i]);
  Renumber(0);
  if (current) position_ = current->position;
}

const TBasePackDataImp::Entry& TBasePackDataImp::At(int32_t position) const {
  if (position < 0 || position >= Count()) {
    throw EListError::IndexOutOfBounds(position);
  }
  return *entries_[position];
}

const TBasePackDataImp::Entry* TBasePackDataImp::Find(std::string_view key) const {
  if (!index_) return nullptr;
  Entry* const* held = index_->Value(key);
  return held ? *held : nullptr;
}

const TBasePackDataImp::Entry* TBasePackDataImp::Current() const {
  return position_ >= 0 && position_ < Count() ? entries_[position_].get() : nullptr;
}

bool TBasePackDataImp::First() { return MoveTo(0); }
bool TBasePackDataImp::Last() { return MoveTo(Count() - 1); }

bool TBasePackDataImp::Next() {
  if (position_ + 1 >= Count()) {
    eof_ = true;
    return false;
  }
  ++position_;
  bof_ = false;
  return true;
}

bool TBasePackDataImp::Prior() {
  if (position_ <= 0) {
    bof_ = true;
    return false;
  }
  --position_;
  eof_ = false;
  return true;
}

void TBasePackDataImp::Renumber(int32_t from) {
  for (int32_t i = from; i < Count(); ++i) entries_[i]->position = i;
}

void TBasePackDataImp::ResetCursor() {
  position_ = -1;
  bof_ = eof_ = true;
}

}  // namespace velmor
