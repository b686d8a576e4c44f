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
  virtual bool GetSbRymxData(int32_t id, std::string& rows) = 0;

 protected:
  ~IRcsbMgr() = default;
};

}  // namespace velmor
