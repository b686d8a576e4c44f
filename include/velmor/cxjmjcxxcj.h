// ICxjmjcxxcj: the residents' basic-information collection (class TCxjmjcxxcjImpl). A resident's
// basic information with the insurance lines to register is sent to the server, one person per
// request ("0202"), and every answer is recorded locally (ds_cxjmjcxxcjryb, ds_cxjmjcxxcjxzb)
// with the server's result per person and per line. The service also asks for residents'
// social-insurance registration numbers ("0203") and, from the rule service ("0208"), the lines a
// resident may register. Records are IJfdjItem of the families "Cxjmjcxx_Ry" and "Cxjmjcxx_Xz".
//
// Offered only when the configuration component reports the function "M8300-01-19-01-00"
// enabled: otherwise every server operation fails with "城乡居民基础信息采集功能未启用。".
// Failures never raise: the last-error text (GetErrorMessage) receives the user text, the log the
// operation's line; Boolean operations answer false, counts -1. Reads are scoped to the current
// payer. One object is used by the host's main thread. Operations in slot order after the two
// of IServiceIntf.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/jfdj_items.h"
#include "velmor/progress_view.h"

namespace velmor {

inline constexpr const char* kJcxxFunctionCode = "M8300-01-19-01-00";

class ICxjmjcxxcj : public IServiceIntf {
 public:
  VELMOR_IID("{CBF18CC1-9E7A-4503-8EAF-95A81D524E06}")
  // 1: the function switch.
  virtual bool IsFunctionEnabled() = 0;
  // 2-7: factories of the person and line families.
  virtual Ref<IJfdjItems> NewCxjmjcxx_Ry_Items() = 0;
  virtual Ref<IJfdjItem> NewCxjmjcxx_Ry_Item() = 0;
  virtual Ref<IJfdjQueryCondition> NewCxjmjcxx_Ry_QueryCondition() = 0;
  virtual Ref<IJfdjItems> NewCxjmjcxx_Xz_Items() = 0;
  virtual Ref<IJfdjItem> NewCxjmjcxx_Xz_Item() = 0;
  virtual Ref<IJfdjQueryCondition> NewCxjmjcxx_Xz_QueryCondition() = 0;
  // 8, 9: the recorded persons (xm, zjlxDm, zjhm, czlx filter), newest first; page -1 for all.
  virtual bool getCxjmjcxx_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;
  virtual int32_t getCxjmjcxx_Ry_Count(IJfdjQueryCondition* qc) = 0;
  // 10: the recorded lines of one person (its id).
  virtual bool getCxjmjcxx_Xz_Data(int64_t personId, IJfdjItems* out) = 0;
  // 11: a previous registration's answer (JSON: "code", "ryjfDjxxList") as records: the persons
  // with jfrlx "0", and their lines, each line's zbid the position (from 1) of its person.
  virtual bool RyjfDjxxToItems(const std::string& answer, IJfdjItems* persons, IJfdjItems* lines) = 0;
  // 12: "0202": sends the person with its lines and records the answer (ids set on the items,
  // rycode/rymessage and xzcode/xzmessage filled). True when the server accepted the person.
  virtual bool synCxjmshbxfjfdj(IJfdjItem* person, IJfdjItems* lines, IProgressView* progress) = 0;
  // 13: the lines the resident (rydjxh, and its person keys) may register, from the rule service.
  virtual bool synJfdjxzfwCx(IJfdjItem* person, IJfdjItems* lines, IProgressView* progress) = 0;
  // 14: "0203": the registration numbers of the persons, as a JSON array of {"rydjxh", "sbdjxh"}.
  virtual bool synSbdjxhCx(const std::vector<std::string>& rydjxhList, std::string& json) = 0;

 protected:
  ~ICxjmjcxxcj() = default;
};

}  // namespace velmor
