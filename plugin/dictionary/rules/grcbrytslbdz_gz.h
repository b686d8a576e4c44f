// TGrcbrytslbdzGzImpl: the insured-person special categories of a resident, rule
// "grcbrytslbdzGz" (rows grsfDm, tsrylbDm, xzqhDm, xzlxDm, cbrytslbDm; "%" in a row matches any
// code), with its row item TGrcbrytslbdzGzItem and list TGrcbrytslbdzGzItems. Rows without a
// cbrytslbDm are left out. Immutable after construction; items are shared read-only.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/items.h"
#include "velmor/grcbrytslbdz_gz.h"

namespace velmor {

class TGrcbrytslbdzGzItem : public Implements<TBusinessObject, IGrcbrytslbdzGzItem> {
 public:
  std::string grsfDm, tsrylbDm, xzqhDm, xzlxDm, cbrytslbDm;
  VELMOR_PUBLISHED(TGrcbrytslbdzGzItem, TBusinessObject,
                   Prop<&TGrcbrytslbdzGzItem::grsfDm>("grsfDm", types::String),
                   Prop<&TGrcbrytslbdzGzItem::tsrylbDm>("tsrylbDm", types::String),
                   Prop<&TGrcbrytslbdzGzItem::xzqhDm>("xzqhDm", types::String),
                   Prop<&TGrcbrytslbdzGzItem::xzlxDm>("xzlxDm", types::String),
                   Prop<&TGrcbrytslbdzGzItem::cbrytslbDm>("cbrytslbDm", types::String))

  std::string GetGrsfDm() override { return grsfDm; }
  std::string GetTsrylbDm() override { return tsrylbDm; }
  std::string GetXzqhDm() override { return xzqhDm; }
  std::string GetXzlxDm() override { return xzlxDm; }
  std::string GetCbrytslbDm() override { return cbrytslbDm; }
  bool Matches(const std::string& grsf, const std::string& tsrylb, const std::string& xzqh,
               const std::string& xzlx) const;
};

class TGrcbrytslbdzGzItems : public TItemsOf<IGrcbrytslbdzGzItems> {
 public:
  Ref<IGrcbrytslbdzGzItem> GetGrcbrytslbdzGzItem(int32_t index) override { return ItemAs<IGrcbrytslbdzGzItem>(index); }
};

class TGrcbrytslbdzGzImpl : public Implements<TBusinessObject, IGrcbrytslbdzGzIntf> {
 public:
  VELMOR_PUBLISHED(TGrcbrytslbdzGzImpl, TBusinessObject)
  explicit TGrcbrytslbdzGzImpl(const nlohmann::json& rule = nullptr);

  std::string GetCbrytslbList(const std::string& grsfDm, const std::string& tsrylbDm, const std::string& xzqhDm,
                              const std::string& xzlxDm) override;
  Ref<IGrcbrytslbdzGzItems> GetItems(const std::string& grsfDm, const std::string& tsrylbDm,
                                     const std::string& xzqhDm, const std::string& xzlxDm) override;

 private:
  std::vector<Ref<TGrcbrytslbdzGzItem>> Rows;
};

}  // namespace velmor
