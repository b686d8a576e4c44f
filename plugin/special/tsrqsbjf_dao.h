// TTsrqsbjfDAOImpl: the store of special-group declarations (ITsrqsbjfDAO) on ds_tsrqsbjlb,
// registered as row 37 of the service table. Every value is quote-doubled; each operation takes
// its own connection and catches every failure at its boundary. One object is used by one thread
// at a time.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "velmor/tsrqsbjf_dao.h"

namespace velmor {

inline constexpr const char* kTsrqSaveFailed = "SaveSbjl执行Sql失败！";
inline constexpr const char* kTsrqSbztFailed = "更新申报状态失败。";
inline constexpr const char* kTsrqJfztFailed = "更新缴费状态失败。";
inline constexpr const char* kTsrqQueryFailed = "查询失败。";
inline constexpr const char* kTsrqListFailed = "查询特殊人群申报缴费记录失败。";

class TTsrqsbjfDAOImpl : public ServiceImpl<TSBBaseObj, ITsrqsbjfDAO> {
 public:
  VELMOR_PUBLISHED(TTsrqsbjfDAOImpl, TSBBaseObj)

  int32_t GetCount(const std::string& djxh, const std::string& filter) override;
  std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) override;
  bool UpdateSbzt(const std::string& oldYzpzxh, int32_t sbzt, const std::string& yzpzxh, const std::string& cwxx,
                  const std::string& sbrq) override;
  bool UpdateJfzt(const std::string& yzpzxh, const std::string& zsxmdm, const std::string& zspmdm,
                  const std::string& zszmdm, int32_t jfzt, const std::string& cwxx) override;
  std::string getByYzpzxh(const std::string& yzpzxh) override;
  bool UpdateLjeJfzt(const std::string& yzpzxh, int32_t jfzt) override;
  bool SaveSbjl(const std::string& rows) override;

 private:
  template <class R, class F>
  R Guard(std::string_view op, const char* text, R fallback, F&& body);
};

}  // namespace velmor
