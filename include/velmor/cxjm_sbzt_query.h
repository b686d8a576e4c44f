// ICXJMSBStatusQueryService: the declaration state of the residents' insured lines (class
// TCXJMSBStatusQueryService). The lines are those of the roster's enrolment table (sb_rycbxmb),
// each known to the server by its `xzid`; the state asked from the server is stored on the line
// (`sbzt` 1 declared / 0 not, `xzsj` the day asked, `jfnd` the year asked).
//
// Queries and lists take a JSON query object with the optional keys "jfnd", "xzjddm", "sqhczdm",
// "zsxmdm", "zspmdm", "zszmdm", "sbzt", "xm", "zjlx", "zjhm" and "fzid" (a group: its subgroups'
// persons too); an absent or empty key sets no filter. Lists are JSON arrays as text.
//
// Failures never raise: the log receives "[TCXJMSBStatusQueryService.<op>]异常：" (or the
// "[异常]..." form the operation names), the text becomes the last-error text and the answer is
// false, 0 or "[]". One object is used by the host's main thread: the status queries may ask the
// user (IUIManager::AskYesNo) whether to go on waiting. Operations are in slot order after the two
// of IServiceIntf.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class ICXJMSBStatusQueryService : public IServiceIntf {
 public:
  VELMOR_IID("{C7755D5C-B96B-4652-8367-0F0B25321652}")
  // 1: the lines still to ask about: [{"xzid", "id"}] of the payer's lines matching the query,
  // without those already asked today for the same year ("jfnd").
  virtual std::string xzidList(const std::string& djxh, const std::string& query) = 0;
  // 2: the number of lines getData lists without paging.
  virtual int32_t getCount(const std::string& djxh, const std::string& query) = 0;
  // 3: a page of lines (page from 1, -1 for all) with person, items, state and group name.
  virtual std::string getData(const std::string& djxh, const std::string& query, int32_t page,
                              int32_t pageSize) = 0;
  // 4: writes the lines of the query to the workbook `filePath` (.xlsx), one row per person and
  // agency, its items joined by "|" and the state "已申报" / "未申报".
  virtual bool exportData(const std::string& djxh, const std::string& query, const std::string& filePath) = 0;
  // 5 ("0056"): asks the server about every line of xzidList for the year "jfnd" of the query, in
  // batches of at most 1000, and stores each answered batch; `answered` receives the number of
  // lines stored. When a batch fails, or the user stops waiting for it, its lines and those of
  // the batches after it keep their states and the answer is false.
  virtual bool synSbztCx(const std::string& djxh, const std::string& query, IProgressView* progress,
                         int32_t& answered) = 0;
  // 6: stores answered lines [{"id", "sbzt"}] ("Y" declared) for the year, in one transaction.
  virtual bool DoSaveSBZT(const std::string& jfnd, const std::string& lines) = 0;
  // 7: marks the lines ["id", ...] of the payer not declared for the year, in one transaction.
  virtual bool DoSaveOtherSBZT(const std::string& djxh, const std::string& jfnd, const std::string& ids) = 0;
  // 8 ("0210" submit, "0211" collect): the self-declared states of the query's lines, stored like
  // those of synSbztCx (answered lines only); `answered` receives their number.
  virtual bool synZzsbztCx_098(const std::string& djxh, const std::string& query, IProgressView* progress,
                               int32_t& answered) = 0;
  // 9 ("0108"): submits the query of approved declarations of natural persons; `params` holds
  // "recBeginNo", "recEndNo" and "zrrDjxhList" (an array of natural persons' djxh). `serial`
  // receives the submission's serial for synHdsbztCxFk.
  virtual bool synHdsbztCx(const std::string& djxh, const std::string& params, std::string& serial) = 0;
  // 10: asks once for the answer of synHdsbztCx: `ready` false while the server has none yet;
  // else `result` receives the answer as a JSON object ("jltj", "sbztList").
  virtual bool synHdsbztCxFk(const std::string& serial, bool& ready, std::string& result) = 0;
  // 11 ("0270"): submits the query of residents' declaration-and-payment states; `cxjmList` is a
  // JSON array of residents ({"xm", "zjlx", "zjhm"}).
  virtual bool synCxjmzzSbjfztCx(const std::string& djxh, const std::string& cxjmList, std::string& serial) = 0;
  // 12: asks once for the answer of synCxjmzzSbjfztCx, as synHdsbztCxFk ("sbjfztList").
  virtual bool synCxjmzzSbjfztCxFk(const std::string& serial, bool& ready, std::string& result) = 0;

 protected:
  ~ICXJMSBStatusQueryService() = default;
};

}  // namespace velmor
