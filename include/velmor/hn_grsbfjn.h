// IHnGrsbfjn: regional individual payment orders (class THnGrsbfjn, registered under this
// interface's GUID string), placed through the tax server: "0189" order, "0190" the state of an
// order, "0191" a page of the payer's orders (the two queries' codes are this system's own;
// docs/onlinepay.md). Every order the server names is recorded with its lines through
// IHnGrsbfjnDAO. Parameters and results are JSON; the payer is the portal agent's current one.
//
// Failures never raise: an operation answers false (or the store's empty result) with the user
// message in `message` and as the last-error text, and logs "[THnGrsbfjn.<op>]异常：<text>".
// Used from the host's main thread; one object by one thread at a time. Operations are in slot
// order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IHnGrsbfjn : public IServiceIntf {
 public:
  VELMOR_IID("{45224714-93D1-46D6-961D-E5F7554583A6}")
  // 1 ("0189"): order {rybh, xm, zjlx, zjhm, xzlx, jfnd, payDetail: [{sbjbjgdm, beginDate,
  // endDate, zsxmdm, zspmdm, zszmdm, xzlxdm, amount}]}; result: the stored order rows.
  virtual bool Xd(const std::string& order, std::string& result, std::string& message) = 0;
  // 2 ("0190"): the server's state of order ddh, stored; result {ddh, ddzt, ddzfsj, zfqd}.
  virtual bool ddztCx(const std::string& ddh, std::string& result, std::string& message) = 0;
  // 3 ("0191"): query {ddscrqq, ddscrqz, pageNumber, pageSize}; every order named is stored;
  // result {total, orders: [...]}.
  virtual bool ddCx(const std::string& query, std::string& result, std::string& message) = 0;
  // 4-8: the store's reads for the current payer.
  virtual std::string GetData(const std::string& filter, int32_t page, int32_t pageSize) = 0;
  virtual std::string GetMxData(const std::string& ddh) = 0;
  virtual int32_t GetCount(const std::string& filter) = 0;
  virtual std::string GetDjfDataLb() = 0;

 protected:
  ~IHnGrsbfjn() = default;
};

}  // namespace velmor
