// IDzsbMgr: the electronic declaration (class TDzsbMgr, registered under this interface's GUID
// string): declares payable rows downloaded by the payable-information service (velmor/yjxx_dao.h
// rows) to the server ("0031") and fetches the server's feedback ("0029").
//
// A declaration the server accepted is stored at once (master, details per levy sub-item and
// period, one person per row; state 9, accepted without a final result) under the serial it was
// sent with; its feedback gives state 2 and the voucher number, or keeps the server's reason and
// marks the persons it names. Failures never raise: an operation answers false with the user
// text in `message` and as the last-error text, and logs "[TDzsbMgr.<op>]异常：". Used from the
// host's main thread; one object by one thread at a time. Operations are in slot order after
// IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class IDzsbMgr : public IServiceIntf {
 public:
  VELMOR_IID("{45B7C260-8D57-4555-9FA1-AC434D9BE4B2}")

  // Declares `rows` (JSON array of payable rows) with remark `bz` for the current payer. Out:
  // the serial sent (set as soon as the request is built, so a caller can fetch feedback even
  // when the local save after acceptance failed) and the stored master's id.
  virtual bool SbSend(const std::string& rows, const std::string& bz, IProgressView* progress, std::string& yblsh,
                      int32_t& id, std::string& message) = 0;
  // The feedback of the declaration sent under `yblsh`. Out: {"id", "sbzt", "yzpzxh", "sbyy"} of
  // the stored master.
  virtual bool GetSbFk(const std::string& yblsh, IProgressView* progress, std::string& result,
                       std::string& message) = 0;

 protected:
  ~IDzsbMgr() = default;
};

}  // namespace velmor
