// TCxjmCbrytslbSyrqlxDzGzImpl: the applicable-group type of an insured-person special category,
// rule "cxjmCbrytslbSyrqlxDzGz" (rows cbrytslbDm or "%", syrqlxDm). Categories are compared
// ignoring letter case. A category that the rule gives two different types, or an empty type,
// is marked bad and answers "适用人群类型对照配置异常". Immutable after construction.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "velmor/cxjm_syrqlx_dz_gz.h"

namespace velmor {

inline constexpr const char* kSyrqlxConfigError = "适用人群类型对照配置异常";

class TCxjmCbrytslbSyrqlxDzGzImpl : public Implements<TBusinessObject, ICxjmCbrytslbSyrqlxDzGzIntf> {
 public:
  VELMOR_PUBLISHED(TCxjmCbrytslbSyrqlxDzGzImpl, TBusinessObject)
  explicit TCxjmCbrytslbSyrqlxDzGzImpl(const nlohmann::json& rule = nullptr);
  bool GetSyrqlxDm(const std::string& cbrytslbDm, std::string& syrqlxDm, std::string& errorText) override;

 private:
  struct Entry {
    std::string syrqlxDm;
    bool bad = false;
  };
  std::map<std::string, Entry> Rows;  // by folded category; "%" for every other category
};

}  // namespace velmor
