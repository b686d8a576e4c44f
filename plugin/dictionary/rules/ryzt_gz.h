// TRyztGzImpl: the person statuses of rule "ryztGz" (rows ryztDm, ryztMc and attribute columns
// such as sfjf). Codes are compared ignoring letter case, names exactly; the first row of a code
// wins; rows with an empty code or name are left out. Immutable after construction.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/ryzt_gz.h"

namespace velmor {

class TRyztGzImpl : public Implements<TBusinessObject, IRyztGzIntf> {
 public:
  VELMOR_PUBLISHED(TRyztGzImpl, TBusinessObject)
  explicit TRyztGzImpl(const nlohmann::json& rule = nullptr);

  std::string GetRyztMc(const std::string& ryztDm) override;
  std::string GetRyztDm(const std::string& ryztMc) override;
  std::string GetRyztList() override;
  bool IsRyzt(const std::string& ryztDm) override { return Codes.Contains(ryztDm); }
  std::string GetAttribute(const std::string& ryztDm, const std::string& column) override;
  bool IsSfjf(const std::string& ryztDm) override { return GetAttribute(ryztDm, "sfjf") == "Y"; }
  int32_t GetCount() override { return static_cast<int32_t>(Codes.Size()); }

 private:
  dict::NameList Codes;                              // distinct codes, in rule order
  nlohmann::json Rows = nlohmann::json::array();     // the first row of each code, same positions
};

}  // namespace velmor
