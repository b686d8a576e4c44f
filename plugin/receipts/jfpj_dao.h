// TJfpjDAO: the register of payment receipts (IJfpjDAO) on ds_jfpj, registered as row 28 of the
// service table. Every value is quote-doubled; each operation takes its own connection and
// catches every failure at its boundary. One object is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "velmor/jfpj_dao.h"

namespace velmor {

inline constexpr const char* kJfpjSaveError = "数据库保存异常：";
inline constexpr const char* kJfpjDeleteFailed = "数据库删除失败。";
inline constexpr const char* kJfpjQueryFailed = "数据库查询失败";
inline constexpr const char* kJfpjQueryError = "数据库查询异常：";

class TJfpjDAO : public ServiceImpl<TSBBaseObj, IJfpjDAO> {
 public:
  VELMOR_PUBLISHED(TJfpjDAO, TSBBaseObj)

  int32_t GetCount(const std::string& djxh, const std::string& filter) override;
  std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) override;
  bool SaveData(const std::string& djxh, const std::string& rows, int32_t& added) override;
  bool DeleteData(const std::string& djxh, const std::string& ids) override;

 private:
  template <class R, class F>
  R Guard(std::string_view op, const char* prefix, bool appendText, R fallback, F&& body);
};

}  // namespace velmor
