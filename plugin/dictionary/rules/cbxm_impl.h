// TCbxmImpl: the insurance-type tree of rule "xzGz" (types with nested zspmLb, sub-items with
// nested zszmLb), flattened into "key=name" pairs and a sorted child list per parent key.
// Entries with an empty dm or mc are left out with what hangs below them; the first name of a
// key wins. Immutable after construction.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/cbxm.h"

namespace velmor {

class TCbxmImpl : public Implements<TBusinessObject, ICbxmIntf> {
 public:
  VELMOR_PUBLISHED(TCbxmImpl, TBusinessObject)
  explicit TCbxmImpl(const nlohmann::json& rule = nullptr);

  std::string GetCbxmList(const std::string& parentKey) override;
  std::string GetCbxmMc(const std::string& key) override { return Names.ValueOf(key); }

 private:
  // Adds the entries of one level under parent ("" for the types); depth 0..2.
  void AddLevel(const nlohmann::json& entries, const std::string& parent, int depth);

  dict::PairList Names;
  std::map<std::string, dict::SortedLines> Children;  // by folded parent key
};

}  // namespace velmor
