// IEmployeeService: the employee service (class TEmployeeServiceImpl, registered under this
// interface's GUID string), through which the host keeps one payer's roster in step with the
// server: registrations ("0040"), enrolments and persons ("0058"/"0059"), the summary states,
// the declaration states of assessed declarations ("0108") and outside persons ("0057"); it also
// validates names, reads the roster store for the host, and asks the server about single persons,
// payment grades, amounts due, payment states and residents' data (slots 13 onward). It keeps
// no roster data itself: the store is IEmployeeDao, the parameters ISysParamIntf.
//
// Failures never raise: an operation answers false (or its failure value) with the user message
// in its `message` out-parameter and as the last-error text, and logs the exception line
// ("[TEmployeeServiceImpl.<op>]异常：..." or "[异常]TEmployeeServiceImpl.<op>：[...]"). Every
// operation that talks to the server advances `progress` (may be null) and lets the host process
// its messages. Used from the host's main thread; one object by one thread at a time.
// Operations are in slot order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"
#include "velmor/roster_types.h"

namespace velmor {

// One outside person to add (addWbry) and what became of it.
struct WbryInput {
  std::string xm, zjlx, zjhm, sbjbjgdm;
  int32_t fzid = -1;
  std::string fullpath, bzxx;
};
// TWbryImportEntity: one data row of an outside-person workbook (importWbry) and what became of
// it: refused with the row's errors (state ""), or sent to the server and recognised ("1", hh
// set) or not recognised ("2", the server's reason in `answer`; stored as not registered).
struct TWbryImportEntity {
  int32_t row = 0;  // the row in the workbook, from 1 (row 1 holds the captions)
  std::string xm, zjlx, zjhm, sbjbjgdm;
  int32_t fzid = -1;
  std::string fullpath, bzxx, hh;
  std::string state;   // "1", "2", or "" when refused
  std::string answer;  // the row's errors joined by "；", or the server's reason
};
// The outcome of a workbook import.
struct WorkbookImportResult {
  int32_t accepted = 0, rejected = 0;
  std::string errorFile;  // the error workbook beside the source; empty when no row was rejected
};

struct WbryOutcome {
  std::string xm, zjlx, zjhm;
  std::string state;   // "1" recognised (hh set), "2" not recognised (reason set), "" refused
  std::string hh, reason;
};

class IEmployeeService : public IServiceIntf {
 public:
  VELMOR_IID("{2F3A3ADE-794E-41AE-BA76-74131E00B284}")
  // 1: the name rules; false with "姓名存在特殊字符。", "姓名不能是纯数字。" or "姓名超过长度。".
  virtual bool CheckName(const std::string& name, std::string& message) = 0;
  // 2 ("0040"): downloads the payer's payment registrations, all or those changed since the last.
  virtual bool updateYgcbxx(const std::string& djxh, std::string& message, bool incremental) = 0;
  // 3 ("0058", "0059"): downloads enrolments and persons per insurance type and merges them.
  // True with an empty message when all was stored; true with message "部分记录未入库：..." when
  // records holding a value the store cannot hold (a NUL character, text that is not UTF-8) were
  // refused, each named by person number and field, and the rest stored.
  virtual bool updateCbryxx(const std::string& djxh, bool incremental, IProgressView* progress,
                            std::string& message) = 0;
  // 4: 1 after a download, 2 after recomputing the summary states, 0 when nothing was due; -1
  // on failure (message set).
  virtual int32_t refreshCbzt(const std::string& djxh, bool downloadFirst, bool force, IProgressView* progress,
                              std::string& message) = 0;
  // 5 ("0108"): the declaration states of assessed declarations of a period; `stored` receives
  // the number of records written.
  virtual bool QueryHdsbztCx(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                             IProgressView* progress, int32_t& stored, std::string& message) = 0;
  // 6 ("0057"): adds outside persons after asking the server which it knows; `outcomes` has one
  // entry per input, in order.
  virtual bool addWbry(const std::string& djxh, const std::vector<WbryInput>& persons, IProgressView* progress,
                       std::vector<WbryOutcome>& outcomes, std::string& message) = 0;
  // 7: starts updateYgcbxx (incremental) for the payer on a pool thread and returns at once; the
  // payer is handed over in the parameter service's value bag under "ygcbxx_update_djxh".
  virtual bool StartUpdateYgcbxx(const std::string& djxh) = 0;
  // 8: waits up to timeoutMs for the call of 7; true when it has ended, `message` its outcome
  // (empty for success).
  virtual bool WaitUpdateYgcbxx(int32_t timeoutMs, std::string& message) = 0;
  // 9-12: store reads for the host (see IEmployeeDao).
  virtual std::string queryRyList(const std::string& djxh, const RyListFilter& filter, int32_t page,
                                  int32_t pageSize, int32_t& zs) = 0;
  virtual int32_t getRyCount(const std::string& djxh, RyOrigin ly, const std::string& cbzt) = 0;
  virtual int32_t getItemCount(const std::string& djxh) = 0;
  virtual std::string getUpdateData(const std::string& djxh, const RyUpdateFilter& filter, int32_t page,
                                    int32_t pageSize) = 0;

