// IYbgrzhdj: the registrations linking a medical-insurance personal account to the residents whose
// residents' insurance it pays (class TYbgrzhdj). The residents registered against the payer and
// each resident's insured lines are downloaded ("0187", by the worker TYbgrzhdjcxjmxxCx) into
// ds_ybgrzh_cxjmdjxx and ds_ybgrzh_cxjmcbdjxx; the relationships are queried ("0186") and
// maintained ("0188"); the rest reads and trims the local tables. Registered under this
// interface's GUID. The payer is the portal agent's current one.
//
// Records are the module's row records (velmor/jfdj_items.h): TCxjmSbxxItem (a resident with one
// insured line, list TCxjmSbxxItems, condition TCxjmSbxx_QueryCondition: xm, zjlxDm, zjhm of the
// base, the fields "xzlxDm" and "djnd", the page) and TCxjmDjxxItem (a relationship, list
// TCxjmDjxxItems). docs/medical-accounts.md lists the columns.
//
// Failures never raise: the operation answers false (a count -1) and leaves the user message as
// its last-error text (GetErrorMessage). Lists handed out are new references the caller owns. One
// object is used by one thread at a time. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/jfdj_items.h"
#include "velmor/progress_view.h"

namespace velmor {

class IYbgrzhdj : public IServiceIntf {
 public:
  VELMOR_IID("{BE9F1483-1F0A-4FCB-BF81-AECCC36A717C}")
  // 1 ("0187"): downloads the residents of every tax office of the payer's scheme account. A
  // full download replaces the payer's rows (residents no longer registered go); an incremental
  // one asks only for what changed since the office's last download and removes nothing.
  // Nothing is stored unless every page arrived. `residents` receives the number downloaded.
  virtual bool synYbgrzhdjcxjmxxCx(bool incremental, IProgressView* progress, int32_t& residents) = 0;
  // 2 ("0186"): the payer's relationships.
  virtual bool synYbgrzhdjgxxxCx(IProgressView* progress, Ref<IJfdjItems>& links) = 0;
  // 3 ("0188"): submits added or removed relationships (TCxjmDjxxItems with djmxxh, czlx, qsgx,
  // djnd, sbjbjgDm, rybh, xzlxDm, yjfe). True when the server took the request; each entry then
  // carries the server's "code" and "message" for its line.
  virtual bool synYbgrzhdjgxwh(IJfdjItems* entries, IProgressView* progress) = 0;
  // 4-6: new empty condition, relationship record and list.
  virtual Ref<IJfdjQueryCondition> NewCxjmSbxxQc() = 0;
  virtual Ref<IJfdjItem> NewCxjmDjxxItem() = 0;
  virtual Ref<IJfdjItems> NewCxjmDjxxItems() = 0;
  // 7, 8: the local residents with their insured lines (one record per line), newest first, and
  // their number, by the condition.
  virtual bool getCxjmSbxxItems(IJfdjQueryCondition* qc, Ref<IJfdjItems>& items) = 0;
  virtual int32_t getCxjmSbxxCount(IJfdjQueryCondition* qc) = 0;
  // 9: the insurance types of the payer's downloaded lines.
  virtual bool getSbxzlxItems(std::vector<std::string>& xzlxDms) = 0;
  // 10, 11: the sub-items of an item type, and the type of a sub-item ("" when it has none), from
  // the fee standards' table sb_pmlxb.
  virtual bool getZspmItems(const std::string& pmlx, std::vector<std::string>& zspmdms) = 0;
  virtual bool getPmlx(const std::string& zspmdm, std::string& pmlx) = 0;
  // 12: deletes insured lines by id, all or none.
  virtual bool delCxjmSbxxItems(const std::vector<int64_t>& ids) = 0;

 protected:
  ~IYbgrzhdj() = default;
};

}  // namespace velmor
