// TXnhCbxxItem, TXnhCbxxItems and TXnhCbxxQc: the records and the condition of the scheme
// account's lookups (include/velmor/xnh_cbxx_item.h). Items are business objects (New<>), the
// list a reference-counted object (Make<>). One thread at a time.
#pragma once

#include <string>

#include "business/business_object.h"
#include "business/items.h"
#include "business/query_condition.h"
#include "velmor/xnh_cbxx_item.h"

namespace velmor {

class TXnhCbxxItem : public Implements<TBusinessObject, IXnhCbxxItem> {
 public:
  std::string swjgdm, sbjbjgdm, dwbh, xzjddm, sqhczdm, zsxmdm, zspmdm, zszmdm;

  std::string GetSwjgdm() override { return swjgdm; }
  std::string GetSbjbjgdm() override { return sbjbjgdm; }
  std::string GetDwbh() override { return dwbh; }
  std::string GetXzjddm() override { return xzjddm; }
  std::string GetSqhczdm() override { return sqhczdm; }
  std::string GetZsxmdm() override { return zsxmdm; }
  std::string GetZspmdm() override { return zspmdm; }
  std::string GetZszmdm() override { return zszmdm; }

  VELMOR_PUBLISHED(TXnhCbxxItem, TBusinessObject, Prop<&TXnhCbxxItem::swjgdm>("swjgdm", types::String),
                   Prop<&TXnhCbxxItem::sbjbjgdm>("sbjbjgdm", types::String),
                   Prop<&TXnhCbxxItem::dwbh>("dwbh", types::String),
                   Prop<&TXnhCbxxItem::xzjddm>("xzjddm", types::String),
                   Prop<&TXnhCbxxItem::sqhczdm>("sqhczdm", types::String),
                   Prop<&TXnhCbxxItem::zsxmdm>("zsxmdm", types::String),
                   Prop<&TXnhCbxxItem::zspmdm>("zspmdm", types::String),
                   Prop<&TXnhCbxxItem::zszmdm>("zszmdm", types::String))
};

class TXnhCbxxItems : public TItemsOf<IXnhCbxxItems> {
 public:
  Ref<IXnhCbxxItem> GetCbxxItem(int32_t index) override { return ItemAs<IXnhCbxxItem>(index); }
};

class TXnhCbxxQc : public TQueryConditionOf<IXnhCbxxQc> {
 public:
  XnhCbxxFilter GetFilter() override { return filter_; }
  void SetSwjgdm(const std::string& v) override { filter_.swjgdm = v; }
  void SetSbjbjgdm(const std::string& v) override { filter_.sbjbjgdm = v; }
  void SetXzjddm(const std::string& v) override { filter_.xzjddm = v; }
  void SetSqhczdm(const std::string& v) override {
    filter_.sqhczdm = v;
    filter_.sqhczdmGiven = true;
  }
  void SetZsxmdm(const std::string& v) override { filter_.zsxmdm = v; }
  void SetZspmdm(const std::string& v) override { filter_.zspmdm = v; }
  void SetZszmdm(const std::string& v) override { filter_.zszmdm = v; }
  void ResetCondition() override {
    TQueryConditionOf<IXnhCbxxQc>::ResetCondition();
    filter_ = {};
  }

  VELMOR_PUBLISHED(TXnhCbxxQc, TQueryConditionOf<IXnhCbxxQc>)

 private:
  XnhCbxxFilter filter_;
};

}  // namespace velmor
