// TPaymentMgr: the payment manager (IJkService), registered as row 10 of the service table.
// The store pass-throughs are in payment_mgr.cpp; agreements and arrears ("0006", "0007") in
// payment_arrears.cpp; deduction and its status ("0008", "0014") in payment_deduction.cpp;
// vouchers ("0010", "0011") in payment_vouchers.cpp; the payment lists ("0035", "0237") in
// payment_queries.cpp; the home-page notices in payment_notices.cpp; the voucher-state sync,
// the voucher workbook and the certificate seal (host services) in payment_voucher_sync.cpp,
// payment_export.cpp and payment_seal.cpp. One object is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "service/taxml_json.h"
#include "velmor/jk_service.h"
#include "payment/payment_dao.h"
#include "velmor/payment_dao.h"

namespace velmor {

class TPaymentMgr : public ServiceImpl<TSBBaseObj, IJkService> {
 public:
  VELMOR_PUBLISHED(TPaymentMgr, TSBBaseObj)

  bool GetSfxyLb(const std::string& kjywrdjxh, const std::string& dyfs, IProgressView* progress,
                 std::string& agreements) override;
  bool GetQfxxLb(int32_t source, const std::string& djxh, const std::string& condition, const std::string& offices,
                 IProgressView* progress, std::string& arrears) override;
  bool SfyxJk(const std::string& lines, const std::string& agreement, const std::string& person, int32_t jfrlx,
              IProgressView* progress, int32_t& result) override;
  bool PrintJkpz(const std::string& lines, const std::string& account, IProgressView* progress,
                 int32_t& result) override;
  bool JkpzZf(const std::string& djxh, const std::string& voucher, IProgressView* progress) override;
  bool Kkqkcx(const std::string& djxh, const std::string& yzpzxh, IProgressView* progress,
              std::string& answer) override;
  bool GetCount(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t& count) override;
  bool GetData(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t page, int32_t pageSize,
               std::string& rows) override;
  bool GetPrintCount(const std::string& condition, int32_t jkfs, int32_t& count) override;
  bool GetPrintData(const std::string& condition, int32_t jkfs, int32_t page, int32_t pageSize,
                    std::string& rows) override;
  bool GetDataByDzsphm(const std::string& djxh, const std::string& dzsphm, std::string& rows) override;
  bool GetWjkYhjkpzLb(const std::string& djxh, int32_t jkfs, int32_t jkzt1, int32_t jkzt2, int32_t jkzt3,
                      int32_t dyzt, std::string& list) override;
  bool SaveKkqkcxResult(const std::string& djxh, const std::string& yzpzxh, const std::string& answer) override;
  bool ExportXls(const std::string& records, std::string& file) override;
  bool GetCsjkxx(const std::string& djxh, int32_t jfrlx, std::string& groups) override;
  bool GetWdySfxyjkJl(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz, int32_t jkfs,
                      int32_t jkzt, std::string& rows) override;
  bool GetMaxDzjfpzNo(const std::string& djxh, std::string& maxNo) override;
  bool SaveDzjfpz(const std::string& record) override;
  bool UpdateDzjfpzDy(int32_t id) override;
  bool GetDzjfpzJlCount(const std::string& condition, int32_t& count) override;
  bool GetDzjfpzJlData(const std::string& condition, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetDzjfpzMxData(int32_t id, std::string& rows) override;
  bool DzjfpzElecSeal(const std::string& record, IProgressView* progress) override;
  bool GetZrrSbfJfQd(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                     const std::string& fkssqz, IProgressView* progress, std::string& list) override;
  bool CheckQfxxNotice(IProgressView* progress) override;
  bool synDzsphmDyzt(const std::string& djxh, IProgressView* progress) override;
  bool SendQfxxNotice() override;
  bool UpdateJkzt(const std::string& vouchers, int32_t jkzt) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, const std::string& zsxmDm,
                  const std::string& zspmDm, const std::string& zszmDm, int32_t jkzt,
                  const std::string& sbyy) override;
  bool GetZspmdmList(const std::string& djxh, int32_t jkfs, const std::string& jkztList, int32_t jfrlx,
                     std::string& list) override;
  bool SaveJfmxList(const std::string& lines, const std::string& djxh, const std::string& skssqq,
                    const std::string& skssqz, const std::string& jkrqq, const std::string& jkrqz) override;
  bool synZrrjfqdCx(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                    const std::string& fkssqz, std::string& yblsh) override;
  bool synZrrjfqdCxFk(const std::string& yblsh, bool& ready, std::string& list) override;
  bool synCxjmlssbfJfqdCx(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                          const std::string& fkssqz, std::string& yblsh) override;
  bool synCxjmlssbfJfqdCxFk(const std::string& yblsh, bool& ready, std::string& answer) override;
  bool GetZs10305CxList(int32_t jkfs, const std::string& jkztList, int32_t dyzt, std::string& list) override;
  bool UpdateJkztBy10305(const std::string& dzsphm, int32_t jkzt, const std::string& sbyy) override;

 private:
  // The two home-page notices as last prepared by CheckQfxxNotice; empty: none.
  std::string QfxxNoticeText;
  std::string OverdueNoticeText;

  // The operation's boundary: "[TPaymentMgr.<op>]异常：" + text in the log; the user reads the
  // text of the operation's own refusals (taxml::Failure, OpRefusal) as it stands, `fallback`
  // for anything else.
  template <class F>
  bool Run(std::string_view op, const char* fallback, F&& body) {
    ErrorMessage.clear();
    return Guarded<taxml::Failure, service::OpRefusal>({"TPaymentMgr", op}, {fallback, false}, &ErrorMessage, false,
                                                        [&] {
                                                          body();
                                                          return true;
                                                        });
  }
  // A store operation passed through: false with the store's error text when it fails.
  template <class F>
  bool Pass(F&& call);
  Ref<IPaymentDAO> Store();
};

namespace payment {

// The progress view's span advanced by fixed fractions (a null view is ignored).
void Advance(IProgressView* progress, double fraction);
int32_t SpanOf(IProgressView* progress, double fraction);
// One JSON exchange: {"yblsh", keys..., written...} under `code` (`written`: keys whose values are
// JSON texts, taxml::Call::writtenKeys); the answer's JSON is read by the caller.
taxml::Reply SendJson(const char* code, const nlohmann::ordered_json& keys, IProgressView* progress,
                      double sendFraction, std::vector<std::pair<std::string, std::string>> written = {});
// The answer of a succeeded reply as a JSON object; unreadable: OpRefusal(unreadable).
nlohmann::ordered_json AnswerOf(const taxml::Reply& reply, const char* unreadable);

}  // namespace payment
}  // namespace velmor
