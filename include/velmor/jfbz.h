// IJfbz: the residents' fee standards (class TJfbzImpl, registered under this interface's GUID
// string): how a resident's insurance line may be paid and how much, from the rules of the
// store (IJfbzDAO, obtained from the service factory), and the grades the server offers a list
// of persons ("0042", submitted and collected in two steps). docs/fees.md gives the JSON of
// every parameter and result.
//
// Failures never raise: an operation answers false with the user message in `message` and as
// the last-error text, and logs "[TJfbzImpl.<op>]异常：<text>". Used from the host's main thread;
// one object by one thread at a time. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IJfbz : public IServiceIntf {
 public:
  VELMOR_IID("{DBCE89D3-9FC1-4615-8694-8AFC62DD5356}")
  // 1: stores the rule set (the store's SaveJfbz).
  virtual bool SaveJfbz(const std::string& rule, std::string& message) = 0;
  // 2-5: configuration reads for a key (JSON object zsxmdm, zspmdm, zszmdm, sbjbjgdm, rq, pmlx,
  // csrq, xb): grades ("缴费档次配置异常。"), payment methods ("缴费方式配置异常。"), limits
  // ("缴费上下限配置异常。"), and the sub-items of an item type paid by grades or limits at an
  // agency (pmlx, sbjbjgdm; "缴费方式配置异常。"). rows: a JSON array.
  virtual bool GetJfdcPz(const std::string& key, std::string& rows, std::string& message) = 0;
  virtual bool GetJffsPz(const std::string& key, std::string& rows, std::string& message) = 0;
  virtual bool GetJfsxxPz(const std::string& key, std::string& rows, std::string& message) = 0;
  virtual bool GetZspmPz(const std::string& pmlx, const std::string& sbjbjgdm, std::string& rows,
                         std::string& message) = 0;
  // 6: the per-person check of a list of insurance lines: result is the list with each line's
  // standard and `valid`, `message`; true only when every line is valid (message: the first
  // failure).
  virtual bool CheckGrJfbz(const std::string& lines, std::string& result, std::string& message) = 0;
  // 7: the options of a screen for an item type, agency, item, sub-item, detail and date
  // ("option_all" for the date: today): {"jffs", "sxxList", "dcList"}.
  virtual bool GetJfbzOptions(const std::string& key, std::string& result, std::string& message) = 0;
  // 8: the standard of one insurance line (rybh, sbjbjgdm, zsxmdm, zspmdm, zszmdm, jfrq, csrq,
  // xb): {"pmlx", "jffs", "jfsxx": {"xxje", "sxje"}} or {"pmlx", "jffs", "dcList",
  // "yjfedcList"}.
  virtual bool GetGrJfbz(const std::string& line, std::string& result, std::string& message) = 0;
  // 9, 10 ("0042"): submits the grade query of a list of persons (yblsh receives its serial),
  // then asks once for its answer: ready false while the server has not answered; result the
  // answer's xzFhList as a JSON array.
  virtual bool synHqjfdcxx(const std::string& params, std::string& yblsh, std::string& message) = 0;
  virtual bool synHqjfdcxxFk(const std::string& yblsh, std::string& result, bool& ready, std::string& message) = 0;
  // 11: the grade match of an insurance list: every line gets `jfdcxx` (its limits, or the grade
  // whose dcje equals its jfje to the cent).
  virtual bool MatchJfdc(const std::string& lines, std::string& result, std::string& message) = 0;
  // 12 (this host's addition, "0002"): downloads the rule "cxjmJfbzGz" of the rule service and
  // stores it as 1 does; `counts` receives the stored rows per table as JSON.
  virtual bool synJfbzGz(std::string& counts, std::string& message) = 0;

 protected:
  ~IJfbz() = default;
};

}  // namespace velmor
