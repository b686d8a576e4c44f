#include "business/code_name_item.h"

#include <vector>

#include "velmor/exceptions.h"

namespace velmor {

Ref<ICode_Name_Item> TCode_Name_Item::Clone() {
  Ref<TCode_Name_Item> copy = New<TCode_Name_Item>(Code, Name);
  return Ref<ICode_Name_Item>(static_cast<ICode_Name_Item*>(copy.get()));
}

void TCode_Name_Item::AssignCodeName(ICode_Name_Item* source) {
  if (!source) throw EInvalidPointer("Invalid pointer operation");
  // Read both first: the source may be this item.
  std::string code = source->GetCode();
  std::string name = source->GetName();
  Code = std::move(code);
  Name = std::move(name);
}

Ref<ICode_Name_Item> TCode_Name_Items::FindByCode(const std::string& code) {
  const int32_t n = GetCount();
  for (int32_t i = 0; i < n; ++i) {
    Ref<ICode_Name_Item> item = GetCodeNameItem(i);
    if (item && item->GetCode() == code) return item;
  }
  return nullptr;
}

int32_t TCode_Name_Items::AddCodeName(const std::string& code, const std::string& name) {
  Ref<TCode_Name_Item> item = New<TCode_Name_Item>(code, name);
  return Add(static_cast<ICode_Name_Item*>(item.get()));
}

std::string TCode_Name_Items::GetNameByCode(const std::string& code) {
  Ref<ICode_Name_Item> item = FindByCode(code);
  return item ? item->GetName() : std::string();
}

Ref<ICode_Name_Items> TCode_Name_Items::Clone() {
  Ref<TCode_Name_Items> copy = Make<TCode_Name_Items>();
  const int32_t n = GetCount();
  copy->Store().Reserve(n);
  for (int32_t i = 0; i < n; ++i) {
    Ref<ICode_Name_Item> item = GetCodeNameItem(i);
    Ref<ICode_Name_Item> clone = item ? item->Clone() : nullptr;
    copy->Add(clone.get());
  }
  return Ref<ICode_Name_Items>(copy.get());
}

void TCode_Name_Items::AssignItems(ICode_Name_Items* source) {
  const int32_t n = GetCount();
  if (n == 0) return;
  if (!source) throw EInvalidPointer("Invalid pointer operation");
  if (source->GetCount() < n) throw EListError::IndexOutOfBounds(source->GetCount());
  // Check every pair before copying anything, so that a failure leaves this list as it was.
  std::vector<std::pair<Ref<ICode_Name_Item>, Ref<ICode_Name_Item>>> pairs;
  pairs.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    Ref<ICode_Name_Item> mine = GetCodeNameItem(i);
    Ref<ICode_Name_Item> theirs = source->GetCodeNameItem(i);
    if (!mine || !theirs) throw EInvalidPointer("Invalid pointer operation");
    pairs.emplace_back(std::move(mine), std::move(theirs));
  }
  for (auto& [mine, theirs] : pairs) mine->AssignCodeName(theirs.get());
}

}  // namespace velmor
