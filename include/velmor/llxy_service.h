// ILlxyService: the two-party payment agreements ("两两协议") that let the tax office debit a
// payer's bank account (class TLlxyServiceImpl, registered under this interface's GUID string):
// save ("0106") and query ("0105") on the server, the card holder's text-message check
// ("0111"), and the bank and region lists of "行政区银行列表.json" for the agreement screen. It
// keeps nothing in the local database. docs/fees.md gives the JSON of agreements and lists.
//
// Failures never raise: an operation answers false with the user message in `message` and as the
// last-error text, and logs "[TLlxyServiceImpl.<op>]异常：<text>". Used from the host's main
// thread; one object by one thread at a time. Operations are in slot order after
// IServiceIntf's two.
#pragma once

#include <string>

#include "velmor/business_object.h"

namespace velmor {

class ILlxyService : public IServiceIntf {
 public:
  VELMOR_IID("{CC1729FD-BCDF-4BAC-9677-C3E9CB37F0E0}")
  // 1 ("0106"): saves an agreement (JSON object of ZSsfxyVO members; "syxz" an array of {"dm"})
  // with the operation type czlxDm; out: the server's sfxydjuuid and sfxyyzxx.
  virtual bool synLlxyBc(const std::string& agreement, const std::string& czlxDm, std::string& sfxydjuuid,
                         std::string& sfxyyzxx, std::string& message) = 0;
  // 2 ("0105"): the payer's agreements as a JSON array of objects.
  virtual bool synLlxyCx(std::string& agreements, std::string& message) = 0;
  // 3 ("0111"): has the server check the card holder by a text-message code.
  virtual bool dzswjCheckCaptcha(const std::string& cardNo, const std::string& certType, const std::string& certNo,
                                 const std::string& name, const std::string& phoneNo, std::string& message) = 0;
  // 4: (re)reads "行政区银行列表.json"; a missing file is logged and leaves the lists empty.
  virtual void LoadData() = 0;
  // 5, 6: bank categories and regions, each "code=name", as a JSON array of texts.
  virtual std::string GetYhhbList() = 0;
  virtual std::string GetXzqhList() = 0;
  // 7, 8: the bank branches of a region ({"yhyywddm", "yhyywdmc"}) and its subordinate regions
  // ("code=name"), as JSON arrays ("[]" for an unknown region).
  virtual std::string GetYhwdList(const std::string& xzqhdm) = 0;
  virtual std::string GetXjXzqhList(const std::string& xzqhdm) = 0;

 protected:
  ~ILlxyService() = default;
};

}  // namespace velmor
