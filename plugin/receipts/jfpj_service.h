// TJfpjService: payment receipts (IJfpjService), registered as row 29 of the service table. The
// register is IJfpjDAO from the service factory ("创建平台组件接口[IJfpjDAO]失败！" when absent);
// the workbook rules are in jfpj_rows.h. One object is used by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include "business/business_object.h"
#include "velmor/jfpj_dao.h"
#include "velmor/jfpj_service.h"

namespace velmor {

inline constexpr const char* kJfpjNoDao = "创建平台组件接口[IJfpjDAO]失败！";

class TJfpjService : public ServiceImpl<TSBBaseObj, IJfpjService> {
 public:
  VELMOR_PUBLISHED(TJfpjService, TSBBaseObj)

  int32_t GetCount(const std::string& filter) override;
  std::string GetData(const std::string& filter, int32_t page, int32_t pageSize) override;
  bool SaveData(const std::string& rows, int32_t& added, std::string& message) override;
  bool DeleteData(const std::string& ids, std::string& message) override;
  bool ImportXls(const std::string& path, std::string& valid, std::string& rejected, std::string& message) override;
  bool DealXlsTemplate(const std::string& path, std::string& message) override;

 private:
  // Runs body at the boundary: "[TJfpjService.<op>]异常：" in the log; message and ErrorMessage
  // get an own refusal as it stands, anything else after `prefix`.
  bool Op(const char* op, const char* prefix, std::string& message, const std::function<void()>& body);
};

}  // namespace velmor
