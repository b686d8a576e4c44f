// TGrsbfjnDAO: the store of individual online payment orders (IGrsbfjnDAO) on sb_grsbfjfjl and
// sb_grjfzfxxb, registered as row 24 of the service table. Every value is quote-doubled; each
// operation takes its own connection and catches every failure at its boundary. One object is
// used by one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "velmor/grsbfjn_dao.h"

namespace velmor {

inline constexpr const char* kGrSaveFailed = "数据库保存失败。";
inline constexpr const char* kGrQueryFailed = "数据库查询失败。";
inline constexpr const char* kGrUpdateFailed = "数据库更新失败";
inline constexpr const char* kGrZfDataFailed = "获取支付数据失败。";

// The local order states.
inline constexpr int32_t kDdztUnpaid = 0;
inline constexpr int32_t kDdztPaid = 1;
inline constexpr int32_t kDdztClosed = 2;

class TGrsbfjnDAO : public ServiceImpl<TSBBaseObj, IGrsbfjnDAO> {
 public:
  VELMOR_PUBLISHED(TGrsbfjnDAO, TSBBaseObj)

  bool SaveJfxx(const std::string& rows) override;
  int32_t GetCount(const std::string& djxh, const std::string& filter) override;
  std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) override;
  std::string GetAllDjfDataLb(const std::string& djxh, int32_t ddzt) override;
  bool UpdateDdzt(const std::string& djxh, const std::string& spddh, const std::string& zfddh, int32_t ddzt) override;
  bool SaveDdZfData(const std::string& data) override;
  std::string GetDdZfData(const std::string& orderId, const std::string& queryId) override;

 private:
  template <class R, class F>
  R Guard(std::string_view op, const char* text, R fallback, F&& body);
};

}  // namespace velmor
