// TBzDjImpl (row 44, IBzDjIntf), TJtbzhImpl (row 45, IJtbzhIntf, payer type "8") and TZfdjhImpl
// (row 46, IZfdjhIntf, payer type "9"): the service classes of the collective and government
// payers. They share every operation through TBzDjOf, which hands each call to one BzDjOps
// (groups/bzdj_ops.h); the two accounts differ only in the payer type they declare under.
// One object is used by one thread at a time.
#pragma once

#include "business/business_object.h"
#include "groups/bzdj_items.h"
#include "groups/bzdj_ops.h"
#include "velmor/bzdj.h"

namespace velmor {

template <class I>
class TBzDjOf : public ServiceImpl<TSBBaseObj, I> {
 public:
  explicit TBzDjOf(const char* jfrlx = "") : ops_(this->ErrorMessage, jfrlx) {}

  void SetDjxh(const std::string& djxh) override { ops_.SetDjxh(djxh); }
  bool synCxjmjtbzhjfdjxxCx(IProgressView* p) override { return ops_.Download(p); }
  bool synPlCbryJfDjxxCx(const std::string& persons, IProgressView* p, std::string& result) override {
    return ops_.Residents(persons, p, result);
  }
  bool synCxjmjtbzsb(const std::string& params, IProgressView* p, int32_t& id) override {
    return ops_.Declare(params, p, id);
  }
  bool synCxjmjtbzsbjgCx(int32_t id, IProgressView* p, std::string& sbzt) override { return ops_.Verdict(id, p, sbzt); }
  bool synSbqdCx(const std::string& sbrqq, const std::string& sbrqz, IProgressView* p) override {
    return ops_.DeclarationList(sbrqq, sbrqz, p);
  }
  bool synSbmxjlCx(const std::string& yzpzxh, IProgressView* p, std::string& persons) override {
    return ops_.RecordPersons(yzpzxh, p, persons);
  }
  bool synKkjgCx(const std::string& yzpzxh, IProgressView* p, std::string& jkzt) override {
    return ops_.DeductionResult(yzpzxh, p, jkzt);
  }
  bool synSbZf(int32_t id, IProgressView* p) override { return ops_.Void(id, p); }
  bool synCxjmjtbzhSbcx(const std::string& params, std::string& yblsh) override {
    return ops_.QuerySubmit(params, yblsh);
  }
  bool synCxjmjtbzhSbcxFk(const std::string& yblsh, std::string& result) override {
    return ops_.QueryCollect(yblsh, result);
  }
  bool synJfrHzCx(std::string& result) override { return ops_.Summary(result); }

  int32_t getCount(const BzDjFilter& qc) override { return ops_.LineCount(qc); }
  std::string getData(const BzDjFilter& qc) override { return ops_.Lines(qc); }
  bool getYjfehj(const BzDjFilter& qc, double& sum) override { return ops_.LineSum(qc, sum); }
  bool delData(const BzDjFilter& qc, int32_t& deleted) override { return ops_.DeleteLines(qc, deleted); }
  bool addDatas(const std::string& lines, IProgressView* p, int32_t& added) override {
    return ops_.AddLines(lines, p, added);
  }
  bool importData(const std::string& workbook, IProgressView* p, TBzDjImportResult& result) override {
    return ops_.Import(workbook, p, result);
  }
  int32_t getJlCount(const BzDjFilter& qc) override { return ops_.RecordCount(qc); }
  std::string getJlData(const BzDjFilter& qc) override { return ops_.Records(qc); }
  std::string getJlmxData(int32_t zbid) override { return ops_.RecordLines(zbid); }
  int32_t getJlrymxCount(const BzDjFilter& qc) override { return ops_.PersonLineCount(qc); }
  std::string getJlrymxData(const BzDjFilter& qc) override { return ops_.PersonLines(qc); }
  int32_t getCbxzCount(const BzDjFilter& qc) override { return ops_.InsuredCount(qc); }
  std::string getCbxzData(const BzDjFilter& qc) override { return ops_.Insured(qc); }
  std::string getDwbhs(const std::string& sbjbjgdm) override { return ops_.Codes("dwbh", sbjbjgdm, "getDwbhs"); }
  std::string getXzlxdms(const std::string& sbjbjgdm) override {
    return ops_.Codes("xzlxdm", sbjbjgdm, "getXzlxdms");
  }
  std::string getSbjbjgdms(const std::string& yxbz) override { return ops_.Codes("sbjbjgDm", yxbz, "getSbjbjgdms"); }
  std::string getSwjgdms(const std::string& yxbz) override { return ops_.Codes("zgswjgDm", yxbz, "getSwjgdms"); }
  std::string getSwksdms(const std::string& yxbz) override { return ops_.Codes("zgswksDm", yxbz, "getSwksdms"); }
  std::string getQdData(int32_t zbid) override { return ops_.ListEntries(zbid); }
  std::string getWjkData() override { return ops_.Unpaid(); }
  std::string getYzpzxhLb() override { return ops_.Vouchers(); }
  bool handTemplate(const std::string& path) override { return ops_.Template(path); }

