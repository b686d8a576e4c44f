// TBasePackDataImp: the keyed data pack. An ordered list of entries (owner, key text, position,
// data item) with a cursor, and a key index created with the first entry whose key is not
// "__NULL_KEY__". Subclasses give the key of an item, merge an item whose key is already
// indexed, and order items.
//
// Cursor: a position (-1 for none) with a begin flag (set by a step before the first entry, and
// while the pack is empty) and an end flag (a step past the last entry, and while empty).
// Deleting the entry under the cursor moves it to the same position (the next entry), else the
// one before, else none. The index keeps the first entry of a key; when that entry goes, the
// next entry of the same key takes its place.
//
// Owned by its creator; one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "store/str_order_list.h"

namespace velmor {

class TBasePackDataImp {
 public:
  using Data = nlohmann::ordered_json;
  static constexpr std::string_view kNullKey = "__NULL_KEY__";

  struct Entry {
    const TBasePackDataImp* owner;
    std::string key;
    int32_t position;
    Data data;
  };

  // `className` names the subclass in the message of an order it does not define.
  explicit TBasePackDataImp(std::string className);
  virtual ~TBasePackDataImp() = default;
  TBasePackDataImp(const TBasePackDataImp&) = delete;
  TBasePackDataImp& operator=(const TBasePackDataImp&) = delete;

  // The hooks, in slot order.
  // An item leaves the pack (deleted or cleared).
  virtual void FreeData(Data& data);
  // The key of an item; kNullKey (the default) leaves it out of the index.
  virtual std::string GetKey(const Data& data) const;
  // An item was added whose key is already indexed: `indexed` is the indexed entry's data,
  // `added` the new one. The index keeps the first entry.
  virtual void OnDuplicateKey(Data& indexed, const Data& added);
  // Order of two items (<0, 0, >0); the default raises "当前实例：<class> 未实现CompareData方法".
  virtual int CompareData(const Data& a, const Data& b) const;
  // Removes every entry (and the index); the cursor goes to none.
  virtual void Clear();
  // The cursor onto `position`; false (the cursor unchanged) outside the list.
  virtual bool MoveTo(int32_t position);
  // Empties the pack as new.
  virtual void Create();

  // Appends an item; answers its position.
  int32_t Add(Data data);
  // Deletes the entry at `position`; false outside the list.
  bool Delete(int32_t position);
  // Orders the entries by CompareData (stable); the cursor follows its entry.
  void Sort();

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  const Entry& At(int32_t position) const;
  // The indexed (first) entry of `key`, or nullptr (also when no index exists yet).
  const Entry* Find(std::string_view key) const;
  bool HasIndex() const { return index_ != nullptr; }

  int32_t Position() const { return position_; }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // The entry under the cursor, or nullptr.
  const Entry* Current() const;
  bool First();
  bool Last();
  // One step; at the end (begin) the end (begin) flag is set and the cursor stays.
  bool Next();
  bool Prior();

  const std::string& ClassName() const { return className_; }

 private:
  void Renumber(int32_t from);
  void ResetCursor();

  std::string className_;
  std::vector<std::unique_ptr<Entry>> entries_;
  std::unique_ptr<TStrOrderList<Entry*>> index_;
  int32_t position_ = -1;
  bool bof_ = true;
  bool eof_ = true;
};

}  // namespace velmor
