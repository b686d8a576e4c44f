// TKeyValueGzImpl: a key-to-value rule (rows "key" and "value", or "dm" and "mc" when a row has
// no "key"). Keys are compared ignoring letter case; the first row of a key wins; rows with an
// empty key are left out. Immutable after construction.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/key_value_gz.h"

namespace velmor {

class TKeyValueGzImpl : public Implements<TBusinessObject, IKeyValueGzIntf> {
 public:
  VELMOR_PUBLISHED(TKeyValueGzImpl, TBusinessObject)
  explicit TKeyValueGzImpl(const nlohmann::json& rule = nullptr);
  std::string GetValue(const std::string& key) override { return Pairs.ValueOf(key); }
  std::string GetKeyValueList() override { return List.Text(); }

 private:
  dict::PairList Pairs;
  dict::SortedLines List;
};

}  // namespace velmor
