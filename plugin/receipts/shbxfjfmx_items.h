// The records of the certificate answers (include/velmor/shbxfjfmxzm.h): business objects whose
// published properties are the answer's keys, each with its line list, and the lists (TItems).
// Records are made with New<>, lists with Make<>. One thread at a time.
#pragma once

#include <string>

#include "business/business_object.h"
#include "business/items.h"
#include "velmor/shbxfjfmxzm.h"

namespace velmor {

// The common part: the line list (empty for records without lines).
class TShbxfjfmxRecord : public Implements<TBusinessObject, IShbxfjfmxRecord> {
 public:
  Ref<IItems> GetMxList() override {
    if (!mx_) mx_ = Make<TItems>();
    return mx_;
  }

 private:
  Ref<IItems> mx_;
};

// A fee payment line; id is its identity (GetJfqdId).
class TSbfjfqdItem : public TShbxfjfmxRecord {
 public:
  std::string yzpzxh, dzsphm, zsswjgDm, sbjbjgDm, jfrlx, rybh, zsxmDm, zspmDm, zszmDm, fkssqq, fkssqz, rkrq, jfje,
      pzhm, tbrq, id;
  VELMOR_PUBLISHED(TSbfjfqdItem, TBusinessObject, Prop<&TSbfjfqdItem::yzpzxh>("yzpzxh", types::String),
                   Prop<&TSbfjfqdItem::dzsphm>("dzsphm", types::String),
                   Prop<&TSbfjfqdItem::zsswjgDm>("zsswjgDm", types::String),
                   Prop<&TSbfjfqdItem::sbjbjgDm>("sbjbjgDm", types::String),
                   Prop<&TSbfjfqdItem::jfrlx>("jfrlx", types::String), Prop<&TSbfjfqdItem::rybh>("rybh", types::String),
                   Prop<&TSbfjfqdItem::zsxmDm>("zsxmDm", types::String),
                   Prop<&TSbfjfqdItem::zspmDm>("zspmDm", types::String),
                   Prop<&TSbfjfqdItem::zszmDm>("zszmDm", types::String),
                   Prop<&TSbfjfqdItem::fkssqq>("fkssqq", types::String),
                   Prop<&TSbfjfqdItem::fkssqz>("fkssqz", types::String), Prop<&TSbfjfqdItem::rkrq>("rkrq", types::String),
                   Prop<&TSbfjfqdItem::jfje>("jfje", types::String), Prop<&TSbfjfqdItem::pzhm>("pzhm", types::String),
                   Prop<&TSbfjfqdItem::tbrq>("tbrq", types::String), Prop<&TSbfjfqdItem::id>("id", types::String))
};
class TSbfjfqdItems : public TItems {};

// An issued certificate and its lines.
class TShbxfjfmxdyItem : public TShbxfjfmxRecord {
 public:
  std::string pzhm, zsswjgDm, nsrsbh, nsrmc, tpr, qdId, qdMc, tbrq, jfje;
  VELMOR_PUBLISHED(TShbxfjfmxdyItem, TBusinessObject, Prop<&TShbxfjfmxdyItem::pzhm>("pzhm", types::String),
                   Prop<&TShbxfjfmxdyItem::zsswjgDm>("zsswjgDm", types::String),
                   Prop<&TShbxfjfmxdyItem::nsrsbh>("nsrsbh", types::String),
                   Prop<&TShbxfjfmxdyItem::nsrmc>("nsrmc", types::String),
                   Prop<&TShbxfjfmxdyItem::tpr>("tpr", types::String),
                   Prop<&TShbxfjfmxdyItem::qdId>("qdId", types::String),
                   Prop<&TShbxfjfmxdyItem::qdMc>("qdMc", types::String),
                   Prop<&TShbxfjfmxdyItem::tbrq>("tbrq", types::String),
                   Prop<&TShbxfjfmxdyItem::jfje>("jfje", types::String))
};
class TShbxfjfmxdymxItem : public TSbfjfqdItem {
 public:
  VELMOR_PUBLISHED(TShbxfjfmxdymxItem, TSbfjfqdItem)
};
class TShbxfjfmxdymxItems : public TItems {};

// A certificate found by query and its lines.
class TShbxfjfmxzmItem : public TShbxfjfmxRecord {
 public:
  std::string pzhm, qdId, qdMc, tpr, tbrq, nsrsbh, nsrmc, zsswjgDm;
  VELMOR_PUBLISHED(TShbxfjfmxzmItem, TBusinessObject, Prop<&TShbxfjfmxzmItem::pzhm>("pzhm", types::String),
                   Prop<&TShbxfjfmxzmItem::qdId>("qdId", types::String),
                   Prop<&TShbxfjfmxzmItem::qdMc>("qdMc", types::String),
                   Prop<&TShbxfjfmxzmItem::tpr>("tpr", types::String),
                   Prop<&TShbxfjfmxzmItem::tbrq>("tbrq", types::String),
                   Prop<&TShbxfjfmxzmItem::nsrsbh>("nsrsbh", types::String),
                   Prop<&TShbxfjfmxzmItem::nsrmc>("nsrmc", types::String),
                   Prop<&TShbxfjfmxzmItem::zsswjgDm>("zsswjgDm", types::String))
};
class TShbxfjfmxzmItems : public TItems {};
class TShbxfjfmxzmmxItem : public TSbfjfqdItem {
 public:
  VELMOR_PUBLISHED(TShbxfjfmxzmmxItem, TSbfjfqdItem)
};
class TShbxfjfmxzmmxItems : public TItems {};

// The result of a check and its lines (with their payment state jfzt).
class TShbxfjfmxzmcyItem : public TShbxfjfmxRecord {
 public:
  std::string nsrsbh, nsrmc, tbrq, qdid, qdMc, tpr, zxcs, pzztDm;
  VELMOR_PUBLISHED(TShbxfjfmxzmcyItem, TBusinessObject, Prop<&TShbxfjfmxzmcyItem::nsrsbh>("nsrsbh", types::String),
                   Prop<&TShbxfjfmxzmcyItem::nsrmc>("nsrmc", types::String),
                   Prop<&TShbxfjfmxzmcyItem::tbrq>("tbrq", types::String),
                   Prop<&TShbxfjfmxzmcyItem::qdid>("qdid", types::String),
                   Prop<&TShbxfjfmxzmcyItem::qdMc>("qdMc", types::String),
                   Prop<&TShbxfjfmxzmcyItem::tpr>("tpr", types::String),
                   Prop<&TShbxfjfmxzmcyItem::zxcs>("zxcs", types::String),
                   Prop<&TShbxfjfmxzmcyItem::pzztDm>("pzztDm", types::String))
};
class TShbxfjfmxzmcymxItem : public TSbfjfqdItem {
 public:
  std::string jfzt;
  VELMOR_PUBLISHED(TShbxfjfmxzmcymxItem, TSbfjfqdItem, Prop<&TShbxfjfmxzmcymxItem::jfzt>("jfzt", types::String))
};
class TShbxfjfmxzmcymxItems : public TItems {};

}  // namespace velmor
