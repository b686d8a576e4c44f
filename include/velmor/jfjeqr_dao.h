// IJfjeqrDAO: the store of residents' payment-amount confirmations (sb_grjfjeqrb), personal
// deduction authorisations (sb_grsbfkfsqb) and online-signed pension agreements
// (sb_jmylwqsfxyb) (class TJfjeqrDAOImpl, registered under this interface's GUID string).
//
// Rows and filters are JSON (docs/fees.md): a filter is an object whose non-empty members add
// their condition; rows are arrays of objects keyed by column name, values as text; pages count
// from 1, -1 for all rows. Writes of several statements run in one transaction.
//
// Failures never raise: an operation answers false, -1 or "[]" with the user message as the
// last-error text and logs "[TJfjeqrDAOImpl.<op>]异常：<text>". Each operation takes its own
// database connection; one object is used by one thread at a time. Operations are in slot
// order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IJfjeqrDAO : public IServiceIntf {
 public:
  VELMOR_IID("{8049C896-D6B7-4090-AECA-0DF6F6057B25}")
  // 1: stores the confirmed lines of a payer (array of objects: rydjxh, xm, zjlx, zjhm,
  // sbjbjgdm, rybh, pmlx, zsxmdm, zspmdm, zszmdm, jffs, jfnd, jfjedc, jfje), now as tjsj.
  virtual bool SaveJfjeqr(const std::string& djxh, const std::string& lines) = 0;
  // 2, 3: count and page of confirmations (filter xm, zjlx, zjhm, tjsjq, tjsjz, pmlx, sxnd).
  virtual int32_t GetJfjeqrCount(const std::string& djxh, const std::string& filter) = 0;
  virtual std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 4: replaces the person's valid authorisation by this one (object: rydjxh, xm, zjlx, zjhm,
  // yhdm, yhzldm, khyhdm or khhyhdm, khyhmc or khhyhmc, fkzh, xysh, wtrq).
  virtual bool SaveSbfkfsq(const std::string& djxh, const std::string& authorisation) = 0;
  // 5, 6: count and page of authorisations (filter xm, zjlx, zjhm, sqsjq, sqsjz, zt).
  virtual int32_t GetSbfkfsqCount(const std::string& djxh, const std::string& filter) = 0;
  virtual std::string GetSbfkfsqData(const std::string& djxh, const std::string& filter, int32_t page,
                                     int32_t pageSize) = 0;
  // 7: voids an authorisation (zt 1).
  virtual bool SbfkfsqZf(int32_t id) = 0;
  // 8: adds or updates the agreement row of (djxh, rydjxh, sfxyh) from the agreement object.
  virtual bool SaveJmylwqsfxy(const std::string& djxh, const std::string& rydjxh, const std::string& xm,
                              const std::string& agreement) = 0;
  // 9, 10: count and page of agreements (filter xm, zjlx, zjhm, xyzt).
  virtual int32_t GetJmylwqsfxyCount(const std::string& djxh, const std::string& filter) = 0;
  virtual std::string GetJmylwqsfxyDAta(const std::string& djxh, const std::string& filter, int32_t page,
                                        int32_t pageSize) = 0;
  // 11, 12: sets the agreement's state (sfxyztdm) or verification date (sfxyyztgrq), and the same
  // member inside its sfxyJsonStr. False when there is no such agreement.
  virtual bool UpdateSfyxztDm(const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
                              const std::string& sfxyztDm) = 0;
  virtual bool UpdateSfxyyztgrq(const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
                                const std::string& sfxyyztgRq) = 0;

 protected:
  ~IJfjeqrDAO() = default;
};

}  // namespace velmor
