// TCxjmFkssqGzImpl: the fee period of residents' insurance, from rule "cxjmFkssqGz" (rows
// sbjbjgDm or "%", fkssqlx "01"/"02", fkssqq and fkssqz as "DNmm"/"CNmm"; see docs/rules.md).
// Rows are keyed by agency + mode ("%" rows by the mode alone); the first row of a key wins.
// Immutable after construction.
#pragma once

#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "velmor/cxjm_fkssq_gz.h"

namespace velmor {

inline constexpr const char* kFkssqConfigError = "城乡居民费款所属期配置异常";

class TCxjmFkssqGzImpl : public Implements<TBusinessObject, ICxjmFkssqGzIntf> {
 public:
  VELMOR_PUBLISHED(TCxjmFkssqGzImpl, TBusinessObject)
  explicit TCxjmFkssqGzImpl(const nlohmann::json& rule = nullptr);
  bool GetFkssq(const std::string& key1, const std::string& key2, const std::string& jfnd, std::string& fkssqq,
                std::string& fkssqz, std::string& errorText) override;

 private:
  struct Period {
    std::string start, end;  // "DN01", "CN06"
  };
  std::unordered_map<std::string, Period> Rows;
};

// A period specification ("DN01", "CN12") as a month of payment year jfnd: "DN" the year
// itself, "CN" the year after; empty for anything else.
std::string ResolvePeriodSpec(const std::string& spec, const std::string& jfnd);

}  // namespace velmor
