// IGrcbrytslbdzGzIntf: the insured-person special categories (cbrytslbDm) of a resident, by
// personal status, special category, region and insurance type, rule "grcbrytslbdzGz"; with its
// row item and item list.
//
// A row column "%" matches any code; codes are compared ignoring letter case. The table is
// immutable after construction; lists it returns are new and belong to the caller; the items in
// them are shared and read-only. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"
#include "velmor/items.h"
#include "velmor/ref.h"

namespace velmor {

class IGrcbrytslbdzGzItem : public IInterface {
 public:
  VELMOR_IID("{366F3387-9620-48B9-8BD5-6442CACA632A}")
  virtual std::string GetGrsfDm() = 0;
  virtual std::string GetTsrylbDm() = 0;
  virtual std::string GetXzqhDm() = 0;
  virtual std::string GetXzlxDm() = 0;
  virtual std::string GetCbrytslbDm() = 0;

 protected:
  ~IGrcbrytslbdzGzItem() = default;
};

class IGrcbrytslbdzGzItems : public IItems {
 public:
  VELMOR_IID("{768CFE7C-FCB6-4B47-8ACB-03AE9522DC11}")
  using Base = IItems;
  virtual Ref<IGrcbrytslbdzGzItem> GetGrcbrytslbdzGzItem(int32_t index) = 0;

 protected:
  ~IGrcbrytslbdzGzItems() = default;
};

class IGrcbrytslbdzGzIntf : public IInterface {
 public:
  VELMOR_IID("{D044A9C9-6000-4ABD-A5D3-B0400DBEDE16}")
  // 1: the cbrytslbDm of the matching rows, one per line, sorted, without duplicates.
  virtual std::string GetCbrytslbList(const std::string& grsfDm, const std::string& tsrylbDm,
                                      const std::string& xzqhDm, const std::string& xzlxDm) = 0;
  // 2: the matching rows, in rule order.
  virtual Ref<IGrcbrytslbdzGzItems> GetItems(const std::string& grsfDm, const std::string& tsrylbDm,
                                             const std::string& xzqhDm, const std::string& xzlxDm) = 0;

 protected:
  ~IGrcbrytslbdzGzIntf() = default;
};

}  // namespace velmor
