// ITsJkMgr: special-group declarations of residents' pension contributions (class TTsJkMgr,
// registered under this interface's GUID string): grades ("0136"), payment history ("0135"),
// declaration ("0134") and its late verdict by the submission's serial ("0137"), the agency's
// first year ("0152") and the grades of back-payment years ("0151"); declared lines are kept
// through ITsrqsbjfDAO. Parameters and results are JSON; the payer is the portal agent's current
// one unless a parameter names another.
//
// Failures never raise: an operation answers false with the user message in `message` and as
// the last-error text, and logs "[TTsJkMgr.<op>]异常：<text>". Used from the host's main thread;
// one object by one thread at a time. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class ITsJkMgr : public IServiceIntf {
 public:
  VELMOR_IID("{1D8504EC-2987-4CB7-A10D-7DF37518C415}")
  // 1 ("0136"): item {zsxmDm, zspmDm, zszmDm} (a "null" member is sent empty), years
  // {jfndq, jfndz}, agencies (JSON array of codes); out: [{dcmc, dcje}].
  virtual bool GetJfdcList(const std::string& item, const std::string& years, const std::string& agencies,
                           std::string& grades, std::string& message) = 0;
  // 2 ("0135"): person {djxh}; out: [{sbjbjgDm, sbjbjgMc, rybh, cbztDm, jfztDm, jfnd, jfys}]
  // ("[]" when the server has none).
  virtual bool YlycxtjCx(const std::string& person, std::string& history, std::string& message) = 0;
  // 3 ("0134"): person {djxh}, content (the declaration's body: an XML fragment, or a JSON
  // object turned into elements); out: {yblsh, sbzt, yjfehj, yzpzxh, sbrq}. A server that
  // queues the declaration ("10042") is no failure: sbzt 1, yzpzxh the serial, sbrq today.
  virtual bool tsrqSbfxxBc(const std::string& person, const std::string& content, IProgressView* progress,
                           std::string& result, std::string& message) = 0;
  // 4: stores declared lines (ITsrqsbjfDAO::SaveSbjl) and settles declarations that total 0.
  virtual bool SaveSbjl(const std::string& rows, std::string& message) = 0;
  // 5 ("0137"): the verdict of a queued submission; out: {yblsh, sbzt, yjfehj, yzpzxh, sbrq,
  // cwxx}. sbzt 2 declared, 3 failed (both recorded on the stored lines), 1 still outstanding.
  virtual bool tsrqSbfxxBcGetFK(const std::string& yblsh, IProgressView* progress, std::string& result,
                                std::string& message) = 0;
  // 6 ("0152"): the first year the agency runs the scheme.
  virtual bool getSbjbjgSdnd(const std::string& sbjbjgDm, std::string& year, std::string& message) = 0;
  // 7 ("0151"): the grades of back-payments for a year; out: [{dcmc, dcje}].
  virtual bool getLnbjdc(const std::string& year, std::string& grades, std::string& message) = 0;

 protected:
  ~ITsJkMgr() = default;
};

}  // namespace velmor
