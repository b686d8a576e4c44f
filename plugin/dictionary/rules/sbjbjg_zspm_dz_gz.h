// TSbjbjgZspmDzGz: rule "sbjbjgzspmdzGz" (rows sbjbjgDm, zspmDm, zszmDm) as keys joined with
// "_" ("agency_zspm", "agency_zspm_zszm") and sorted code lists per agency and per
// agency_zspm. Rows with an empty agency or sub-item are left out; a row with an empty detail
// names the sub-item only. Immutable after construction.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/sbjbjg_zspm_dz_gz.h"

namespace velmor {

class TSbjbjgZspmDzGz : public Implements<TBusinessObject, ISbjbjgZspmDzGz> {
 public:
  VELMOR_PUBLISHED(TSbjbjgZspmDzGz, TBusinessObject)
  explicit TSbjbjgZspmDzGz(const nlohmann::json& rule = nullptr);

  std::string GetZspmList(const std::string& sbjbjgDm) override;
  std::string GetZszmList(const std::string& sbjbjgDm, const std::string& zspmDm) override;
  bool HasZspm(const std::string& sbjbjgDm, const std::string& zspmDm) override;
  bool HasZszm(const std::string& sbjbjgDm, const std::string& zspmDm, const std::string& zszmDm) override;

 private:
  void Load_sbjbjg_zspm_zszm(const nlohmann::json& rule);

  std::map<std::string, dict::SortedLines> Zspm, Zszm;  // by folded joined key
  dict::NameList Keys;
};

}  // namespace velmor
