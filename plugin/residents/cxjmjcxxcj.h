// TCxjmjcxxcjImpl: the residents' basic-information collection (ICxjmjcxxcj), registered as row
// 43 of the service table. Reads and the answer conversion in cxjmjcxxcj.cpp; the server
// exchanges ("0202", "0203", the rule service "0208") in cxjmjcxxcj_exchange.cpp.
// One object is used by the host's main thread.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "framework/log.h"
#include "residents/jcxx_families.h"
#include "service/taxml_json.h"
#include "store/db_access.h"
#include "velmor/cxjmjcxxcj.h"

namespace velmor {

inline constexpr const char* kJcxxDisabled = "城乡居民基础信息采集功能未启用。";
// The service code under which the rule service is asked for the lines open for registration.
inline constexpr const char* kJfdjxzfwCode = "0208";

class TCxjmjcxxcjImpl : public ServiceImpl<TSBBaseObj, ICxjmjcxxcj> {
 public:
  VELMOR_PUBLISHED(TCxjmjcxxcjImpl, TSBBaseObj)

  bool IsFunctionEnabled() override;
  Ref<IJfdjItems> NewCxjmjcxx_Ry_Items() override { return NewJfdjRecords(kCxjmjcxxRyFamily); }
  Ref<IJfdjItem> NewCxjmjcxx_Ry_Item() override { return NewJfdjRecord(kCxjmjcxxRyFamily); }
  Ref<IJfdjQueryCondition> NewCxjmjcxx_Ry_QueryCondition() override { return NewJfdjCondition(kCxjmjcxxRyFamily); }
  Ref<IJfdjItems> NewCxjmjcxx_Xz_Items() override { return NewJfdjRecords(kCxjmjcxxXzFamily); }
  Ref<IJfdjItem> NewCxjmjcxx_Xz_Item() override { return NewJfdjRecord(kCxjmjcxxXzFamily); }
  Ref<IJfdjQueryCondition> NewCxjmjcxx_Xz_QueryCondition() override { return NewJfdjCondition(kCxjmjcxxXzFamily); }
  bool getCxjmjcxx_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getCxjmjcxx_Ry_Count(IJfdjQueryCondition* qc) override;
  bool getCxjmjcxx_Xz_Data(int64_t personId, IJfdjItems* out) override;
  bool RyjfDjxxToItems(const std::string& answer, IJfdjItems* persons, IJfdjItems* lines) override;
  bool synCxjmshbxfjfdj(IJfdjItem* person, IJfdjItems* lines, IProgressView* progress) override;
  bool synJfdjxzfwCx(IJfdjItem* person, IJfdjItems* lines, IProgressView* progress) override;
  bool synSbdjxhCx(const std::vector<std::string>& rydjxhList, std::string& json) override;

  // One operation inside its enter and leave marks, on the failure boundary.
  template <class R, class F>
  R Run(std::string_view op, LogForm form, R fallback, F&& body) {
    ErrorMessage.clear();
    LogScope scope("TCxjmjcxxcjImpl." + std::string(op));
    return Guarded<service::OpRefusal, taxml::Failure, StoreError>({"TCxjmjcxxcjImpl", op, form},
                                                                   {"", true, UnknownText::kShown}, &ErrorMessage,
                                                                   std::move(fallback), std::forward<F>(body));
  }

 private:
  // Raises OpRefusal(kJcxxDisabled) unless the function is enabled.
  void RequireEnabled();
  // The registration numbers of the persons ("0203"), rydjxh -> sbdjxh.
  std::vector<std::pair<std::string, std::string>> Sbdjxh(const std::vector<std::string>& rydjxhList);
};

// A records list of the family, checked (OpRefusal naming the list class otherwise).
TJfdjRecords& RequireRecords(IJfdjItems* items, const JfdjFamily& family);

}  // namespace velmor
