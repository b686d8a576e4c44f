// The record families of the collective and government payers (include/velmor/bzdj_items.h):
// each binds the module's row records (residents/jfdj_items.h) to its table's columns and class
// names; TBzDjQc is the condition of their reads. One thread at a time.
#pragma once

#include <string>

#include "business/query_condition.h"
#include "residents/jfdj_items.h"
#include "velmor/bzdj_items.h"

namespace velmor {

namespace groups {
extern const JfdjFamily kBzDjFamily, kBzDjjlFamily, kBzDjjlmxFamily, kBzDjjlrymxFamily, kBzDjcbxzFamily,
    kBzDjqdFamily, kCxjmJbxxFamily, kCxjmCbxxFamily, kCxjmCbxzFamily;

// A list of the family holding one record per row of a JSON array of objects keyed by column.
Ref<IJfdjItems> RecordsOf(const JfdjFamily& family, const std::string& rowsJson);
}  // namespace groups

class TBzDjQc : public TQueryConditionOf<IBzDjQc> {
 public:
  TBzDjQc() { PageSize = 20; }
  BzDjFilter GetFilter() override;
  std::string GetField(const std::string& name) override;
  bool SetField(const std::string& name, const std::string& value) override;
  void ResetCondition() override {
    TQueryConditionOf<IBzDjQc>::ResetCondition();
    PageSize = 20;
    filter_ = {};
  }

  VELMOR_PUBLISHED(TBzDjQc, TQueryConditionOf<IBzDjQc>)

 private:
  BzDjFilter filter_;  // the named fields; person criteria and page come from the base
};

}  // namespace velmor
