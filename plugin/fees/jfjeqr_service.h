// TJfjeqrService: payment-amount confirmation and personal payment agreements
// (IJfjeqrService), registered as row 25 of the service table. Server operations are rows of the
// call helper (service/server_call.h); the store is IJfjeqrDAO from the service factory
// ("创建平台组件接口[IJfjeqrDAO]失败！" when absent). The agreement exchanges are in
// jfjeqr_agreements.cpp. One object is used by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "service/server_call.h"
#include "velmor/jfjeqr_dao.h"
#include "velmor/jfjeqr_service.h"

namespace velmor {

inline constexpr const char* kJfjeqrNoDao = "创建平台组件接口[IJfjeqrDAO]失败！";

namespace fees {
// The agreement document of "0044"-"0047": one ZSsfxyVO with its members in order.
taxml::RequestDocument AgreementDocument(const nlohmann::ordered_json& agreement);
}  // namespace fees

class TJfjeqrService : public ServiceImpl<TSBBaseObj, IJfjeqrService> {
 public:
  VELMOR_PUBLISHED(TJfjeqrService, TSBBaseObj)

  bool JfjeqrSave(const std::string& lines, IProgressView* progress, std::string& message) override;
  int32_t GetJfjeqrCount(const std::string& filter) override;
  std::string GetJfjeqrData(const std::string& filter, int32_t page, int32_t pageSize) override;
  bool GrwtkkjfxyCx(const std::string& person, std::string& authorisations, std::string& message) override;
  bool Nop() override { return true; }
  bool GetXzqhYhList(const std::string& xzqhdm, std::string& list, std::string& message) override;
  bool Grwtkkjfxybc(const std::string& authorisation, std::string& message) override;
  int32_t GetSbfkfsqCount(const std::string& filter) override;
  std::string GetSbfkfsqData(const std::string& filter, int32_t page, int32_t pageSize) override;
  bool SbfkfsqZf(int32_t id, std::string& message) override;
  bool synProduceSfxy(const std::string& skssswjgDm, std::string& sfxyh, std::string& message) override;
  bool synSaveSfxyxx(const std::string& agreement, std::string& sfxydjuuid, std::string& message) override;
  bool synUpdateSfxyxx(const std::string& agreement, std::string& returnMessage, std::string& message) override;
  bool synCheckSfxy(const std::string& agreement, std::string& returnMessage, std::string& message) override;
  bool synRevokeSfxy(const std::string& agreement, std::string& returnMessage, std::string& message) override;
  bool synZfSfxyh(const std::string& zfrDm, const std::string& sfxydjuuid, std::string& message) override;
  bool SaveJmylwqsfxy(const std::string& rydjxh, const std::string& xm, const std::string& agreement,
                      std::string& message) override;
  int32_t GetJmylwqsfxyCount(const std::string& filter) override;
  std::string GetJmylwqsfxyData(const std::string& filter, int32_t page, int32_t pageSize) override;
  bool UpdateSfyxztDm(const std::string& rydjxh, const std::string& sfxyh, const std::string& sfxyztDm,
                      std::string& message) override;
  bool UpdateSfxyyztgrq(const std::string& rydjxh, const std::string& sfxyh, const std::string& sfxyyztgRq,
                        std::string& message) override;
  bool GetXzqhmc(const std::string& xzqhdm, std::string& xzqhmc, std::string& message) override;
  bool GetBankList(std::string& banks, std::string& message) override;

 private:
  // Runs a row's body: message and ErrorMessage get the failure's text (service::RunOp).
  bool Op(const service::OpRow& row, std::string& message, const std::function<void()>& body);
  // A store pass-through: false with the store's text when `ok` is false.
  bool Store(const char* op, std::string& message, const std::function<bool(IJfjeqrDAO&)>& body);
  // "0046" / "0047": the server's message, or the return-code component's text for `refusal`.
  bool Verdict(const service::OpRow& row, const char* refusal, const std::string& agreement,
               std::string& returnMessage, std::string& message);
};

}  // namespace velmor
