// IEmployeeService: the employee service (class TEmployeeServiceImpl, registered under this
// interface's GUID string), through which the host keeps one payer's roster in step with the
// server: registrations ("0040"), enrolments and persons ("0058"/"0059"), the summary states,
// the declaration states of assessed declarations ("0108") and outside persons ("0057"); it also
// validates names and reads the roster store for the host. It keeps no roster data itself: the
// store is IEmployeeDao, the parameters ISysParamIntf.
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

 protected:
  ~IEmployeeService() = default;
};

}  // namespace velmor
