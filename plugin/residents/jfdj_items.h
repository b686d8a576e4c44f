// The eight record families of the residents' payment registration (include/velmor/jfdj_items.h):
// a family names its table's columns; TJfdjRecord holds one row's values by column, TJfdjRecords
// a list of them, TJfdjCondition the named filter fields. The family classes of the registration
// (TJfdj_Ry_Item, TJfdjjl_Xz_QueryCondition, ...) are these three bound to a family; a record
// publishes its family's columns as its properties.
// One thread at a time.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/items.h"
#include "business/query_condition.h"
#include "velmor/jfdj_items.h"

namespace velmor {

struct JfdjFamily {
  std::string_view name;  // "Jfdj_Ry"
  std::string_view itemClass, listClass, conditionClass;
  std::span<const std::string_view> columns;
  // The named fields of the family's condition; empty: the registration's fields (IJfdjQueryCondition).
  std::span<const std::string_view> conditionFields = {};
};

extern const JfdjFamily kJfdjRyFamily, kJfdjXzFamily, kRyjbxxFamily, kRycbxmFamily, kXnhcbxmFamily,
    kJfdjjlFamily, kJfdjjlRyFamily, kJfdjjlXzFamily;

class TJfdjRecord : public Implements<TBusinessObject, IJfdjItem> {
 public:
  explicit TJfdjRecord(const JfdjFamily& family) : family_(&family) {}
  std::string_view ClassName() const override { return family_->itemClass; }

  std::string GetFamily() override { return std::string(family_->name); }
  std::vector<std::string> GetColumns() override;
  std::string Get(const std::string& column) override;
  bool Set(const std::string& column, const std::string& value) override;
  int64_t GetId() override;
  void SetId(int64_t id) override { values_["id"] = std::to_string(id); }

  const JfdjFamily& Family() const { return *family_; }
  // The family's columns published as text properties, so the host's property access
  // (GetPropTextByName, SetPropTextByName, Assign) sees the same values as Get and Set.
  std::span<const PropInfo> PublishedProperties() const override;
  // Fills the family's columns from a row of the store (other keys are ignored).
  void FromRow(const nlohmann::ordered_json& row);

 private:
  friend struct JfdjColumnAccess;
  const JfdjFamily* family_;
  std::map<std::string, std::string, std::less<>> values_;
};

class TJfdjRecords : public TItemsOf<IJfdjItems> {
 public:
  explicit TJfdjRecords(const JfdjFamily& family) : family_(&family) {}
  std::string GetFamily() override { return std::string(family_->name); }
  Ref<IJfdjItem> GetRecord(int32_t index) override { return ItemAs<IJfdjItem>(index); }

 private:
  const JfdjFamily* family_;
};

class TJfdjCondition : public TQueryConditionOf<IJfdjQueryCondition> {
 public:
  explicit TJfdjCondition(const JfdjFamily& family) : family_(&family) {}
  std::string_view ClassName() const override { return family_->conditionClass; }
  std::string GetFamily() override { return std::string(family_->name); }
  std::string GetField(const std::string& name) override;
  bool SetField(const std::string& name, const std::string& value) override;
  void ResetCondition() override {
    TQueryConditionOf<IJfdjQueryCondition>::ResetCondition();
    fields_.clear();
  }

 private:
  const JfdjFamily* family_;
  std::map<std::string, std::string, std::less<>> fields_;
};

Ref<IJfdjItem> NewJfdjRecord(const JfdjFamily& family);
Ref<IJfdjItems> NewJfdjRecords(const JfdjFamily& family);
Ref<IJfdjQueryCondition> NewJfdjCondition(const JfdjFamily& family);

// A record's family, checked: raises service::OpRefusal naming the expected family when the
// object is null or of another family.
TJfdjRecord& RequireRecord(IJfdjItem* item, const JfdjFamily& family);

}  // namespace velmor
