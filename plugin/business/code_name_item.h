// TCode_Name_Item: a code with its display name (ICode_Name_Item, published "Code" and "Name");
// TCode_Name_Items: an ordered list of them (ICode_Name_Items over TItemsOf).
//
// Lookups scan from index 0 and the first exact, case-sensitive match wins. Items are business
// objects (create them with New<TCode_Name_Item>); lists are reference-counted objects (create
// them with Make<TCode_Name_Items>). One thread at a time.
#pragma once

#include <string>

#include "business/business_object.h"
#include "business/items.h"
#include "velmor/code_name_items.h"

namespace velmor {

class TCode_Name_Item : public Implements<TBusinessObject, ICode_Name_Item> {
 public:
  TCode_Name_Item() = default;
  TCode_Name_Item(std::string code, std::string name) : Code(std::move(code)), Name(std::move(name)) {}

  std::string GetCode() override { return Code; }
  std::string GetName() override { return Name; }
  void SetCode(const std::string& code) override { Code = code; }
  void SetName(const std::string& name) override { Name = name; }
  Ref<ICode_Name_Item> Clone() override;
  void AssignCodeName(ICode_Name_Item* source) override;

  std::string Code;
  std::string Name;

  VELMOR_PUBLISHED(TCode_Name_Item, TBusinessObject,
                   Prop<&TCode_Name_Item::Code>("Code", types::WideString),
                   Prop<&TCode_Name_Item::Name>("Name", types::WideString))
};

class TCode_Name_Items : public TItemsOf<ICode_Name_Items> {
 public:
  Ref<ICode_Name_Item> FindByCode(const std::string& code) override;
  Ref<ICode_Name_Item> GetCodeNameItem(int32_t index) override { return ItemAs<ICode_Name_Item>(index); }
  void SetCodeNameItem(int32_t index, ICode_Name_Item* item) override { SetItem(index, item); }
  int32_t AddCodeName(const std::string& code, const std::string& name) override;
  std::string GetNameByCode(const std::string& code) override;
  Ref<ICode_Name_Items> Clone() override;
  void AssignItems(ICode_Name_Items* source) override;
};

}  // namespace velmor
