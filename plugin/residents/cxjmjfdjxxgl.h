// TCxjmjfdjxxgl: the residents' payment registration (ICxjmjfdjxxgl), registered as row 38 of
// the service table. The reads, the pending list and the conversions are in cxjmjfdjxxgl.cpp;
// the server exchanges ("0160" download, "0162" submit, "0163" verdict) in
// cxjmjfdjxxgl_exchange.cpp; the SQL in jfdj_store.*. The service owns its TErrorInfo.
// One object is used by the host's main thread.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "business/error_info.h"
#include "framework/boundary.h"
#include "framework/log.h"
#include "residents/jfdj_items.h"
#include "velmor/cxjmjfdjxxgl.h"

#include <vector>

#include <pugixml.hpp>

#include "velmor/xnh_types.h"

namespace velmor {

// The "0160" answer's cxjmXnhJbxxList as the scheme account: one office per entry (closed
// accounts, jfrztDm "07", left out); its units are the distinct agency and unit numbers (zzbh)
// of its entries, each entry an item of its unit ("null" communities become empty).
std::vector<XnhJbxx> ParseJfdjAccount(pugi::xml_node list);

inline constexpr const char* kJfdjFunctionCode = "NONFUNCTION014";

class TCxjmjfdjxxgl : public Implements<TBusinessObject, ICxjmjfdjxxgl> {
 public:
  VELMOR_PUBLISHED(TCxjmjfdjxxgl, TBusinessObject)
  TCxjmjfdjxxgl();

