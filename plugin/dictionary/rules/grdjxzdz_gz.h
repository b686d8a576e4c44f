// TGrdjxzdzGzImpl: the insurance types a resident may register for, rule "grdjxzdzGz" (rows
// grsfDm, tsrylbDm, xzqhDm, xzlxDm; "%" in a row matches any code), with its row item
// TGrdjxzdzGzItem and list TGrdjxzdzGzItems. Rows without an xzlxDm are left out. Immutable after
// construction; items are shared read-only between the table and the lists it returns.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/items.h"
#include "velmor/grdjxzdz_gz.h"

namespace velmor {

class TGrdjxzdzGzItem : public Implements<TBusinessObject, IGrdjxzdzGzItem> {
 public:
  std::string grsfDm, tsrylbDm, xzqhDm, xzlxDm;
  VELMOR_PUBLISHED(TGrdjxzdzGzItem, TBusinessObject, Prop<&TGrdjxzdzGzItem::grsfDm>("grsfDm", types::String),
                   Prop<&TGrdjxzdzGzItem::tsrylbDm>("tsrylbDm", types::String),
                   Prop<&TGrdjxzdzGzItem::xzqhDm>("xzqhDm", types::String),
                   Prop<&TGrdjxzdzGzItem::xzlxDm>("xzlxDm", types::String))

  std::string GetGrsfDm() override { return grsfDm; }
  std::string GetTsrylbDm() override { return tsrylbDm; }
  std::string GetXzqhDm() override { return xzqhDm; }
  std::string GetXzlxDm() override { return xzlxDm; }
  bool Matches(const std::string& grsf, const std::string& tsrylb, const std::string& xzqh) const;
};

class TGrdjxzdzGzItems : public TItemsOf<IGrdjxzdzGzItems> {
 public:
  Ref<IGrdjxzdzGzItem> GetGrdjxzdzGzItem(int32_t index) override { return ItemAs<IGrdjxzdzGzItem>(index); }
};

class TGrdjxzdzGzImpl : public Implements<TBusinessObject, IGrdjxzdzGzIntf> {
 public:
  VELMOR_PUBLISHED(TGrdjxzdzGzImpl, TBusinessObject)
  explicit TGrdjxzdzGzImpl(const nlohmann::json& rule = nullptr);

  std::string GetXzlxList(const std::string& grsfDm, const std::string& tsrylbDm, const std::string& xzqhDm) override;
  Ref<IGrdjxzdzGzItems> GetItems(const std::string& grsfDm, const std::string& tsrylbDm,
                                 const std::string& xzqhDm) override;
  bool IsValidXzlx(const std::string& grsfDm, const std::string& tsrylbDm, const std::string& xzqhDm,
                   const std::string& xzlxDm) override;

 private:
  std::vector<Ref<TGrdjxzdzGzItem>> Rows;
};

}  // namespace velmor
