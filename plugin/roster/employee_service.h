// TEmployeeServiceImpl: the employee service (IEmployeeService), registered as row 11 of the
// service table. It reaches the server through the taxML exchange and the host's asynchronous
// jobs, and the store through IEmployeeDao, ISysParamIntf and the bulk processor
// TDealCbxxAndRyxx; the other services (the scheme manager for the insurance types, the store,
// the parameters) come from the service factory.
//
// The operations live in files by concern: employee_service.cpp (registration, name check,
// store reads, the background start), employee_service_ygcbxx.cpp ("0040"),
// employee_service_cbryxx.cpp ("0058"/"0059" and the summary states),
// employee_service_hdsbzt.cpp ("0108"), employee_service_wbry.cpp ("0057"),
// employee_service_import.cpp and employee_service_export.cpp (the workbooks), and the server
// operations of slots 13 onward (rows in employee_ops.h, run by server_op.h):
// employee_service_queries.cpp (person queries), employee_service_jfzt.cpp (payment states,
// amounts due, batch deductions), employee_service_exchanges.cpp (requests and their feedback)
// and employee_service_sync.cpp (the operations that store what they learn).
// One object is used by one thread at a time, except that the background download of
// StartUpdateYgcbxx runs on a pool thread with a service object of its own.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "business/business_object.h"
#include "velmor/employee_dao.h"
#include "velmor/employee_service.h"
#include "velmor/sys_param.h"

namespace velmor {

class AsyncCall;
namespace service {
struct OpRow;
}

inline constexpr const char* kNoXzlx = "未获取到险种信息。";
inline constexpr const char* kCbxxSubmitFailed = "参保信息异步请求失败！";
inline constexpr const char* kRyxxSubmitFailed = "人员信息异步请求失败！";
inline constexpr const char* kNoHdsbztData = "当前所属期下暂无新数据";
inline constexpr const char* kBatchRequestFailed = "批量请求失败！";
inline constexpr const char* kWbryDuplicate = "与城乡居民参保信息更新菜单中数据重复";
inline constexpr const char* kYgcbxxDjxhKey = "ygcbxx_update_djxh";
inline constexpr const char* kFirstGxsj = "1900-01-01 00:00:00";
inline constexpr int64_t kWriterWaitMs = 600000;

// Whether the server knows a person (by name, ID type and number) among the payer's persons,
// asked of the store person by person (each answer kept): a workbook of a few rows does not read
// a roster of 100,000 persons. Views the store it is given, which must outlive it; one thread.
class KnownServerPersons {
 public:
  KnownServerPersons(IEmployeeDao& dao, std::string djxh) : dao_(dao), djxh_(std::move(djxh)) {}
  // Raises taxml::Failure with the store's message when it cannot answer.
  bool Knows(const std::string& xm, const std::string& zjlx, const std::string& zjhm);

 private:
  IEmployeeDao& dao_;
  std::string djxh_;
  std::map<std::tuple<std::string, std::string, std::string>, bool> asked_;
};

// The drain rules of the person requests of an enrolment download.
struct CbryxxDrainRules {
  size_t minOutstanding = 20;   // drain only with at least this many outstanding
  int64_t afterMs = 3000;       // and more than this long after the first was sent
  size_t drainBelow = 12;       // a drain stops when fewer remain
  int64_t drainForMs = 2000;    // or after this long
};

class TEmployeeServiceImpl : public ServiceImpl<TSBBaseObj, IEmployeeService> {
 public:
  VELMOR_PUBLISHED(TEmployeeServiceImpl, TSBBaseObj)

  bool CheckName(const std::string& name, std::string& message) override;
  bool updateYgcbxx(const std::string& djxh, std::string& message, bool incremental) override;
  bool updateCbryxx(const std::string& djxh, bool incremental, IProgressView* progress, std::string& message) override;
  int32_t refreshCbzt(const std::string& djxh, bool downloadFirst, bool force, IProgressView* progress,
                      std::string& message) override;
  bool QueryHdsbztCx(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                     IProgressView* progress, int32_t& stored, std::string& message) override;
  bool addWbry(const std::string& djxh, const std::vector<WbryInput>& persons, IProgressView* progress,
               std::vector<WbryOutcome>& outcomes, std::string& message) override;
  bool StartUpdateYgcbxx(const std::string& djxh) override;
  bool WaitUpdateYgcbxx(int32_t timeoutMs, std::string& message) override;
  std::string queryRyList(const std::string& djxh, const RyListFilter& filter, int32_t page, int32_t pageSize,
                          int32_t& zs) override;
  int32_t getRyCount(const std::string& djxh, RyOrigin ly, const std::string& cbzt) override;
  int32_t getItemCount(const std::string& djxh) override;
  std::string getUpdateData(const std::string& djxh, const RyUpdateFilter& filter, int32_t page,
                            int32_t pageSize) override;