  Ref<IErrorInfo> GetErrorInfo() override { return Ref<IErrorInfo>(errorInfo_.get()); }
  bool IsFunctionEnabled() override;
  bool synCxjmxnhshbxfjfdjxxCx(IProgressView* progress) override;
  Ref<IJfdjItems> NewJfdj_Ry_Items() override { return NewJfdjRecords(kJfdjRyFamily); }
  Ref<IJfdjItem> NewJfdj_Ry_Item() override { return NewJfdjRecord(kJfdjRyFamily); }
  Ref<IJfdjQueryCondition> NewJfdj_Ry_QueryCondition() override { return NewJfdjCondition(kJfdjRyFamily); }
  bool getJfdj_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getJfdj_Ry_Count(IJfdjQueryCondition* qc) override;
  bool delJfdj_Ry_Data(int64_t id) override;
  bool ry5JfdjExits(IJfdjItem* person, Ref<IJfdjItem>& existing) override;
  Ref<IJfdjItems> NewJfdj_Xz_Items() override { return NewJfdjRecords(kJfdjXzFamily); }
  Ref<IJfdjItem> NewJfdj_Xz_Item() override { return NewJfdjRecord(kJfdjXzFamily); }
  Ref<IJfdjQueryCondition> NewJfdj_Xz_QueryCondition() override { return NewJfdjCondition(kJfdjXzFamily); }
  bool getJfdj_Xz_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getJfdj_Xz_Count(IJfdjQueryCondition* qc) override;
  bool saveJfdj_RyItem_XzItems(IJfdjItem* person, IJfdjItems* lines) override;
  Ref<IJfdjItems> NewRyjbxx_Items() override { return NewJfdjRecords(kRyjbxxFamily); }
  Ref<IJfdjItem> NewRyjbxx_Item() override { return NewJfdjRecord(kRyjbxxFamily); }
  Ref<IJfdjQueryCondition> NewRyjbxx_QueryCondition() override { return NewJfdjCondition(kRyjbxxFamily); }
  bool getRyjbxx_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getRyjbxx_Count(IJfdjQueryCondition* qc) override;
  bool ry5JbxxExits(IJfdjItem* person) override;
  Ref<IJfdjItems> NewRycbxm_Items() override { return NewJfdjRecords(kRycbxmFamily); }
  Ref<IJfdjItem> NewRycbxm_Item() override { return NewJfdjRecord(kRycbxmFamily); }
  Ref<IJfdjQueryCondition> NewRycbxm_QueryCondition() override { return NewJfdjCondition(kRycbxmFamily); }
  bool getRycbxm_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getRycbxm_Count(IJfdjQueryCondition* qc) override;
  Ref<IJfdjItems> NewXnhcbxm_Items() override { return NewJfdjRecords(kXnhcbxmFamily); }
  Ref<IJfdjItem> NewXnhcbxm_Item() override { return NewJfdjRecord(kXnhcbxmFamily); }
  Ref<IJfdjQueryCondition> NewXnhcbxm_QueryCondition() override { return NewJfdjCondition(kXnhcbxmFamily); }
  bool getXnhcbxm_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getXnhcbxm_Count(IJfdjQueryCondition* qc) override;
  bool RyjbxxItemsToJfdjRyItems(IJfdjItems* roster, IJfdjItems* pending) override;
  bool RyjbxxItemToJfdjRyItem(IJfdjItem* roster, IJfdjItem* pending) override;
  bool RycbxmItemsToJfdjXzItems(IJfdjItems* lines, IJfdjItems* pending) override;
  bool RycbxmItemToJfdjXzItem(IJfdjItem* line, IJfdjItem* pending) override;
  bool submitData(IJfdjItems* persons, IProgressView* progress) override;
  bool getRespData(IJfdjItem* submission, IProgressView* progress) override;
  Ref<IJfdjItems> NewJfdjjl_Items() override { return NewJfdjRecords(kJfdjjlFamily); }
  Ref<IJfdjItem> NewJfdjjl_Item() override { return NewJfdjRecord(kJfdjjlFamily); }
  Ref<IJfdjQueryCondition> NewJfdjjl_QueryCondition() override { return NewJfdjCondition(kJfdjjlFamily); }
  Ref<IJfdjItems> NewJfdjjl_Ry_Items() override { return NewJfdjRecords(kJfdjjlRyFamily); }
  Ref<IJfdjItem> NewJfdjjl_Ry_Item() override { return NewJfdjRecord(kJfdjjlRyFamily); }
  Ref<IJfdjQueryCondition> NewJfdjjl_Ry_QueryCondition() override { return NewJfdjCondition(kJfdjjlRyFamily); }
  Ref<IJfdjItems> NewJfdjjl_Xz_Items() override { return NewJfdjRecords(kJfdjjlXzFamily); }
  Ref<IJfdjItem> NewJfdjjl_Xz_Item() override { return NewJfdjRecord(kJfdjjlXzFamily); }
  Ref<IJfdjQueryCondition> NewJfdjjl_Xz_QueryCondition() override { return NewJfdjCondition(kJfdjjlXzFamily); }
  bool getJfdjjl_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getJfdjjl_Count(IJfdjQueryCondition* qc) override;
  bool getJfdjjl_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getJfdjjl_Ry_Count(IJfdjQueryCondition* qc) override;
  bool getJfdjjl_Xz_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) override;
  int32_t getJfdjjl_Xz_Count(IJfdjQueryCondition* qc) override;

  // Runs one operation inside its enter and leave marks: on a failure the log receives the
  // line in `form`, the error information the text, and the answer is `fallback`.
  template <class R, class F>
  R Run(std::string_view op, LogForm form, R fallback, F&& body);

 private:
  bool ReadPage(std::string_view op, const JfdjFamily& family, IJfdjQueryCondition* qc, int32_t page,
                int32_t pageSize, IJfdjItems* out);
  int32_t ReadCount(std::string_view op, const JfdjFamily& family, IJfdjQueryCondition* qc);

  Ref<TErrorInfo> errorInfo_;
};

}  // namespace velmor

#include "codec/taxml_exchange.h"
#include "service/taxml_json.h"
#include "store/db_access.h"

namespace velmor {

template <class R, class F>
R TCxjmjfdjxxgl::Run(std::string_view op, LogForm form, R fallback, F&& body) {
  errorInfo_->ClearError();
  LogScope scope("TCxjmjfdjxxgl." + std::string(op));
  std::string text;
  R result = Guarded<service::OpRefusal, taxml::Failure, StoreError>(
      {"TCxjmjfdjxxgl", op, form}, {"", true, UnknownText::kShown}, &text, std::move(fallback), std::forward<F>(body));
  if (!text.empty()) errorInfo_->SetError(1, text);
  return result;
}

}  // namespace velmor
