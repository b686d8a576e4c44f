// TCxjmxnhzjqkcxImpl: the collection status of the payer's scheme account (ICxjmxnhzjqkcx),
// registered as row 47 of the service table. The two queries in cxjmxnhzjqkcx.cpp, the two
// workbook exports in cxjmxnhzjqkcx_export.cpp. One object is used by the host's main thread.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "residents/jfdj_items.h"
#include "service/taxml_json.h"
#include "velmor/cxjmxnhzjqkcx.h"

namespace velmor {

extern const JfdjFamily kCxjmxnhzjqkcxFamily, kCxjmxnhzjqkcxrymxFamily;

// The payment channels of the person lines and their display names; the code itself when unknown.
std::string JfqdName(std::string_view code);

class TCxjmxnhzjqkcxImpl : public ServiceImpl<TSBBaseObj, ICxjmxnhzjqkcx> {
 public:
  VELMOR_PUBLISHED(TCxjmxnhzjqkcxImpl, TSBBaseObj)

  Ref<IJfdjQueryCondition> NewQc() override { return NewJfdjCondition(kCxjmxnhzjqkcxFamily); }
  Ref<IJfdjItem> NewUnit() override { return NewJfdjRecord(kCxjmxnhzjqkcxFamily); }
  bool synCxjmxnhzjqkCx(IJfdjQueryCondition* qc, IProgressView* progress, Ref<IJfdjItems>& units) override;
  bool synCxjmxnhzjqkrymxCx(IJfdjItem* unit, const std::string& mxlx, IProgressView* progress,
                            Ref<IJfdjItems>& persons) override;
  bool exportCxjmxnhzjqk(IJfdjItems* units, const std::string& file, IProgressView* progress,
                         std::string& written) override;
  bool exportCxjmxnhzjqkrymx(IJfdjItems* persons, const std::string& file, IProgressView* progress,
                             std::string& written) override;

  // One operation on the failure boundary: "[异常]TCxjmxnhzjqkcxImpl.<op>：[<text>]".
  template <class F>
  bool Run(std::string_view op, F&& body) {
    ErrorMessage.clear();
    return Attempt<service::OpRefusal, taxml::Failure>({"TCxjmxnhzjqkcxImpl", op, LogForm::kBracketed},
                                                       {"", true, UnknownText::kShown}, &ErrorMessage,
                                                       std::forward<F>(body));
  }
};

}  // namespace velmor