  bool ZrrDjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                 std::string& message) override;
  bool ZrrDjxxCxEx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                   std::string& message) override;
  bool ZrrJfdjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                   std::string& message) override;
  bool DgCxjmZjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                    std::string& message) override;
  bool ZrrJfbzcx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                 std::string& message) override;
  bool synCxYhzhxx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                   std::string& message) override;
  bool synYjfeCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                 std::string& message) override;
  bool jfrxxYz(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
               std::string& message) override;
  bool synJfztCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                 std::string& message) override;
  bool synJfztCx_V2(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                    std::string& message) override;
  bool synJfztCx_All(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                     std::string& message) override;
  bool synSbfjfqdCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                    std::string& message) override;
  bool queryWbryDataByIntf(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                           std::string& message) override;
  bool synYjfeZf(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                 std::string& message) override;
  bool synZrrJfdjxxcx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                      std::string& message) override;
  bool synZrrJfdjxxcxEx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                        std::string& message) override;
  bool synDpkqcCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                  std::string& message) override;
  bool synDpkqcZf(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                  std::string& message) override;
  bool synLhjyryyclxxCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                        std::string& message) override;
  bool synCxjmxxbc(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                   std::string& message) override;
  bool synCxjmxxjghq(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                     std::string& message) override;
  bool synQueryCxjmRyUpdateCount(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                                 std::string& message) override;
  bool synQueryCxjmRyUpdateCountFk(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                                   std::string& message) override;
  bool synQueryCxjmRyUpdateData(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                                std::string& message) override;
  bool synQueryCxjmRyUpdateDataFk(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                                  std::string& message) override;
  bool synPlCbryJfDjxxCx_4403(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                              std::string& message) override;
  bool synPlCbryJfDjxxCxFk_4403(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                                std::string& message) override;
  bool saveCxjmcbxzgxsj(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                        std::string& message) override;
  bool synGxjfjlCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                   std::string& message) override;
  bool synGxjfjlCxFk(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                     std::string& message) override;
  bool synYbgrzhdjcxjmgxsjCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                             std::string& message) override;
  bool synYbgrzhdjcxjmgxsjbc(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                             std::string& message) override;
  bool synYbgrzhdjcxjmrsCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                           std::string& message) override;
  bool synYbgrzhdjcxjmxxCx(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                           std::string& message) override;
  bool synWbryDjzt(const std::string& djxh, const std::string& params, IProgressView* progress, std::string& result,
                   std::string& message) override;
  bool importWbry(const std::string& djxh, const std::string& path, IProgressView* progress,
                  std::vector<TWbryImportEntity>& rows, WorkbookImportResult& result, std::string& message) override;
  bool ImportPhoneNumber(const std::string& djxh, const std::string& path, IProgressView* progress,
                         WorkbookImportResult& result, std::string& message) override;
  bool exportData(const std::string& djxh, const RyListFilter& filter, const std::string& path, int32_t& count,
                  std::string& message) override;
  bool exportData_zzsb(const std::string& djxh, const std::string& path, int32_t& count,
                       std::string& message) override;

  // Tests: the drain rules of updateCbryxx.
  void TEST_SetDrainRules(const CbryxxDrainRules& rules) { drain_ = rules; }

 private:
  // The body of updateCbryxx inside its guard; answers what was refused (records with a value
  // the store cannot hold, named), empty when nothing was.
  std::string DownloadCbryxx(const std::string& djxh, bool incremental, IProgressView* progress);
  // addWbry with the server persons importWbry already asked about (its rows' checks): each
  // person is looked up in the store once.
  bool AddWbry(const std::string& djxh, const std::vector<WbryInput>& persons, IProgressView* progress,
               std::vector<WbryOutcome>& outcomes, std::string& message, KnownServerPersons* known);
  // Catches at the boundary: logs "[TEmployeeServiceImpl.<op>]异常：<text>" (or the bracketed
  // form), puts `prefix` + text (a taxml::Failure's text as it is) into message and
  // ErrorMessage, and answers false.
  // The boundary of the server operations (service::RunOp), keeping the last-error text.
  bool Op(const service::OpRow& row, std::string& message, const std::function<void()>& body);
  // The common form of a plain query: parameters in, the answer as JSON text out.
  bool Query(const service::OpRow& row, const std::string& djxh, const std::string& params, IProgressView* progress,
             std::string& result, std::string& message);
  template <class F>
  bool Run(std::string_view op, const char* prefix, bool bracketed, std::string& message, F&& body);

  CbryxxDrainRules drain_;
  std::shared_ptr<AsyncCall> background_;
};

// The services an operation needs, from the factory; each raises its fixed message.
Ref<IEmployeeDao> EmployeeDao();
Ref<ISysParamIntf> SysParams(const std::string& djxh);

// The key of a person by name, ID type and number.
std::string PersonKey(const std::string& xm, const std::string& zjlx, const std::string& zjhm);
// The payer's valid agencies from its scheme account; refuses "当前虚拟户不存在有效社保经办机构".
std::set<std::string> ValidSbjbjgdm();

}  // namespace velmor
