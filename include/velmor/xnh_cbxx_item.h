// The records of the scheme account's lookups: IXnhCbxxItem (one distinct combination of office,
// agency, unit, street, community, levy item, sub-item and detail of a valid unit), its list
// IXnhCbxxItems, and the query condition IXnhCbxxQc (classes TXnhCbxxItem, TXnhCbxxItems,
// TXnhCbxxQc). Items are business objects whose published properties carry the column names.
// Reference-counted; one thread at a time. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/business_object.h"
#include "velmor/items.h"
#include "velmor/query_condition.h"
#include "velmor/ref.h"
#include "velmor/xnh_types.h"

namespace velmor {

class IXnhCbxxItem : public IBusinessObject {
 public:
  VELMOR_IID("{B727F1DD-ECD8-48E0-94DF-A61BD6BFC335}")
  using Base = IBusinessObject;
  virtual std::string GetSwjgdm() = 0;
  virtual std::string GetSbjbjgdm() = 0;
  virtual std::string GetDwbh() = 0;
  virtual std::string GetXzjddm() = 0;
  virtual std::string GetSqhczdm() = 0;
  virtual std::string GetZsxmdm() = 0;
  virtual std::string GetZspmdm() = 0;
  virtual std::string GetZszmdm() = 0;

 protected:
  ~IXnhCbxxItem() = default;
};

class IXnhCbxxItems : public IItems {
 public:
  VELMOR_IID("{82BB19C9-33E4-4104-B489-DE3F4FF101E2}")
  using Base = IItems;
  // The entry as an item; null outside the range.
  virtual Ref<IXnhCbxxItem> GetCbxxItem(int32_t index) = 0;

 protected:
  ~IXnhCbxxItems() = default;
};

// The condition: each non-empty field filters; the community also when empty once
// SetSqhczdm was called (a community stored empty is matched by an empty value).
class IXnhCbxxQc : public IQueryCondition {
 public:
  VELMOR_IID("{12A2B7DB-06F9-42CC-8CFD-F4F68C86E4C0}")
  using Base = IQueryCondition;
  virtual XnhCbxxFilter GetFilter() = 0;
  virtual void SetSwjgdm(const std::string& v) = 0;
  virtual void SetSbjbjgdm(const std::string& v) = 0;
  virtual void SetXzjddm(const std::string& v) = 0;
  virtual void SetSqhczdm(const std::string& v) = 0;
  virtual void SetZsxmdm(const std::string& v) = 0;
  virtual void SetZspmdm(const std::string& v) = 0;
  virtual void SetZszmdm(const std::string& v) = 0;

 protected:
  ~IXnhCbxxQc() = default;
};

}  // namespace velmor
