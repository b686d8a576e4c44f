#include "business/items.h"

#include <memory>

#include "velmor/exceptions.h"

namespace velmor {

ItemStore::~ItemStore() {
  while (list_.Count() > 0) {
    try {
      Delete(list_.Count() - 1);
    } catch (...) {
      // The entry is gone and its cell freed whatever the handler did; keep going.
    }
  }
}

IInterface* ItemStore::Peek(int32_t index) const {
  if (index < 0 || index >= list_.Count()) return nullptr;
  return CellOf(list_.Get(index))->item.get();
}

void ItemStore::SetOnNotify(ListNotifyEvent event) {
  on_notify_ = std::move(event);
  if (!on_notify_) {
    list_.OnNotify = nullptr;
    return;
  }
  list_.OnNotify = [this](void* p, ListNotification action) {
    IInterface* item = CellOf(p)->item.get();
    if (!item) return;
    ListNotifyEvent handler = on_notify_;  // the handler may replace itself
    if (handler) handler(item, action);
  };
}

void ItemStore::Set(int32_t index, IInterface* item) {
  Cell* cell = CellOf(list_.Get(index));  // raises for a bad index
  cell->item = Ref<IInterface>(item);
}

void ItemStore::Clear() {
  while (list_.Count() > 0) Delete(list_.Count() - 1);
}

void ItemStore::Delete(int32_t index) {
  std::unique_ptr<Cell> cell(CellOf(list_.Get(index)));  // raises for a bad index
  list_.Delete(index);                                  // then notifies; the cell is freed after
}

int32_t ItemStore::Add(IInterface* item) {
  auto cell = std::make_unique<Cell>(Cell{Ref<IInterface>(item)});
  Cell* raw = cell.get();
  int32_t index;
  try {
    index = list_.Add(raw);
  } catch (...) {
    if (list_.IndexOf(raw) >= 0) cell.release();  // in the list: the handler threw, the list owns it
    throw;
  }
  cell.release();
  return index;
}

void ItemStore::Insert(int32_t index, IInterface* item) {
  if (index < 0 || index > list_.Count()) throw EListError::IndexOutOfBounds(index);
  auto cell = std::make_unique<Cell>(Cell{Ref<IInterface>(item)});
  Cell* raw = cell.get();
  try {
    list_.Insert(index, raw);
  } catch (...) {
    if (list_.IndexOf(raw) >= 0) cell.release();
    throw;
  }
  cell.release();
}

}  // namespace velmor
