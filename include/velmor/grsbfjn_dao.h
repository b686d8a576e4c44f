// IGrsbfjnDAO: the local record of individual online payment orders (class TGrsbfjnDAO,
// registered under this interface's GUID string): one row per order line of a bank order in
// sb_grsbfjfjl, and the payment data of tax-server orders in sb_grjfzfxxb.
//
// Order states (ddzt): 0 unpaid, 1 paid, 2 closed. Rows and filters are JSON: rows are arrays of
// objects keyed by column name, values as text; a filter is an object whose non-empty members
// add their condition (xm, zjlx, zjhm, ddzt as comma-separated integers "0,1", ddscrqq and
// ddscrqz as months "yyyy-mm", zsxmdm, zspmdm, zszmdm, jfnd, pmlx, xz_xzjddm, xz_sqhczdm); pages
// count from 1, -1 for all rows.
//
// Failures never raise: an operation answers false, -1, "[]" or "{}" with the user message as the
// last-error text and logs "[TGrsbfjnDAO.<op>]异常：<text>". Each operation takes its own
// database connection; one object is used by one thread at a time. Operations are in slot order
// after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IGrsbfjnDAO : public IServiceIntf {
 public:
  VELMOR_IID("{0BE16DC7-C2B3-46E3-AFDE-F753F3323F39}")
  // 1: inserts the lines of one order (JSON array of objects with the table's columns) in one
  // transaction: nothing is stored when one fails ("数据库保存失败。").
  virtual bool SaveJfxx(const std::string& rows) = 0;
  // 2, 3: count and page of the payer's order lines, newest first ("数据库查询失败。").
  virtual int32_t GetCount(const std::string& djxh, const std::string& filter) = 0;
  virtual std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 4: the distinct orders {spddh, zfddh} of the payer in state ddzt.
  virtual std::string GetAllDjfDataLb(const std::string& djxh, int32_t ddzt) = 0;
  // 5: the state of every line of one order ("数据库更新失败").
  virtual bool UpdateDdzt(const std::string& djxh, const std::string& spddh, const std::string& zfddh,
                          int32_t ddzt) = 0;
  // 6: the payment data of a server order {orderId, queryId, ddscsj, zfUrl, qrcodeStr, zffsDm}.
  virtual bool SaveDdZfData(const std::string& data) = 0;
  // 7: that data as {ddscsj, zfUrl, qrcodeStr, zffsDm}; "{}" when none is stored
  // ("获取支付数据失败。" on failure).
  virtual std::string GetDdZfData(const std::string& orderId, const std::string& queryId) = 0;

 protected:
  ~IGrsbfjnDAO() = default;
};

}  // namespace velmor
