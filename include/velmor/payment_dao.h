// IPaymentDAO: the local record of payments (class TPaymentDAO, registered under this interface's
// GUID string): the lines paid by deduction or put on a bank-side voucher (sb_fkjnxxb), the lines
// of a deduction whose answer timed out (sb_jkcslsb, keyed by the request serial yblsh) and the
// print records of electronic payment certificates (sb_dzjfpzdyjl).
//
// Records, conditions and lists are JSON texts (docs/payment.md): a line is an object keyed by
// column name; rows come back as arrays of objects with values as text (yhhbmc read back as
// yhhbMc; dzjfpzdyID only when set). A payer argument left empty means the portal agent's current
// payer. Pages count from 1 and apply only when page and size are both above 0 (else all rows).
// Writes of several statements run in one transaction: on failure nothing of them is kept.
//
// Failures never raise: an operation answers false with the user message as its last-error text
// (GetErrorMessage) and logs "[TPaymentDAO.<op>]异常：<text>". Each operation takes its own
// database connection; one object is used by one thread at a time. Operations are in slot order
// after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IPaymentDAO : public IServiceIntf {
 public:
  VELMOR_IID("{EBE883EC-E840-4051-84B4-4F6959AB8915}")
  // 1, 2: payment lines of the payer paid by method jkfs1 or jkfs2, newest jksj first; condition
  // members djxh, skssqq, skssqz (overlapping periods), jfrlx (0: the unit, with rows of no
  // type), xm, zjlx, zjhm (for a natural person).
  virtual bool GetData(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t page, int32_t pageSize,
                       std::string& rows) = 0;
  virtual bool GetCount(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t& count) = 0;
  // 3, 4: one row per voucher (zsjgDm, dzsphm, dysj, zje, dyzt, jkzt, fkssqq, fkssqz), newest
  // first; condition members djxh, dyrqq, dyrqz (issue dates), fkssqq, fkssqz (periods).
  virtual bool GetPrintData(const std::string& condition, int32_t jkfs, int32_t page, int32_t pageSize,
                            std::string& rows) = 0;
  virtual bool GetPrintCount(const std::string& condition, int32_t jkfs, int32_t& count) = 0;
  // 5: stores paid or vouchered lines (replacing earlier copies) with the payment method and the
  // person who paid (jfrlx 0: the unit).
  virtual bool CommitData(const std::string& lines, int32_t jkfs, int32_t jfrlx, const std::string& xm,
                          const std::string& zjlx, const std::string& zjhm) = 0;
  // 6: voucher status of the lines of one voucher.
  virtual bool UpdateDyzt(int32_t dyzt, const std::string& djxh, const std::string& dzsphm,
                          const std::string& zsjgDm) = 0;
  // 7: payment status of the lines of one levy document.
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) = 0;
  // 8: removes the lines of one voucher.
  virtual bool DeleteByDzsphm(const std::string& dzsphm) = 0;
  // 9: distinct yzpzxh (objects) of the payer's lines in one method, three statuses, one dyzt.
  virtual bool GetWjkYhjkpzLb(const std::string& djxh, int32_t jkfs, int32_t jkzt1, int32_t jkzt2, int32_t jkzt3,
                              int32_t dyzt, std::string& list) = 0;
  // 10: the lines of one voucher.
  virtual bool GetDataByDzsphm(const std::string& djxh, const std::string& dzsphm, std::string& rows) = 0;
  // 11: keeps the lines of a deduction whose answer did not come, under its request serial.
  virtual bool SaveCsjkxx(const std::string& lines, const std::string& yblsh, int32_t jkfs, int32_t jfrlx,
                          const std::string& xm, const std::string& zjlx, const std::string& zjhm) = 0;
  // 12: those lines grouped by serial: objects {yblsh, jkfs, mxlb: [rows]}.
  virtual bool GetCsjkxx(const std::string& djxh, int32_t jfrlx, std::string& groups) = 0;
  // 13: forgets the lines kept under one serial.
  virtual bool DeleteCsjkxx(const std::string& yblsh) = 0;
  // 14: lines of a period paid in one method and status that no certificate covers yet.
  virtual bool GetWdySfxyjkJl(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                              int32_t jkfs, int32_t jkzt, std::string& rows) = 0;
  // 15: the highest eight-digit sequence of today's certificates ("" when none).
  virtual bool GetMaxDzjfpzNo(const std::string& djxh, std::string& maxNo) = 0;
  // 16: a new certificate print record {djxh?, dycs, no, sign, list: [{id}]}, linked to its lines.
  virtual bool SaveDzjfpz(const std::string& record) = 0;
  // 17: one more print of a certificate, now.
  virtual bool UpdateDzjfpzDy(int32_t id) = 0;
  // 18, 19: print records (id, dysj as "yyyy-mm-dd", dycs, no, sign); condition djxh, dyrqq, dyrqz.
  virtual bool GetDzjfpzJlCount(const std::string& condition, int32_t& count) = 0;
  virtual bool GetDzjfpzJlData(const std::string& condition, int32_t page, int32_t pageSize, std::string& rows) = 0;
  // 20: the lines a certificate covers.
  virtual bool GetDzjfpzMxData(int32_t id, std::string& rows) = 0;
  // 21: payment status of the lines of one voucher of one office.
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& dzsphm, const std::string& zsjgDm,
                          int32_t jkzt) = 0;
  // 22: payment status and failure reason of the lines of one item of a levy document (zszmDm
  // narrows when neither empty nor "null").
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, const std::string& zsxmDm,
                          const std::string& zspmDm, const std::string& zszmDm, int32_t jkzt,
                          const std::string& sbyy) = 0;
  // 23: distinct yzpzxh (texts) of the payer's lines in one method and the statuses of the JSON
  // array jkztList, for a payer type.
  virtual bool GetZspmdmList(const std::string& djxh, int32_t jkfs, const std::string& jkztList, int32_t jfrlx,
                             std::string& list) = 0;
  // 24: stores lines downloaded from the server in place of the ones they stand for (period and
  // payment-date ranges each apply when both ends are given); lines whose bank outcome is
  // pending (jkzt 5, 6) are kept; certificate links survive.
  virtual bool SaveJfmxList(const std::string& lines, const std::string& djxh, const std::string& skssqq,
                            const std::string& skssqz, const std::string& jkrqq, const std::string& jkrqz) = 0;
  // 25: distinct vouchers {dzsphm, zsjgDm, skssswjgDm} in one method, the statuses of jkztList
  // and one dyzt.
  virtual bool GetZs10305CxList(int32_t jkfs, const std::string& jkztList, int32_t dyzt, std::string& list) = 0;
  // 26: payment status and failure reason of every line of one voucher.
  virtual bool UpdateJkztBy10305(const std::string& dzsphm, int32_t jkzt, const std::string& sbyy) = 0;

 protected:
  ~IPaymentDAO() = default;
};

}  // namespace velmor
