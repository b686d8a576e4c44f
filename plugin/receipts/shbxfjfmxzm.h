// TShbxfjfmxzm: payment-detail certificates (IShbxfjfmxzm), registered as row 39 of the service
// table. Each exchange is a row of the call helper (service/server_call.h) whose answer is
// copied key by key into the records of shbxfjfmx_items.h. One object is used by one thread at a
// time.
#pragma once

#include <functional>
#include <string>

#include "business/business_object.h"
#include "service/server_call.h"
#include "velmor/shbxfjfmxzm.h"

namespace velmor {

class TShbxfjfmxzm : public Implements<TBusinessObject, IShbxfjfmxzm> {
 public:
  VELMOR_PUBLISHED(TShbxfjfmxzm, TBusinessObject)

  bool synSbfzrrjfqdCx(const std::string& djxh, IProgressView* progress, Ref<IItems>& lines,
                       IErrorInfo* error) override;
  bool synShbxfjfmxdyqq(const std::string& djxh, IItems* chosen, IProgressView* progress,
                        Ref<IShbxfjfmxRecord>& certificate, IErrorInfo* error) override;
  bool synShbxfjfmxzmCx(const std::string& djxh, const std::string& pzhm, IProgressView* progress,
                        Ref<IItems>& certificates, IErrorInfo* error) override;
  bool synShbxfjfmxzmzf(const std::string& djxh, const std::string& pzhm, IProgressView* progress,
                        IErrorInfo* error) override;
  bool synShbxfjfmxzmcy(const std::string& pzhm, const std::string& nsrsbh, const std::string& nsrmc,
                        IProgressView* progress, Ref<IShbxfjfmxRecord>& result, IErrorInfo* error) override;
  Ref<IShbxfjfmxRecord> NewSbfjfqdItem() override;
  Ref<IItems> NewSbfjfqdItems() override;
  Ref<IShbxfjfmxRecord> NewShbxfjfmxdyItem() override;
  Ref<IShbxfjfmxRecord> NewShbxfjfmxdymxItem() override;
  Ref<IItems> NewShbxfjfmxdymxItems() override;
  Ref<IShbxfjfmxRecord> NewShbxfjfmxzmItem() override;
  Ref<IItems> NewShbxfjfmxzmItems() override;
  Ref<IShbxfjfmxRecord> NewShbxfjfmxzmmxItem() override;
  Ref<IItems> NewShbxfjfmxzmmxItems() override;
  Ref<IShbxfjfmxRecord> NewShbxfjfmxzmcyItem() override;
  Ref<IShbxfjfmxRecord> NewShbxfjfmxzmcymxItem() override;
  Ref<IItems> NewShbxfjfmxzmcymxItems() override;
  std::string GetJfztMc(const std::string& jfzt) override;
  std::string GetPzztMc(const std::string& pzztDm) override;
  std::string GetKjztMc(const std::string& pzhm) override;
  std::string GetJfqdId(IBusinessObject* line) override;

 private:
  // One exchange: progress "进度" / "正在处理，请稍等", log enter and leave marks, the answer
  // with code "00000" (else "【code】message"), failures into `error`.
  bool Run(const service::OpRow& row, const service::OpCall& call, IProgressView* progress, IErrorInfo* error,
           const std::function<void(const service::Json& answer)>& read);
};

}  // namespace velmor
