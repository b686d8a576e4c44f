// IRcsbMgr: the daily-declaration service (class TRcsbMgr): submits a payer's declaration to the
// tax server, fetches its feedback, voids it and downloads the declaration list into the local
// declaration store (IRcsbDAO), whose store operations it also forwards.
//
// Records travel as JSON text as in IRcsbDAO. Every operation answers false on failure with the
// user's message in `error` and in GetErrorMessage, and writes "[TRcsbMgr.<operation>]异常：..."
// to the host's debug log; nothing throws. Server calls run on the calling thread (the host's
// main thread); one object serves one thread at a time. Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class IRcsbMgr : public IServiceIntf {
 public:
  VELMOR_IID("{7464D177-8E66-4CD1-A84A-07AA400BD962}")

  // Store operations, forwarded to IRcsbDAO; the store's error text is copied on failure.
  virtual bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) = 0;
  virtual bool GetExistsJfndLb(const std::string& djxh, std::string& years) = 0;
  virtual bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) = 0;
  virtual bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetSbzbCount(const std::string& filter, int32_t& count) = 0;
  // Fetches the feedback of a stored declaration in state 1 (service "0005") or 9 ("0103")
  // and records it; answers the new state.
  virtual bool GetSbFk(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) = 0;
  virtual bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) = 0;
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) = 0;
  // Writes the details and declared persons of master `id` to an XLSX workbook at `path` (an
  // existing file is replaced only once the new one is complete). Error "导出申报明细异常：...".
  virtual bool ExportSbmx(int32_t id, const std::string& path, std::string& error) = 0;
  // Downloads the current payer's declaration list of payer type `jfrlx` for a fee period
  // (service "0053") and stores it.
  virtual bool synSbqdCx(const std::string& jfrlx, const std::string& fkssqq, const std::string& fkssqz,
                         IProgressView* progress, std::string& error) = 0;
  // Submits a declaration (service "0004") and stores it with the outcome; answers its id and
  // state (1 refused with "10042", 2 declared, 3 failed, 9 accepted without a final result).
  virtual bool SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                      std::string& error) = 0;
  // Voids a declared master (service "0054"); answers the state stored (5 voided, 2 still declared).
  virtual bool Sbzf(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) = 0;
  // Downloads the lists of the payer types among "5", "8" and "9" that `jfrlxs` names (a list
  // "5,8"); `byDeclarationDate` sends the range as declaration days (sbrqq/sbrqz), otherwise as
  // fee period. True only when every download succeeded ("下载异常。" + reason otherwise).
  virtual bool DownloadSbqdByJfrlxs(const std::string& jfrlxs, bool byDeclarationDate, const std::string& from,
                                    const std::string& to, IProgressView* progress, std::string& error) = 0;
  // Downloads the declaration list through the data interface (service "0299", payer type 5)
  // for declaration days sbrqq..sbrqz.
  virtual bool synSbqdCxSjjk(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress,
                             std::string& error) = 0;
  // Downloads the declared persons of the master with voucher `yzpzxh` (service "0081") and
  // replaces the stored ones; "30062" (no data) succeeds with nothing stored. Answers the count.
  virtual bool SbmxjlXz(const std::string& yzpzxh, IProgressView* progress, int32_t& count, std::string& error) = 0;
  virtual bool GetSbRymxData(int32_t id, std::string& rows) = 0;
  virtual bool QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                              std::string& rows) = 0;
  // Payment state of many vouchers (a batch of service "0014"): `vouchers` is a JSON array of
  // yzpzxh texts; each answer's unpaid/paid amounts give jkzt 0, 2 or 3, stored by UpdateJkzt.
  // `states` receives a JSON object yzpzxh -> jkzt. progressShare is spread over the vouchers.
  virtual bool BatGetJkzt(const std::string& vouchers, IProgressView* progress, int32_t progressShare,
                          std::string& states, std::string& error) = 0;
  virtual bool UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) = 0;
  virtual bool getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                                   std::string& rows) = 0;
  // When the system parameter "ENABLE_DSSBFSB_SHOW_FKSSQ" is "Y": removes the current payer's
  // declared masters of kind "00" with a detail without fee period (IRcsbDAO); otherwise does
  // nothing. Answers how many masters went.
  virtual bool CleanSbWithoutFkssq(int32_t& removed) = 0;
  // Whether the residents' declared amounts replace the payable ones: both system parameters
  // "ENABLE_CXJMYTB" and "ENABLE_CXJMCXSJYJFE" are "Y".
  virtual bool IsCxjmSjyjfeEnabled() = 0;
  // The allowed payment years of residents' pension ("YANGLAO") or medical ("YILIAO")
  // insurance, from the system parameter "CXJMJFND_" + kind (years separated by "," or "|"),
  // as a JSON array of texts. False for another kind or an empty list.
  virtual bool GetCxjmJfndLb(const std::string& kind, std::string& years, std::string& error) = 0;
  // True when `jfnd` is one of those years; else false with "缴费年度只能是 [ years ] 范围内的年度".
  virtual bool CheckCxjmJfnd(const std::string& kind, const std::string& jfnd, std::string& error) = 0;

 protected:
  ~IRcsbMgr() = default;
};

}  // namespace velmor
