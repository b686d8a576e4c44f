// IYjxxService: payable information of the current payer (class TYjxxServiceImpl, registered
// under this interface's GUID string): downloads the collected amounts ("0027") into the store
// (IYjxxDao), pages, counts, sums and exports them, and asks the residents' collected
// information ("0238", an asynchronous call).
//
// A query condition (Tyjxx_qc) is the store's (velmor/yjxx_dao.h) without "djxh", which is the
// current payer's. Failures never raise: an operation answers false (or "[]", -1) with the user
// message in `message` and as the last-error text, and logs "[TYjxxServiceImpl.<op>]异常：".
// Used from the host's main thread; one object by one thread at a time. A download runs on the
// service's own network connection. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class IYjxxService : public IServiceIntf {
 public:
  VELMOR_IID("{A3BC12F7-1FF3-4573-B1FF-9AEE7C3E34B7}")

  // Replaces the payer's stored rows with those of year `jfnd`. `options` is a JSON object:
  // "zgswjgDm" (the payer's tax office; default: the host's), "zjyxrq_enabled" ("Y" keeps the
  // validity date), "batch" (true: a one-request batch instead of a synchronous call). Refused
  // with "后台任务正在运行，请稍候" while a download of this service runs. Answers the row count.
  virtual bool downloadData(const std::string& jfnd, const std::string& options, IProgressView* progress,
                            int32_t& count, std::string& message) = 0;
  // Writes the rows of `qc` to an XLSX workbook at `path`.
  virtual bool exportData(const std::string& qc, const std::string& path, std::string& message) = 0;
  virtual std::string getData(const std::string& qc, int32_t page, int32_t pageSize) = 0;
  virtual int32_t getCount(const std::string& qc) = 0;
  // {"zs", "zje"} of the payer's rows; "{}" on failure.
  virtual std::string getStatistics() = 0;
  // Payment years of the payer's rows (JSON array).
  virtual std::string getJfnd() = 0;
  // "0238": `params` holds "cxjmList", "cxjmDjxhList", "sbjbjgDmList" (and "sjlyList"); answers
  // the server's rows (JSON array).
  virtual bool synCxjmzjxxCx(const std::string& params, std::string& rows, std::string& message) = 0;
  // The rows of synCxjmzjxxCx matched to `wanted` (JSON array of {sbjbjgDm, zsxmDm, zspmDm,
  // zszmDm}): each wanted object with "yjfe" and "cxjmsbbm" of its match, "" when none.
  virtual bool synCxjmzjxxCxFk(const std::string& params, const std::string& wanted, std::string& rows,
                               std::string& message) = 0;

 protected:
  ~IYjxxService() = default;
};

}  // namespace velmor
