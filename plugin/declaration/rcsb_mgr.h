// TRcsbMgr: the daily-declaration service (IRcsbMgr), registered as row 9 of the service table.
// Talks to the server through the taxML exchange and stores through IRcsbDAO, which it obtains
// from the host's factory per operation. One object serves one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "business/business_object.h"
#include "velmor/rcsb_dao.h"
#include "velmor/rcsb_mgr.h"

namespace velmor {

class TRcsbMgr : public ServiceImpl<TSBBaseObj, IRcsbMgr> {
 public:
  VELMOR_PUBLISHED(TRcsbMgr, TSBBaseObj)

  bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) override;
  bool GetExistsJfndLb(const std::string& djxh, std::string& years) override;
  bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) override;
  bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetSbzbCount(const std::string& filter, int32_t& count) override;
  bool GetSbFk(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) override;
  bool synSbqdCx(const std::string& jfrlx, const std::string& fkssqq, const std::string& fkssqz,
                 IProgressView* progress, std::string& error) override;
  bool SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
              std::string& error) override;
  bool Sbzf(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool ExportSbmx(int32_t id, const std::string& path, std::string& error) override;
  bool DownloadSbqdByJfrlxs(const std::string& jfrlxs, bool byDeclarationDate, const std::string& from,
                            const std::string& to, IProgressView* progress, std::string& error) override;
  bool synSbqdCxSjjk(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress,
                     std::string& error) override;
  bool SbmxjlXz(const std::string& yzpzxh, IProgressView* progress, int32_t& count, std::string& error) override;
  bool GetSbRymxData(int32_t id, std::string& rows) override;
  bool QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                      std::string& rows) override;
  bool BatGetJkzt(const std::string& vouchers, IProgressView* progress, int32_t progressShare, std::string& states,
                  std::string& error) override;
  bool UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) override;
  bool getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                           std::string& rows) override;
  bool CleanSbWithoutFkssq(int32_t& removed) override;
  bool IsCxjmSjyjfeEnabled() override;
  bool GetCxjmJfndLb(const std::string& kind, std::string& years, std::string& error) override;
  bool CheckCxjmJfnd(const std::string& kind, const std::string& jfnd, std::string& error) override;

 private:
  // Runs a store call; on failure copies the store's error text.
  template <class F>
  bool Forward(const char* op, F&& call);
  // One list download of a payer type (service "0053"); raises with the user's message.
  void DownloadSbfysbqdByJfrlx(const std::string& jfrlx, const std::string& sbrqq, const std::string& sbrqz,
                               const std::string& fkssqq, const std::string& fkssqz, IProgressView* progress);
};

}  // namespace velmor
