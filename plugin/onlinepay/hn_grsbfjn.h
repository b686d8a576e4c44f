// THnGrsbfjn: regional individual payment orders (IHnGrsbfjn), registered as row 42 of the
// service table. Server exchanges go through onlinepay::ServerOrderCall (grsbfjn.h); the store is
// IHnGrsbfjnDAO from the service factory ("创建平台组件接口[IHnGrsbfjnDAO]失败！" when absent).
// One object is used by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include "business/business_object.h"
#include "service/server_call.h"
#include "velmor/hn_grsbfjn.h"
#include "velmor/hn_grsbfjn_dao.h"

namespace velmor {

inline constexpr const char* kHnClass = "THnGrsbfjn";
inline constexpr const char* kHnNoDao = "创建平台组件接口[IHnGrsbfjnDAO]失败！";

class THnGrsbfjn : public ServiceImpl<TSBBaseObj, IHnGrsbfjn> {
 public:
  VELMOR_PUBLISHED(THnGrsbfjn, TSBBaseObj)

  bool Xd(const std::string& order, std::string& result, std::string& message) override;
  bool ddztCx(const std::string& ddh, std::string& result, std::string& message) override;
  bool ddCx(const std::string& query, std::string& result, std::string& message) override;
  std::string GetData(const std::string& filter, int32_t page, int32_t pageSize) override;
  std::string GetMxData(const std::string& ddh) override;
  int32_t GetCount(const std::string& filter) override;
  std::string GetDjfDataLb() override;

 private:
  bool Op(const service::OpRow& row, std::string& message, const std::function<void()>& body);
  template <class R, class F>
  R Pass(const char* op, R fallback, F&& call);
};

}  // namespace velmor
