// TJfbzGzImpl: the fee-standard grades of rule "jfbzGz" (rows zsxmDm, zspmDm, sbjbjgDm, yxqq,
// yxqz, nldq, nldz, dcje). Rows are kept as they came and filtered per question; see
// docs/rules.md for the matching. Immutable after construction.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "velmor/jfbz_gz.h"

namespace velmor {

inline constexpr const char* kDefaultYilbxDm = "10212";

class TJfbzGzImpl : public Implements<TBusinessObject, IJfbzGzIntf> {
 public:
  VELMOR_PUBLISHED(TJfbzGzImpl, TBusinessObject)
  // yilbxDm: the medical levy item (system parameter "zsxmdm_yilbx"), whose grades do not
  // depend on age.
  explicit TJfbzGzImpl(const nlohmann::json& rule = nullptr, std::string yilbxDm = kDefaultYilbxDm);

  std::string GetJfdcByAge(const std::string& zsxmDm, const std::string& zspmDm, const std::string& sbjbjgDm,
                           const std::string& rq, int age) override;
  std::string GetJfdc(const std::string& zsxmDm, const std::string& zspmDm, const std::string& sbjbjgDm,
                      const std::string& rq) override;

 private:
  std::string Collect(const std::string& zsxmDm, const std::string& zspmDm, const std::string& sbjbjgDm,
                      const std::string& rq, const int* age);

  nlohmann::json Rows;
  std::string YilbxDm;
};

}  // namespace velmor
