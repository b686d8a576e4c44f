// TXzylgxGz: the payment-method rule "jnfsGz" (rows sbjbjgDm, xzlxDm, ylxzlxDm, yxqq, yxqz as
// yyyymmdd). Rows are kept in rule order; the first valid row answers. Immutable after
// construction.
#pragma once

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "velmor/xzylgx_gz.h"

namespace velmor {

class TXzylgxGz : public Implements<TBusinessObject, IXzylgxGz> {
 public:
  VELMOR_PUBLISHED(TXzylgxGz, TBusinessObject)
  explicit TXzylgxGz(const nlohmann::json& rule = nullptr);
  std::string GetYlxzlxDm(const std::string& sbjbjgDm, const std::string& xzlxDm, const std::string& rq) override;

 private:
  nlohmann::json Rows = nlohmann::json::array();
};

}  // namespace velmor
