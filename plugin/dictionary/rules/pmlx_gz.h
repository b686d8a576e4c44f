// TPmlxGzImpl: which levy sub-items belong to which sub-item type, from rule "pmlxGz" (rows
// zspmDm, pmlx), kept as the hashed texts pmlx "=" zspmDm. Immutable after construction.
#pragma once

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/pmlx_gz.h"

namespace velmor {

class TPmlxGzImpl : public Implements<TBusinessObject, IPmlxGz> {
 public:
  VELMOR_PUBLISHED(TPmlxGzImpl, TBusinessObject)
  explicit TPmlxGzImpl(const nlohmann::json& rule = nullptr);
  bool IsPmlx(const std::string& zspmDm, const std::string& pmlx) override;

 private:
  dict::NameList Pairs;
};

}  // namespace velmor
