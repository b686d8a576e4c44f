// IRcsbMgr: the daily-declaration service (class TRcsbMgr): submits a payer's declaration to the
// tax server, fetches its feedback, voids it and downloads the declaration list into the local
// declaration store (IRcsbDAO), whose store operations it also forwards; answers the residents'
// and co-operative medical queries the declaration screens need.
//
// Records travel as JSON text as in IRcsbDAO. Every operation answers false on failure with the
// user's message in `error` and in GetErrorMessage, and writes "[TRcsbMgr.<operation>]异常：..."
// to the host's debug log; nothing throws. Store forwards copy the store's error text. Server
// calls run on the calling thread (the host's main thread); one object serves one thread at a
// time. Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class IRcsbMgr : public IServiceIntf {
 public:
  VELMOR_IID("{7464D177-8E66-4CD1-A84A-07AA400BD962}")

  // A void result (IRcsbDAO::UpdateZfFk, stamped with the current time).
  virtual bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) = 0;
  virtual bool GetExistsJfndLb(const std::string& djxh, std::string& years) = 0;
  virtual bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) = 0;
  virtual bool DelJfrydjxx(int32_t id) = 0;
  virtual bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetSbzbCount(const std::string& filter, int32_t& count) = 0;
  virtual bool GetStatsData(const std::string& djxh, const std::string& pmlx, const std::string& states,
                            std::string& stats) = 0;
  // Fetches the feedback of a stored declaration in state 1 (service "0005") or 9 ("0103")
  // and records it; answers the new state.
  virtual bool GetSbFk(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) = 0;
  // Fetches the feedback of a second-form submission in state 1 or 9 (service "0085") and
  // records it; answers the new state (9 again while the server has no final result).
  virtual bool GetSbFk_61(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) = 0;
  virtual bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) = 0;
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) = 0;
  virtual bool GetJfrydjxxData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetJfrydjxxCount(const std::string& filter, int32_t& count) = 0;
  virtual bool GetDtjJfndLb(const std::string& djxh, const std::string& pmlx, std::string& years) = 0;
  // Writes the details and declared persons of master `id` to an XLSX workbook at `path` (an
  // existing file is replaced only once the new one is complete). Error "导出申报明细异常：...".
  virtual bool ExportSbmx(int32_t id, const std::string& path, std::string& error) = 0;
  // Downloads the current payer's declaration list of payer type `jfrlx` for a fee period
  // (service "0053") and stores it.
  virtual bool synSbqdCx(const std::string& jfrlx, const std::string& fkssqq, const std::string& fkssqz,
                         IProgressView* progress, std::string& error) = 0;
  // Submits a declaration (service "0004") and stores it with its outcome in one transaction;
  // answers its id and state (1 refused with "10042", 2 declared, 3 failed, 9 accepted without a
  // final result). Nothing is stored when the call fails.
  virtual bool SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                      std::string& error) = 0;
  // The second form of submission (service "0083", its result "0084"), stored as SbSend stores.
  // Result code "60001" (accepted, result not final) gives state 9, fetched later by GetSbFk_61;
  // "60002" gives state 3 with "【60002】" + the message as reason.
  virtual bool SbSend_61(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                         std::string& error) = 0;
  // Voids a declared master (service "0054"); answers the state stored (5 voided, 2 still declared).
  virtual bool Sbzf(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) = 0;
  // Declared persons of master `mxbid`, optionally of one sub-item and check state (jyzt 0 or 1,
  // -1 both), with the detail's sjly.
  virtual bool GetSbrymxLb(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t page, int32_t pageSize,
                           std::string& rows) = 0;
  virtual bool GetSbrymxCount(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t& count) = 0;
  // The second pair: every declared person of the master (no sub-item, both check states).
  virtual bool GetSbrymxLb(int32_t mxbid, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetSbrymxCount(int32_t mxbid, int32_t& count) = 0;
  // The declared persons of master `id` as one sheet ("申报人员明细"), the same file safety and
  // error text as ExportSbmx.
  virtual bool ExportSbrymx(int32_t id, const std::string& path, std::string& error) = 0;
  // The same with a check column: "校验通过", or "校验不通过" for a person with jyzt 1 or a
  // reason from the server, and that reason.
  virtual bool ExportSbrymxJyjg(int32_t id, const std::string& path, std::string& error) = 0;
  virtual bool GetJfdjStatistics(const std::string& djxh, std::string& stats) = 0;
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
  virtual bool GetWxzrymxData(const std::string& djxh, std::string& rows) = 0;
  virtual bool GetSbRymxData(int32_t id, std::string& rows) = 0;
  // The enrolment year of pension ("cbxzDjNf_YANGL") and of medical insurance ("cbxzDjNf_YIL"):
  // the host's regional setting of that key, else the payer's system parameter of that name,
  // else the current year. A configured value that is not a four-digit year is refused.
  virtual bool GetCbxzDjNfYangl(std::string& year, std::string& error) = 0;
  virtual bool GetCbxzDjNfYil(std::string& year, std::string& error) = 0;
  virtual bool QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                              std::string& rows) = 0;
  // Payment state of many vouchers (a batch of service "0014"): `vouchers` is a JSON array of
  // yzpzxh texts; each answer's unpaid/paid amounts give jkzt 0, 2 or 3, stored by UpdateJkzt.
  // `states` receives a JSON object yzpzxh -> jkzt. progressShare is spread over the vouchers.
  virtual bool BatGetJkzt(const std::string& vouchers, IProgressView* progress, int32_t progressShare,
                          std::string& states, std::string& error) = 0;
  // Four store operations. The first two are the store's GetYzpzxhLb and DealNullXm, the two
  // store reads the declaration flow itself does not use.
  virtual bool GetYzpzxhLb(const std::string& djxh, std::string& rows) = 0;
  virtual bool DealNullXm(const std::string& djxh, int32_t& filled) = 0;
  virtual bool UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) = 0;
  virtual bool getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                                   std::string& rows) = 0;
  // Residents' and co-operative medical queries: asynchronous calls (submit, then poll). `params`
  // is a JSON object that becomes the request body together with a fresh "yblsh" and the current
  // payer's "djxh"; `result` receives the server's answer as a JSON object (code, message and its
  // values, lists as arrays). Failures: "查询异常：" + reason.
  virtual bool synCxjmsbfsbecjfCx(const std::string& params, IProgressView* progress, std::string& result,
                                  std::string& error) = 0;  // "0296"
  virtual bool synSzgzdjylxnhsfCx(const std::string& params, IProgressView* progress, std::string& result,
                                  std::string& error) = 0;  // "0297"
  virtual bool synSzgjxnhcxdjdx(const std::string& params, IProgressView* progress, std::string& result,
                                std::string& error) = 0;  // "0298"
  virtual bool synCxjmjbylbxyjfjeCx(const std::string& params, IProgressView* progress, std::string& result,
                                    std::string& error) = 0;  // "0361"
  // "0300", the payer's residents' payment records (body "cxlx" "1") and those of one person
  // (cxlx "2"; `params` must name the person's "zjhm").
  virtual bool synCxjmjfxxCx(const std::string& params, IProgressView* progress, std::string& result,
                             std::string& error) = 0;
  virtual bool synCxjmjfxxCxGr(const std::string& params, IProgressView* progress, std::string& result,
                               std::string& error) = 0;
  // When the system parameter "ENABLE_DSSBFSB_SHOW_FKSSQ" is "Y": removes the current payer's
  // declared masters of kind "00" with a detail without fee period (IRcsbDAO); otherwise does
  // nothing. Answers how many masters went.
  virtual bool CleanSbWithoutFkssq(int32_t& removed) = 0;
  // Refills the missing fee period of the current payer's declared details from their persons
  // (IRcsbDAO::FillNullFkssq); answers how many details were filled.
  virtual bool handleSbcgNullFkssq(int32_t& filled) = 0;
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
