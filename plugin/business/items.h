// TItems: the module's list of interface references (IItems), and TItemsOf<I>, the same list
// behind an interface I that extends IItems (the base of every record list: code/name items,
// persons, declarations, ...).
//
// Each entry of the internal pointer list is a heap cell holding one reference; the cell keeps its
// item alive and freeing the cell releases it. An entry leaves the list before its item is
// released and notified, so an item's destructor may safely touch the list. Destroying the list
// clears it first. Reference counting is that of velmor::Object (count 0 until the first Ref).
// Not locked: one thread at a time.
//
//   class TFooItems : public TItemsOf<IFooItems> { ... Ref<IFooItem> GetFoo(int i) { return ItemAs<IFooItem>(i); } };
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "business/internal_list.h"
#include "velmor/items.h"
#include "velmor/object.h"

namespace velmor {

// The list itself, independent of the interface it is reached through.
class ItemStore {
 public:
  ItemStore() = default;
  // Releases every item; notifications still run, and an exception they raise is swallowed.
  ~ItemStore();
  ItemStore(const ItemStore&) = delete;
  ItemStore& operator=(const ItemStore&) = delete;

  int32_t Count() const { return list_.Count(); }
  // The item at index (borrowed), null outside the range.
  IInterface* Peek(int32_t index) const;
  Ref<IInterface> Get(int32_t index) const { return Ref<IInterface>(Peek(index)); }
  const ListNotifyEvent& OnNotify() const { return on_notify_; }
  void SetOnNotify(ListNotifyEvent event);
  void Set(int32_t index, IInterface* item);
  void Clear();
  void Delete(int32_t index);
  void Exchange(int32_t index1, int32_t index2) { list_.Exchange(index1, index2); }
  int32_t Add(IInterface* item);
  void Insert(int32_t index, IInterface* item);
  void Reserve(int32_t capacity) { list_.Reserve(capacity); }

 private:
  struct Cell {
    Ref<IInterface> item;
  };
  static Cell* CellOf(void* p) { return static_cast<Cell*>(p); }

  TInternalList list_;
  ListNotifyEvent on_notify_;
};

template <class I = IItems>
class TItemsOf : public Object<I> {
  static_assert(std::is_base_of_v<IItems, I>, "TItemsOf needs an interface that extends IItems");

 public:
  // The only operation that checks the index: null outside 0 .. count - 1.
  Ref<IInterface> GetItem(int32_t index) override { return store_.Get(index); }
  int32_t GetCount() override { return store_.Count(); }
  ListNotifyEvent GetOnNotify() override { return store_.OnNotify(); }
  void SetOnNotify(ListNotifyEvent event) override { store_.SetOnNotify(std::move(event)); }
  void SetItem(int32_t index, IInterface* item) override { store_.Set(index, item); }
  void* GetObject() override { return dynamic_cast<void*>(this); }
  void Clear() override { store_.Clear(); }
  void Delete(int32_t index) override { store_.Delete(index); }
  void Exchange(int32_t index1, int32_t index2) override { store_.Exchange(index1, index2); }
  int32_t Add(IInterface* item) override { return store_.Add(item); }
  void Insert(int32_t index, IInterface* item) override { store_.Insert(index, item); }

  // The entry at index asked for interface T; null outside the range or when it lacks T.
  template <InterfaceType T>
  Ref<T> ItemAs(int32_t index) {
    return Query<T>(this->GetItem(index));
  }
  ItemStore& Store() { return store_; }

 protected:
  ItemStore store_;
};

class TItems : public TItemsOf<IItems> {};

}  // namespace velmor
