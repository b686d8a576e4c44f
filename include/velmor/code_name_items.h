// ICode_Name_Items: a list of code/name items (IItems whose entries are ICode_Name_Item).
//
// Lookups scan from index 0 and stop at the first exact (case-sensitive) match, so with duplicate
// codes the first one wins. The same ownership and index rules as IItems. One thread at a time.
// Operations are in slot order after the eleven of IItems.
#pragma once

#include <string>

#include "velmor/code_name_item.h"
#include "velmor/items.h"

namespace velmor {

class ICode_Name_Items : public IItems {
 public:
  VELMOR_IID("{874A9784-9C69-4ED9-AF33-75B513A8F77F}")
  using Base = IItems;
  // The first item whose code equals `code`, or null.
  virtual Ref<ICode_Name_Item> FindByCode(const std::string& code) = 0;
  // The entry as a code/name item; null outside the range.
  virtual Ref<ICode_Name_Item> GetCodeNameItem(int32_t index) = 0;
  virtual void SetCodeNameItem(int32_t index, ICode_Name_Item* item) = 0;
  // Appends a new item with that code and name; returns its index.
  virtual int32_t AddCodeName(const std::string& code, const std::string& name) = 0;
  // The name of FindByCode(code), or "" when there is none.
  virtual std::string GetNameByCode(const std::string& code) = 0;
  // A new list of clones of every item, in the same order.
  virtual Ref<ICode_Name_Items> Clone() = 0;
  // For each index of this list, copies code and name of the source's item at that index into
  // this list's item. Raises (changing nothing) when the source is shorter or null, or an entry
  // on either side is empty: EListError "List index out of bounds (%d)" / EInvalidPointer.
  virtual void AssignItems(ICode_Name_Items* source) = 0;

 protected:
  ~ICode_Name_Items() = default;
};

}  // namespace velmor
