// IHnGrsbfjnDAO: the local record of regional individual payment orders (class THnGrsbfjnDAO,
// registered under this interface's GUID string): orders in sb_hngrsbfjfjl, their lines in
// sb_hngrsbfjfjlmxb.
//
// Order states (ddzt, text): "0" unpaid, "1" paid, "4" closed, "5" being paid, "99" cancelled,
// "98" a state the server gave that is not one of these (docs/onlinepay.md). Filters are JSON
// objects whose non-empty members add their condition (xm, zjlx, zjhm, ddzt as a comma-separated
// list of states, ddh, ddscrqq and ddscrqz as days "yyyy-mm-dd"); rows are JSON arrays of
// objects keyed by column name; pages count from 1, -1 for all rows.
//
// Failures never raise: an operation answers false, -1 or "[]" with the user message as the
// last-error text and logs "[THnGrsbfjnDAO.<op>]异常：<text>". Each operation takes its own
// database connection; one object is used by one thread at a time. Operations are in slot order
// after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IHnGrsbfjnDAO : public IServiceIntf {
 public:
  VELMOR_IID("{753725B8-2D66-4CA8-BB9D-60657F346550}")
  // 1: the orders of a server answer's detailList ([{content: {orderId, orderStatus, ...,
  // payDetail: [...]}}]): an order not yet stored is inserted with its lines, a stored one has
  // its state, payment time and channel updated; all in one transaction ("数据库保存失败。").
  virtual bool SaveJfxx(const std::string& detailList) = 0;
  // 2: a page of the payer's orders, newest first.
  virtual std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 3: the lines of one order in their order.
  virtual std::string GetMxData(const std::string& djxh, const std::string& ddh) = 0;
  // 4: the number of the payer's orders under the filter.
  virtual int32_t GetCount(const std::string& djxh, const std::string& filter) = 0;
  // 5: the payer's orders still to settle (unpaid or being paid).
  virtual std::string GetDjfDataLb(const std::string& djxh) = 0;
  // 6: state, payment time and channel of one order ("数据库更新失败").
  virtual bool UpdateDdzt(const std::string& djxh, const std::string& ddh, const std::string& ddzt,
                          const std::string& ddzfsj, const std::string& zfqd) = 0;

 protected:
  ~IHnGrsbfjnDAO() = default;
};

}  // namespace velmor
