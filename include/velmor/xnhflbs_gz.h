// IXnhflbsGzIntf: the classification marks of the rural co-operative medical scheme (rule
// "xnhflbsGz", rows flbsDm and flbsMc), with its row item and item list.
//
// The table is immutable after construction; the list it returns is new and belongs to the
// caller; the items in it are shared and read-only. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"
#include "velmor/items.h"
#include "velmor/ref.h"

namespace velmor {

class IXnhflbsItem : public IInterface {
 public:
  VELMOR_IID("{7B8A8657-2271-4C0A-9B32-109FB3CB5774}")
  virtual std::string GetFlbsDm() = 0;
  virtual std::string GetFlbsMc() = 0;
  // The text of any column of the row; empty when absent.
  virtual std::string GetValue(const std::string& column) = 0;

 protected:
  ~IXnhflbsItem() = default;
};

class IXnhflbsItems : public IItems {
 public:
  VELMOR_IID("{4C5269B4-FC28-4A2A-8C09-661A4862446A}")
  using Base = IItems;
  virtual Ref<IXnhflbsItem> GetXnhflbsItem(int32_t index) = 0;

 protected:
  ~IXnhflbsItems() = default;
};

class IXnhflbsGzIntf : public IInterface {
 public:
  VELMOR_IID("{8C2F42EE-9234-4B44-BD3F-DB26253652E0}")
  // 1: every row of the rule, in rule order.
  virtual Ref<IXnhflbsItems> GetXnhflbsList() = 0;

 protected:
  ~IXnhflbsGzIntf() = default;
};

}  // namespace velmor
