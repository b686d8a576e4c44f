// TYjxxServiceImpl: payable information (IYjxxService), registered as row 21 of the service
// table. The store is IYjxxDao from the service factory ("创建平台组件接口[IYjxxDao]失败！"). The
// service keeps its own network connection (made on first download) and refuses a download
// while one of its own runs (the host's message loop may call in again).
#pragma once

#include <functional>
#include <string>

#include "business/business_object.h"
#include "velmor/net_comm.h"
#include "velmor/yjxx_service.h"

namespace velmor {

class TYjxxServiceImpl : public ServiceImpl<TSBBaseObj, IYjxxService> {
 public:
  VELMOR_PUBLISHED(TYjxxServiceImpl, TSBBaseObj)

  bool downloadData(const std::string& jfnd, const std::string& options, IProgressView* progress, int32_t& count,
                    std::string& message) override;
  bool exportData(const std::string& qc, const std::string& path, std::string& message) override;
  std::string getData(const std::string& qc, int32_t page, int32_t pageSize) override;
  int32_t getCount(const std::string& qc) override;
  std::string getStatistics() override;
  std::string getJfnd() override;
  bool synCxjmzjxxCx(const std::string& params, std::string& rows, std::string& message) override;
  bool synCxjmzjxxCxFk(const std::string& params, const std::string& wanted, std::string& rows,
                       std::string& message) override;

 private:
  // Runs body at the boundary "[TYjxxServiceImpl.<op>]异常：" (or the bracketed form);
  // message and ErrorMessage get an own refusal or a server failure as it stands.
  bool Op(const char* op, bool bracketed, std::string& message, const std::function<void()>& body);

  Ref<INetCommIntf> net_;
  bool downloading_ = false;
};

}  // namespace velmor
