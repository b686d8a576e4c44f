// TYbgrzhdj: the medical-insurance personal account registrations (IYbgrzhdj), registered as row
// 40 of the service table, and its download worker TYbgrzhdjcxjmxxCx. The relationships
// ("0186", "0188") and the local reads in ybgrzhdj.cpp; the download and its merge into
// ds_ybgrzh_cxjmdjxx / ds_ybgrzh_cxjmcbdjxx in ybgrzhdj_download.cpp.
// One object is used by the host's main thread; the worker runs on the caller's thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "business/business_object.h"
#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "residents/jfdj_items.h"
#include "service/server_call.h"
#include "store/db_access.h"
#include "velmor/progress_view.h"
#include "velmor/ybgrzhdj.h"

namespace velmor {

extern const JfdjFamily kCxjmSbxxFamily, kCxjmDjxxFamily;

// System parameters of the download: the time of the last one, and per tax office the start of
// the next incremental one (the key followed by the office's code).
inline constexpr const char* kYbgrzhRyxxGxsj = "ybgrzh_ryxx_gxsj";
inline constexpr const char* kYbgrzhRyxxGxsjq = "ybgrzh_ryxx_gxsjq_";

// TYbgrzhdjcxjmxxCx: fetches the residents of the payer's offices page by page (a count first,
// "10042" asked again while the server prepares it), then merges everything into the two tables
// in one transaction: each resident updated or inserted, its insured lines replaced by every line
// of the answer; a full download marks the payer's rows first and sweeps those not met.
class TYbgrzhdjcxjmxxCx {
 public:
  struct Office {
    std::string swjgDm;
    std::string gxsjq, gxsjz;  // the window asked for
    std::vector<service::Json> residents;
  };

  TYbgrzhdjcxjmxxCx(std::string djxh, bool incremental, IProgressView* progress)
      : djxh_(std::move(djxh)), incremental_(incremental), progress_(progress) {}

  // The whole download; the number of residents received. Raises on any failure, storing nothing.
  int32_t Execute(const std::vector<std::string>& offices);

  // The merge alone (tests of the store drive it with answers of their own).
  void doUpdate(IDBMechanism& db, const std::vector<Office>& offices);

  // Rows per page asked for.
  static constexpr int32_t kPageSize = 500;

 private:
  Office Fetch(const std::string& swjgDm);
  void SaveResident(IDBMechanism& db, const std::string& swjgDm, const service::Json& resident);

  std::string djxh_;
  bool incremental_;
  IProgressView* progress_;
};

class TYbgrzhdj : public ServiceImpl<TSBBaseObj, IYbgrzhdj> {
 public:
  VELMOR_PUBLISHED(TYbgrzhdj, TSBBaseObj)

  bool synYbgrzhdjcxjmxxCx(bool incremental, IProgressView* progress, int32_t& residents) override;
  bool synYbgrzhdjgxxxCx(IProgressView* progress, Ref<IJfdjItems>& links) override;
  bool synYbgrzhdjgxwh(IJfdjItems* entries, IProgressView* progress) override;
  Ref<IJfdjQueryCondition> NewCxjmSbxxQc() override;
  Ref<IJfdjItem> NewCxjmDjxxItem() override { return NewJfdjRecord(kCxjmDjxxFamily); }
  Ref<IJfdjItems> NewCxjmDjxxItems() override { return NewJfdjRecords(kCxjmDjxxFamily); }
  bool getCxjmSbxxItems(IJfdjQueryCondition* qc, Ref<IJfdjItems>& items) override;
  int32_t getCxjmSbxxCount(IJfdjQueryCondition* qc) override;
  bool getSbxzlxItems(std::vector<std::string>& xzlxDms) override;
  bool getZspmItems(const std::string& pmlx, std::vector<std::string>& zspmdms) override;
  bool getPmlx(const std::string& zspmdm, std::string& pmlx) override;
  bool delCxjmSbxxItems(const std::vector<int64_t>& ids) override;

  // One operation on the failure boundary, logged in `form` under "TYbgrzhdj.<op>".
  template <class R, class F>
  R Run(std::string_view op, LogForm form, R fallback, F&& body) {
    ErrorMessage.clear();
    return Guarded<service::OpRefusal, taxml::Failure, StoreError>({"TYbgrzhdj", op, form},
                                                                   {"", true, UnknownText::kShown}, &ErrorMessage,
                                                                   std::move(fallback), std::forward<F>(body));
  }
};

}  // namespace velmor