  // 13 onward: the server operations, all of one form: the payer, the parameters as a JSON object
  // text ("" for none), the progress view; `result` receives the answer as a JSON object text,
  // `message` the failure text ("" on success). docs/employee-service.md lists the parameters,
  // answers and failure texts of each.
  // 13 ("0032"): a natural person's registrations by {"zjlx", "zjhm"}; {"zrrDjxxList": [...]}.
  virtual bool ZrrDjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                         std::string& result, std::string& message) = 0;
  // 14 ("0032"): the same; false with "未查询到该居民信息。" when the list is empty.
  virtual bool ZrrDjxxCxEx(const std::string& djxh, const std::string& params, IProgressView* progress,
                           std::string& result, std::string& message) = 0;
  // 15 ("0033"): a person's payment registrations by {"zjlx", "zjhm"}; {"jfdjxxList"}.
  virtual bool ZrrJfdjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                           std::string& result, std::string& message) = 0;
  // 16 ("0036"): collection information of one resident by {"zjhm", "jfnd"}; {"zjxxList"}.
  virtual bool DgCxjmZjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                            std::string& result, std::string& message) = 0;
  // 17 ("0042", SbfCxjmJfdcRequest): payment grades of {"sbjbjgDm", "zspmDm", "jfnd"}; {"jfdcList"}.
  virtual bool ZrrJfbzcx(const std::string& djxh, const std::string& params, IProgressView* progress,
                         std::string& result, std::string& message) = 0;
  // 18 ("0060"): bank accounts of a person by {"zjhm"}; {"yhzhList"}.
  virtual bool synCxYhzhxx(const std::string& djxh, const std::string& params, IProgressView* progress,
                           std::string& result, std::string& message) = 0;
  // 19 ("0061", SbfCxjmYjfeCxRequest): amounts due of {"jfnd"[, "rydjxh"]}; {"yjfeList"}.
  virtual bool synYjfeCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                         std::string& result, std::string& message) = 0;
  // 20 ("0063"): verifies {"xm", "zjlx", "zjhm"}; {"yzjg": "Y"|"N", "yzxx"}.
  virtual bool jfrxxYz(const std::string& djxh, const std::string& params, IProgressView* progress,
                       std::string& result, std::string& message) = 0;
  // 21 ("0065"): payment states of {"rydjxh", "jfnd"}; {"jfztList"}.
  virtual bool synJfztCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                         std::string& result, std::string& message) = 0;
  // 22 ("0065"): payment states of {"rydjxhList": [...], "jfnd"}; {"jfztList"}.
  virtual bool synJfztCx_V2(const std::string& djxh, const std::string& params, IProgressView* progress,
                            std::string& result, std::string& message) = 0;
  // 23 ("0065"): payment states of {"jfnd"} for every server person of the roster, as
  // asynchronous jobs of 100 persons; replaces the year's stored states; {"jfnd", "zs", "jobs"}.
  virtual bool synJfztCx_All(const std::string& djxh, const std::string& params, IProgressView* progress,
                             std::string& result, std::string& message) = 0;
  // 24 ("0080"): fees paid per person number {"rybhList": [...], "jfnd"}; an empty list is
  // refused with "人员编号列表为空。"; {"jfqdList"}.
  virtual bool synSbfjfqdCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                            std::string& result, std::string& message) = 0;
  // 25 ("0057"): asks the server about the stored outside persons not yet registered and stores
  // each outcome (saveWbry); {"cgrs", "sbrs"}.
  virtual bool queryWbryDataByIntf(const std::string& djxh, const std::string& params, IProgressView* progress,
                                   std::string& result, std::string& message) = 0;
  // 26 ("0082", SbfCxjmYjfeZfRequest): cancels amounts due {"jfnd", "zfmxList": [{"xzid"}]};
  // {"zfjgList"}.
  virtual bool synYjfeZf(const std::string& djxh, const std::string& params, IProgressView* progress,
                         std::string& result, std::string& message) = 0;
  // 27 ("0086", SbfZrrJfDjxxCxRequest): payment registrations of {"sfzjlx", "sfzjhm"};
  // {"jfdjxxList"}.
  virtual bool synZrrJfdjxxcx(const std::string& djxh, const std::string& params, IProgressView* progress,
                              std::string& result, std::string& message) = 0;
  // 28 ("0086"): the same; false with "未查询到该居民信息。" when the list is empty.
  virtual bool synZrrJfdjxxcxEx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                std::string& result, std::string& message) = 0;
  // 29 ("0095", CxjmPlkkQcCxRequest): batch-deduction periods of {"jfnd"}; {"plkkqcList"}.
  virtual bool synDpkqcCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                          std::string& result, std::string& message) = 0;
  // 30 ("0096", DpkqcZfRequest): cancels the batch deduction {"qcid"}; {"zfbz"}.
  virtual bool synDpkqcZf(const std::string& djxh, const std::string& params, IProgressView* progress,
                          std::string& result, std::string& message) = 0;
  // 31 ("0122", SbfLhjyryHdxxCxRequest): assessment data of a flexibly employed person
  // {"zjhm", "ssny"}; {"hdxxList"}.
  virtual bool synLhjyryyclxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                std::string& result, std::string& message) = 0;
  // 32 ("0149", SbfCxjmxnhDrCxjmxxBcGzRequest): submits residents {"cxjmxxList": [...]};
  // {"drpch"}, the import batch.
  virtual bool synCxjmxxbc(const std::string& djxh, const std::string& params, IProgressView* progress,
                           std::string& result, std::string& message) = 0;
  // 33 ("0150", SbfCxjmxnhDrJgCxGzRequest): the processing result of {"drpch"}; {"jgList"}.
  virtual bool synCxjmxxjghq(const std::string& djxh, const std::string& params, IProgressView* progress,
                             std::string& result, std::string& message) = 0;
  // 34-37 ("0204"-"0207"): count and data of residents changed since {"gxsj"}: each
  // request answers {"yblsh"}, its feedback takes {"yblsh"} and answers {"zs"} or {"cxjmxxList"}.
  virtual bool synQueryCxjmRyUpdateCount(const std::string& djxh, const std::string& params, IProgressView* progress,
                                         std::string& result, std::string& message) = 0;
  virtual bool synQueryCxjmRyUpdateCountFk(const std::string& djxh, const std::string& params, IProgressView* progress,
                                           std::string& result, std::string& message) = 0;
  virtual bool synQueryCxjmRyUpdateData(const std::string& djxh, const std::string& params, IProgressView* progress,
                                        std::string& result, std::string& message) = 0;
  virtual bool synQueryCxjmRyUpdateDataFk(const std::string& djxh, const std::string& params, IProgressView* progress,
                                          std::string& result, std::string& message) = 0;
  // 38 ("0212", SbfPlCbryJfDjxxCxRequest): batch payment-registration query of
  // {"ryList": [{"xm", "zjlx", "zjhm"}]} under the payer's valid agencies; answers {"yblsh"};
  // refuses an empty list, a payer without a valid agency and an agency without sub-items.
  virtual bool synPlCbryJfDjxxCx_4403(const std::string& djxh, const std::string& params, IProgressView* progress,
                                      std::string& result, std::string& message) = 0;
  // 39 ("0213"): its feedback {"yblsh"}; {"jfdjxxList"}.
  virtual bool synPlCbryJfDjxxCxFk_4403(const std::string& djxh, const std::string& params, IProgressView* progress,
                                        std::string& result, std::string& message) = 0;
  // 40 ("0271"): records {"gxsj"} (default: now) as the residents' insurance update time at
  // the server and stores the time the server keeps under "cxjmcbxzgxsj"; {"gxsj"}.
  virtual bool saveCxjmcbxzgxsj(const std::string& djxh, const std::string& params, IProgressView* progress,
                                std::string& result, std::string& message) = 0;
  // 41, 42 ("0324"): changed payment records since {"gxsj"}: the request answers {"yblsh"},
  // the feedback takes {"yblsh"} and answers {"jfjlList"}.
  virtual bool synGxjfjlCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                           std::string& result, std::string& message) = 0;
  virtual bool synGxjfjlCxFk(const std::string& djxh, const std::string& params, IProgressView* progress,
                             std::string& result, std::string& message) = 0;
  // 43 ("0359"): the server's update time of medical-account registrations; {"gxsj"}.
  virtual bool synYbgrzhdjcxjmgxsjCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) = 0;
  // 44 ("0360"): saves {"gxsj"} at the server and under "ybgrzhdjcxjm_gxsj"; {"gxsj"}.
  virtual bool synYbgrzhdjcxjmgxsjbc(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) = 0;
  // 45, 46 ("0187", SbfYbGrzhDjcxjmxxCxRequest): count ({"zs"}) and page
  // ({"pageNo", "pageSize"}; {"djcxjmxxList"}) of medical-account registrations since {"gxsj"}.
  virtual bool synYbgrzhdjcxjmrsCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                   std::string& result, std::string& message) = 0;
  virtual bool synYbgrzhdjcxjmxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                   std::string& result, std::string& message) = 0;
  // 47: outside persons not yet registered whose name, ID type and number a server person of the
  // roster now has are marked registered, in one transaction; {"gxrs"}.
  virtual bool synWbryDjzt(const std::string& djxh, const std::string& params, IProgressView* progress,
                           std::string& result, std::string& message) = 0;

  // 48-51: the roster's workbooks (docs/employee-service.md holds the template layouts). The
  // host configuration's "region_code" picks the layout ("4403": five group levels).
  // 48: imports outside persons from the template at `path`: every data row comes back in `rows`
  // with its outcome; valid rows go the way of addWbry ("0057"), their groups resolved by path
  // through the host's group store (created when missing). Rejected rows are written, each with
  // its message, to an error workbook beside the source. False (message set) only when the
  // workbook as a whole is refused (caption mismatch, no data row, unreadable file) or the
  // exchange fails; then nothing is stored.
  virtual bool importWbry(const std::string& djxh, const std::string& path, IProgressView* progress,
                          std::vector<TWbryImportEntity>& rows, WorkbookImportResult& result,
                          std::string& message) = 0;
  // 49: sets the phone number, group and remark of roster persons from the template at `path`;
  // only filled cells change a person. Rejected rows go to an error workbook as in 48.
  virtual bool ImportPhoneNumber(const std::string& djxh, const std::string& path, IProgressView* progress,
                                 WorkbookImportResult& result, std::string& message) = 0;
  // 50: writes the roster page of `filter` (all rows) into the phone-number template layout at
  // `path` (XLSX), with the ID-type dropdown filled, so it can be edited and imported again by 49.
  virtual bool exportData(const std::string& djxh, const RyListFilter& filter, const std::string& path,
                          int32_t& count, std::string& message) = 0;
  // 51: writes the roster's insured items (person, agency, person number, item, months, state)
  // into the self-service declaration layout at `path` (XLSX).
  virtual bool exportData_zzsb(const std::string& djxh, const std::string& path, int32_t& count,
                               std::string& message) = 0;

 protected:
  ~IEmployeeService() = default;
};

}  // namespace velmor
