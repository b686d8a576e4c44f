// IShbxfjfmxzm: payment-detail certificates (class TShbxfjfmxzm, registered under this
// interface's GUID string): a person's paid fee lines ("0174"), a certificate issued over chosen
// lines ("0175"), certificates looked up ("0176"), voided ("0177") and checked by number
// ("0178"). Nothing is kept locally; every answer comes back as items.
//
// Records are business objects whose published properties are the answer's keys (the item
// classes below); records with lines hand them out through IShbxfjfmxRecord::GetMxList. A
// payment line also carries `id`, its identity: the MD5 digest (hexadecimal) of yzpzxh, dzsphm,
// zsswjgDm, sbjbjgDm, rybh, zsxmDm, zspmDm, zszmDm, fkssqq and fkssqz joined by "!@#", in this
// order, so two lines differing in any of them differ in identity.
//
// Failures never raise: a server operation answers false and fills `error` (when not null) with
// code -1 and the user message, and logs "[TShbxfjfmxzm.<op>]异常：<text>". Used from the host's
// main thread; one object by one thread at a time. Operations are in slot order; this order is
// the plug-in's own (the five exchanges, the factories, the display names).
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/error_info.h"
#include "velmor/items.h"
#include "velmor/progress_view.h"
#include "velmor/ref.h"

namespace velmor {

// A record of the certificate answers; its line list, empty for records without lines.
class IShbxfjfmxRecord : public IBusinessObject {
 public:
  VELMOR_IID("{6B0F7E0C-3A1D-4E59-9B8C-5E2D7A41C0F3}")
  using Base = IBusinessObject;
  virtual Ref<IItems> GetMxList() = 0;

 protected:
  ~IShbxfjfmxRecord() = default;
};

class IShbxfjfmxzm : public IBusinessObject {
 public:
  VELMOR_IID("{346EB34A-C0EA-4FE2-8F45-FC734877FE87}")
  using Base = IBusinessObject;
  // 1 ("0174"): the person's payment lines (TSbfjfqdItem in TSbfjfqdItems).
  virtual bool synSbfzrrjfqdCx(const std::string& djxh, IProgressView* progress, Ref<IItems>& lines,
                               IErrorInfo* error) = 0;
  // 2 ("0175"): a certificate over the chosen payment lines (TShbxfjfmxdyItem, lines
  // TShbxfjfmxdymxItem).
  virtual bool synShbxfjfmxdyqq(const std::string& djxh, IItems* chosen, IProgressView* progress,
                                Ref<IShbxfjfmxRecord>& certificate, IErrorInfo* error) = 0;
  // 3 ("0176"): the certificates of the person, or the one numbered pzhm (TShbxfjfmxzmItem in
  // TShbxfjfmxzmItems, lines TShbxfjfmxzmmxItem).
  virtual bool synShbxfjfmxzmCx(const std::string& djxh, const std::string& pzhm, IProgressView* progress,
                                Ref<IItems>& certificates, IErrorInfo* error) = 0;
  // 4 ("0177"): voids a certificate.
  virtual bool synShbxfjfmxzmzf(const std::string& djxh, const std::string& pzhm, IProgressView* progress,
                                IErrorInfo* error) = 0;
  // 5 ("0178"): checks a certificate by number and holder (TShbxfjfmxzmcyItem, lines
  // TShbxfjfmxzmcymxItem).
  virtual bool synShbxfjfmxzmcy(const std::string& pzhm, const std::string& nsrsbh, const std::string& nsrmc,
                                IProgressView* progress, Ref<IShbxfjfmxRecord>& result, IErrorInfo* error) = 0;
  // 6-17: new empty records and lists of each class.
  virtual Ref<IShbxfjfmxRecord> NewSbfjfqdItem() = 0;
  virtual Ref<IItems> NewSbfjfqdItems() = 0;
  virtual Ref<IShbxfjfmxRecord> NewShbxfjfmxdyItem() = 0;
  virtual Ref<IShbxfjfmxRecord> NewShbxfjfmxdymxItem() = 0;
  virtual Ref<IItems> NewShbxfjfmxdymxItems() = 0;
  virtual Ref<IShbxfjfmxRecord> NewShbxfjfmxzmItem() = 0;
  virtual Ref<IItems> NewShbxfjfmxzmItems() = 0;
  virtual Ref<IShbxfjfmxRecord> NewShbxfjfmxzmmxItem() = 0;
  virtual Ref<IItems> NewShbxfjfmxzmmxItems() = 0;
  virtual Ref<IShbxfjfmxRecord> NewShbxfjfmxzmcyItem() = 0;
  virtual Ref<IShbxfjfmxRecord> NewShbxfjfmxzmcymxItem() = 0;
  virtual Ref<IItems> NewShbxfjfmxzmcymxItems() = 0;
  // 18-20: display names: payment state ("0" 正常, "1" 已退费, "2" 部分退费), certificate state
  // ("0" 正常, "1" 已作废), issue state of a payment line by its pzhm ("已开具" / "未开具");
  // "" for an unknown code.
  virtual std::string GetJfztMc(const std::string& jfzt) = 0;
  virtual std::string GetPzztMc(const std::string& pzztDm) = 0;
  virtual std::string GetKjztMc(const std::string& pzhm) = 0;
  // 21: the identity of a payment line (see above).
  virtual std::string GetJfqdId(IBusinessObject* line) = 0;

 protected:
  ~IShbxfjfmxzm() = default;
};

}  // namespace velmor
