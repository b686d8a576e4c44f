// TGrsbfjn: individual online payment (IGrsbfjn), registered as row 23 of the service table.
// The bank channel (bank_channel.h) is in grsbfjn_bank.cpp, the tax-server orders in
// grsbfjn_server.cpp; the store is IGrsbfjnDAO from the service factory
// ("创建平台组件接口[IGrsbfjnDAO]失败！" when absent). One object is used by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include "business/business_object.h"
#include "service/server_call.h"
#include "velmor/grsbfjn.h"
#include "velmor/grsbfjn_dao.h"

namespace velmor {

inline constexpr const char* kGrClass = "TGrsbfjn";
inline constexpr const char* kGrNoDao = "创建平台组件接口[IGrsbfjnDAO]失败！";

namespace onlinepay {
Ref<IGrsbfjnDAO> GrDao();
// A server order exchange ("0049"-"0052", "0189"): the body's keys as given (djxh among them
// where the exchange wants it), no serial; with a document, the body is {"djxh", "data"}. The answer must come with return code "SUCCESS" (else
// "[code]message" raised for the operation's prefix); its JSON text is parsed as outside JSON
// ("反馈报文异常：" + detail when it is not an object or array).
service::Json ServerOrderCall(const char* code, const service::Json& keys,
                              const taxml::RequestDocument* document = nullptr);
}  // namespace onlinepay

class TGrsbfjn : public ServiceImpl<TSBBaseObj, IGrsbfjn> {
 public:
  VELMOR_PUBLISHED(TGrsbfjn, TSBBaseObj)

  bool Sbfjn(const std::string& order, std::string& result, std::string& message) override;
  int32_t GetCount(const std::string& filter) override;
  std::string GetData(const std::string& filter, int32_t page, int32_t pageSize) override;
  std::string GetAllDjfDataLb() override;
  bool DoZfztCx(const std::string& spddh, const std::string& zfddh, std::string& result,
                std::string& message) override;
  bool Xd(const std::string& order, std::string& result, std::string& message) override;
  bool ddmxCx(const std::string& orderId, const std::string& queryId, std::string& result,
              std::string& message) override;
  bool ddCx(const std::string& query, std::string& result, std::string& message) override;
  bool ddztCx(const std::string& orderId, const std::string& queryId, std::string& result,
              std::string& message) override;
  bool SaveDdZfData(const std::string& data) override;
  std::string GetDdZfData(const std::string& orderId, const std::string& queryId) override;

 private:
  // Runs a row's body: message and ErrorMessage get the failure's text (service::RunOp).
  bool Op(const service::OpRow& row, std::string& message, const std::function<void()>& body);
  // A store pass-through: the store's result, its message as the last-error text; a store that
  // cannot be obtained gives `fallback` with kGrNoDao.
  template <class R, class F>
  R Pass(const char* op, R fallback, F&& call);
};

}  // namespace velmor
