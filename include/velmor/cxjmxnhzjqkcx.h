// ICxjmxnhzjqkcx: how collection stands for the payer's scheme account (class TCxjmxnhzjqkcxImpl):
// per unit, the insured, unpaid, paid, paid-without-feedback and fed-back residents, split by
// payment channel ("0339" submit, "0340" collect), and per unit the persons behind one figure
// ("0341", "0342"); both results exported to a workbook from the shipped template
// M8/Templates/Export/通用导出模板.xlsx. Registered under this interface's GUID.
//
// Records are the module's row records (velmor/jfdj_items.h) of two families:
//   TCxjmxnhzjqkcxItem / TCxjmxnhzjqkcxItems        a unit's figures
//   TCxjmxnhzjqkcxrymxItem / TCxjmxnhzjqkcxrymxItems a person line
// and the condition TCxjmxnhzjqkcxQc with the named fields "sbjbjgdm", "jdxzdm", "sqczdm",
// "zsxmdm", "zspmdm", "zszmdm", "jfnd" (docs/collection-status.md lists the columns).
//
// Failures never raise: the operation answers false and leaves the user message as its last-error
// text (GetErrorMessage); the log reads "[异常]TCxjmxnhzjqkcxImpl.<op>：[<text>]". Lists handed out
// are new references the caller owns. One object is used by one thread at a time. Operations are
// in slot order after IServiceIntf's two; new ones are only appended.
#pragma once

#include <string>

#include "velmor/business_object.h"
#include "velmor/jfdj_items.h"
#include "velmor/progress_view.h"

namespace velmor {

// mxlx: which figure of a unit the person query lists.
inline constexpr const char* kMxlxCbrs = "1";    // insured
inline constexpr const char* kMxlxWjfrs = "2";   // not paid
inline constexpr const char* kMxlxYjfrs = "3";   // paid
inline constexpr const char* kMxlxWfkrs = "4";   // paid, no feedback yet
inline constexpr const char* kMxlxYfkrs = "5";   // fed back

class ICxjmxnhzjqkcx : public IServiceIntf {
 public:
  VELMOR_IID("{3FCEB95F-26B6-4ED6-AA1A-D4B0FF9D0BF8}")
  // 1: a new empty condition (TCxjmxnhzjqkcxQc).
  virtual Ref<IJfdjQueryCondition> NewQc() = 0;
  // 2: the units of the condition's year ("jfnd" required) and filters; an empty answer fails
  // with "查询无数据".
  virtual bool synCxjmxnhzjqkCx(IJfdjQueryCondition* qc, IProgressView* progress, Ref<IJfdjItems>& units) = 0;
  // 3: the persons behind one figure (mxlx "1"-"5") of a unit (a record of the first query).
  virtual bool synCxjmxnhzjqkrymxCx(IJfdjItem* unit, const std::string& mxlx, IProgressView* progress,
                                    Ref<IJfdjItems>& persons) = 0;
  // 4, 5: writes the units / persons into a copy of the template at `file` ("" : a new name under
  // M8/Temp/); `written` receives the path. Nothing is left at the target when writing fails.
  virtual bool exportCxjmxnhzjqk(IJfdjItems* units, const std::string& file, IProgressView* progress,
                                 std::string& written) = 0;
  virtual bool exportCxjmxnhzjqkrymx(IJfdjItems* persons, const std::string& file, IProgressView* progress,
                                     std::string& written) = 0;
  // 6: a new empty unit record (a unit the host knows without querying).
  virtual Ref<IJfdjItem> NewUnit() = 0;

 protected:
  ~ICxjmxnhzjqkcx() = default;
};

}  // namespace velmor
