// IJfbzDAO: the store of the residents' fee standards (class TJfbzDAOImpl, registered under this
// interface's GUID string): the item type of each levy sub-item (sb_pmlxb), the payment method
// per item and agency (sb_jffsb), the amount limits (sb_jfsxxb) and the payment grades
// (sb_jfdcb), each limit and grade row valid for a date range, an age range and a sex.
//
// Lookups take a JfbzKey. A rule row whose agency or detail is empty, null or "null" applies to
// every agency or detail, one whose xb is neither "1" nor "2" to both sexes: a lookup for a given
// agency, detail or sex finds those catch-all rows too and ranks the specific ones first. The
// value "option_all" in a key means "any value" (no condition at all).
//
// Failures never raise: an operation answers false (or "[]") with the user message as the
// last-error text and logs "[TJfbzDAOImpl.<op>]异常：<text>". Each operation takes its own
// database connection; one object is used by one thread at a time. Rows are JSON arrays of
// objects keyed by column name, values as text. Operations are in slot order after
// IServiceIntf's two.
#pragma once

#include <string>

#include "velmor/business_object.h"

namespace velmor {

inline constexpr const char* kOptionAll = "option_all";

struct JfbzKey {
  std::string zsxmdm, zspmdm, zszmdm, sbjbjgdm;
  std::string rq;    // the date the rule must be valid on ("yyyy-mm-dd" or "yyyymmdd")
  std::string pmlx;  // the item type: "01" selects by age and sex, any other only age-free rows
  std::string csrq;  // birth date; empty, "null" or "option_all": no age condition
  std::string xb;    // "1", "2"; empty: rows for both sexes only; "option_all": any
};

class IJfbzDAO : public IServiceIntf {
 public:
  VELMOR_IID("{9449E2E4-3646-4C08-8BBB-990365E2B81A}")
  // 1: stores the rule object (JSON text {"gzLb": [...]}, docs/fees.md): every table that has
  // rows in it is replaced, all in one transaction. "缴费标准规则对象为null。" when there is
  // no object or no gzLb, "数据库保存异常。" when a statement fails (nothing is changed then).
  virtual bool SaveJfbz(const std::string& rule) = 0;
  // 2: every item-type row ("select * from sb_pmlxb").
  virtual std::string GetAllPmlxList() = 0;
  // 3: the grades valid for the key, most specific rows first, then ascending dcje.
  virtual bool GetJfdcList(const JfbzKey& key, std::string& rows) = 0;
  // 4: the amount limits valid for the key, most specific row first.
  virtual bool GetJfsxxList(const JfbzKey& key, std::string& rows) = 0;
  // 5: the payment methods of item, sub-item, detail and agency, most specific row first.
  virtual bool GetJffsList(const JfbzKey& key, std::string& rows) = 0;
  // 6: the sub-items of an item type paid by grades ("05") or within limits ("04") at the agency
  // (rows zspmdm, zsxmdm, pmdm, zszmdm, jffs).
  virtual bool GetZspmList(const std::string& pmlx, const std::string& sbjbjgdm, std::string& rows) = 0;

 protected:
  ~IJfbzDAO() = default;
};

}  // namespace velmor
