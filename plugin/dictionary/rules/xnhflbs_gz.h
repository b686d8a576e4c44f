// TXnhflbsGzImpl: the classification marks of the rural co-operative medical scheme, rule
// "xnhflbsGz", every row as a TXnhflbsItem (flbsDm, flbsMc and the row's other columns) in a
// TXnhflbsItems list. Immutable after construction; items are shared read-only.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/items.h"
#include "velmor/xnhflbs_gz.h"

namespace velmor {

class TXnhflbsItem : public Implements<TBusinessObject, IXnhflbsItem> {
 public:
  std::string flbsDm, flbsMc;
  VELMOR_PUBLISHED(TXnhflbsItem, TBusinessObject, Prop<&TXnhflbsItem::flbsDm>("flbsDm", types::String),
                   Prop<&TXnhflbsItem::flbsMc>("flbsMc", types::String))
  explicit TXnhflbsItem(nlohmann::json row = nlohmann::json::object());

  std::string GetFlbsDm() override { return flbsDm; }
  std::string GetFlbsMc() override { return flbsMc; }
  std::string GetValue(const std::string& column) override;

 private:
  nlohmann::json Row;
};

class TXnhflbsItems : public TItemsOf<IXnhflbsItems> {
 public:
  Ref<IXnhflbsItem> GetXnhflbsItem(int32_t index) override { return ItemAs<IXnhflbsItem>(index); }
};

class TXnhflbsGzImpl : public Implements<TBusinessObject, IXnhflbsGzIntf> {
 public:
  VELMOR_PUBLISHED(TXnhflbsGzImpl, TBusinessObject)
  explicit TXnhflbsGzImpl(const nlohmann::json& rule = nullptr);
  Ref<IXnhflbsItems> GetXnhflbsList() override;

 private:
  std::vector<Ref<TXnhflbsItem>> Rows;
};

}  // namespace velmor