  Ref<IBzDjQc> NewBzDjQc() override { return Ref<IBzDjQc>(New<TBzDjQc>().get()); }
  Ref<IJfdjItem> NewBzDjItem() override { return NewJfdjRecord(groups::kBzDjFamily); }
  Ref<IJfdjItems> NewBzDjItems() override { return NewJfdjRecords(groups::kBzDjFamily); }
  bool getBzDjItems(IBzDjQc* qc, Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjFamily, ops_.Lines(Filter(qc)), items);
  }
  bool addBzDjItems(IJfdjItems* lines, IProgressView* p, int32_t& added) override {
    return ops_.AddItems(lines, p, added);
  }
  bool getJlItems(IBzDjQc* qc, Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjjlFamily, ops_.Records(Filter(qc)), items);
  }
  bool getJlmxItems(int32_t zbid, Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjjlmxFamily, ops_.RecordLines(zbid), items);
  }
  bool getJlrymxItems(IBzDjQc* qc, Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjjlrymxFamily, ops_.PersonLines(Filter(qc)), items);
  }
  bool getCbxzItems(IBzDjQc* qc, Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjcbxzFamily, ops_.Insured(Filter(qc)), items);
  }
  bool getQdItems(int32_t zbid, Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjqdFamily, ops_.ListEntries(zbid), items);
  }
  bool getWjkItems(Ref<IJfdjItems>& items) override {
    return ops_.Items(groups::kBzDjjlFamily, ops_.Unpaid(), items);
  }
  bool getCxjmJbxx(Ref<IJfdjItem>& payer) override { return ops_.Payer(payer); }
  bool getCxjmCbxxItems(IBzDjQc* qc, Ref<IJfdjItems>& items) override { return ops_.Units(Filter(qc), items); }
  bool getCxjmCbxzItems(int32_t zbid, Ref<IJfdjItems>& items) override { return ops_.UnitLines(zbid, items); }

 protected:
  // A null condition reads every row.
  static BzDjFilter Filter(IBzDjQc* qc) {
    if (qc) return qc->GetFilter();
    BzDjFilter all;
    all.page = -1;
    return all;
  }

  groups::BzDjOps ops_;
};

class TBzDjImpl : public TBzDjOf<IBzDjIntf> {
 public:
  VELMOR_PUBLISHED(TBzDjImpl, TSBBaseObj)
};

class TJtbzhImpl : public TBzDjOf<IJtbzhIntf> {
 public:
  TJtbzhImpl() : TBzDjOf<IJtbzhIntf>(groups::kJfrlxCollective) {}
  std::string getXnhflbs(const std::string& zgswjgDm) override { return ops_.Xnhflbs(zgswjgDm); }
  VELMOR_PUBLISHED(TJtbzhImpl, TSBBaseObj)
};

class TZfdjhImpl : public TBzDjOf<IZfdjhIntf> {
 public:
  TZfdjhImpl() : TBzDjOf<IZfdjhIntf>(groups::kJfrlxGovernment) {}
  VELMOR_PUBLISHED(TZfdjhImpl, TSBBaseObj)
};

}  // namespace velmor
