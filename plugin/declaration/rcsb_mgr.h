// TRcsbMgr: the daily-declaration service (IRcsbMgr), registered as row 9 of the service table.
// Talks to the server through the taxML exchange and stores through IRcsbDAO, which it obtains
// from the host's factory per operation. One object serves one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "store/store_guard.h"
#include "velmor/rcsb_dao.h"
#include "velmor/rcsb_mgr.h"

namespace velmor {

class TRcsbMgr : public ServiceImpl<TSBBaseObj, IRcsbMgr> {
 public:
  VELMOR_PUBLISHED(TRcsbMgr, TSBBaseObj)

  bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) override;
  bool GetExistsJfndLb(const std::string& djxh, std::string& years) override;
  bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) override;
  bool DelJfrydjxx(int32_t id) override;
  bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetSbzbCount(const std::string& filter, int32_t& count) override;
  bool GetStatsData(const std::string& djxh, const std::string& pmlx, const std::string& states,
                    std::string& stats) override;
  bool GetSbFk(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool GetSbFk_61(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) override;
  bool GetJfrydjxxData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetJfrydjxxCount(const std::string& filter, int32_t& count) override;
  bool GetDtjJfndLb(const std::string& djxh, const std::string& pmlx, std::string& years) override;
  bool ExportSbmx(int32_t id, const std::string& path, std::string& error) override;
  bool synSbqdCx(const std::string& jfrlx, const std::string& fkssqq, const std::string& fkssqz,
                 IProgressView* progress, std::string& error) override;
  bool SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
              std::string& error) override;
  bool SbSend_61(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                 std::string& error) override;
  bool Sbzf(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool GetSbrymxLb(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t page, int32_t pageSize,
                   std::string& rows) override;
  bool GetSbrymxCount(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t& count) override;
  bool GetSbrymxLb(int32_t mxbid, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetSbrymxCount(int32_t mxbid, int32_t& count) override;
  bool ExportSbrymx(int32_t id, const std::string& path, std::string& error) override;
  bool ExportSbrymxJyjg(int32_t id, const std::string& path, std::string& error) override;
  bool GetJfdjStatistics(const std::string& djxh, std::string& stats) override;
  bool DownloadSbqdByJfrlxs(const std::string& jfrlxs, bool byDeclarationDate, const std::string& from,
                            const std::string& to, IProgressView* progress, std::string& error) override;
  bool synSbqdCxSjjk(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress,
                     std::string& error) override;
  bool SbmxjlXz(const std::string& yzpzxh, IProgressView* progress, int32_t& count, std::string& error) override;
  bool GetWxzrymxData(const std::string& djxh, std::string& rows) override;
  bool GetSbRymxData(int32_t id, std::string& rows) override;
  bool GetCbxzDjNfYangl(std::string& year, std::string& error) override;
  bool GetCbxzDjNfYil(std::string& year, std::string& error) override;
  bool QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                      std::string& rows) override;
  bool BatGetJkzt(const std::string& vouchers, IProgressView* progress, int32_t progressShare, std::string& states,
                  std::string& error) override;
  bool GetYzpzxhLb(const std::string& djxh, std::string& rows) override;
  bool DealNullXm(const std::string& djxh, int32_t& filled) override;
  bool UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) override;
  bool getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                           std::string& rows) override;
  bool synCxjmsbfsbecjfCx(const std::string& params, IProgressView* progress, std::string& result,
                          std::string& error) override;
  bool synSzgzdjylxnhsfCx(const std::string& params, IProgressView* progress, std::string& result,
                          std::string& error) override;
  bool synSzgjxnhcxdjdx(const std::string& params, IProgressView* progress, std::string& result,
                        std::string& error) override;
  bool synCxjmjbylbxyjfjeCx(const std::string& params, IProgressView* progress, std::string& result,
                            std::string& error) override;
  bool synCxjmjfxxCx(const std::string& params, IProgressView* progress, std::string& result,
                     std::string& error) override;
  bool synCxjmjfxxCxGr(const std::string& params, IProgressView* progress, std::string& result,
                       std::string& error) override;
  bool CleanSbWithoutFkssq(int32_t& removed) override;
  bool handleSbcgNullFkssq(int32_t& filled) override;
  bool IsCxjmSjyjfeEnabled() override;
  bool GetCxjmJfndLb(const std::string& kind, std::string& years, std::string& error) override;
  bool CheckCxjmJfnd(const std::string& kind, const std::string& jfnd, std::string& error) override;

 private:
  // Runs a store call; on failure copies the store's error text, on success clears it.
  template <class F>
  bool Forward(const char* op, F&& call);
  // Settles the payer's journalled submissions (states 10, 11) by asking the server under their
  // serials (GetSbFk / GetSbFk_61), so a list download leaves no declaration whose filing is
  // unknown. Raises naming the first that stays unsettled.
  void SettleJournalled(IRcsbDAO& dao, const std::string& djxh);
  // One list download of a payer type (service "0053"); raises with the user's message.
  void DownloadSbfysbqdByJfrlx(const std::string& jfrlx, const std::string& sbrqq, const std::string& sbrqz,
                               const std::string& fkssqq, const std::string& fkssqz, IProgressView* progress);
  // One residents' query (asynchronous call of `serviceCode`); `extra` keys go first in the body.
  bool RunQuery(const char* op, const char* serviceCode, const std::string& params, const nlohmann::ordered_json& extra,
             IProgressView* progress, std::string& result, std::string& error);
  // An enrolment year of the regional setting / system parameter `key`.
  bool EnrolmentYear(const char* op, const char* key, std::string& year, std::string& error);
  // Writes the persons of master `id`, with the check columns when `withCheck`.
  bool ExportPersons(const char* op, int32_t id, const std::string& path, bool withCheck, std::string& error);
};

template <class F>
bool TRcsbMgr::Forward(const char* op, F&& call) {
  return Guarded<>({"TRcsbMgr", op}, {}, &ErrorMessage, false, [&] {
    Ref<IRcsbDAO> dao = CreatePluginService<IRcsbDAO>("创建平台组件接口[IRcsbDAO]失败！");
    if (call(*dao)) {
      ErrorMessage.clear();
      return true;
    }
    ErrorMessage = dao->GetErrorMessage();
    return false;
  });
}

}  // namespace velmor
