// IBzDjIntf: the declarations of a payer that pays residents' fees on their behalf, a collective
// subsidy account (payer type "8", IJtbzhIntf, class TJtbzhImpl) or a government account ("9",
// IZfdjhIntf, class TZfdjhImpl); TBzDjImpl (IBzDjIntf) serves either, taking the type from the
// payer's downloaded registration. Each class is registered under its interface's GUID string.
//
// The payer is the one given to SetDjxh, else the portal agent's current one. The server
// operations ("0214", "0057", "0215", "0216", "0053", "0081", "0014", "0054", "0228", "0229") keep
// the local tables in step; the local ones read and change the prepared lines (ds_jtbz), the
// records (ds_jtbzhsbjlb, their lines ds_jtbzhsbjlmxb and list entries ds_jtbzhsbjlqdb) and the
// registration (ds_jtbzhcbxxb, ds_jtbzhcbxzb), always within the payer (docs/groups.md).
//
// Lists are JSON arrays of objects keyed by column (texts), or of texts for one-column lists; the
// item forms (35-48) give the same reads as records of their families (velmor/bzdj_items.h), new
// references the caller owns.
// Failures never raise: the operation answers false, -1 or "[]" and leaves the user message as its
// last-error text (GetErrorMessage); the log line names the class and operation. Every server
// operation advances the given progress view (may be null). One object is used by one thread at a
// time. Operations are in slot order after IServiceIntf's two; new ones are only appended.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/bzdj_items.h"
#include "velmor/progress_view.h"

namespace velmor {

// What a workbook import did: rows stored, rows rejected and the failure workbook (empty when
// every row was stored).
struct TBzDjImportResult {
  int32_t accepted = 0;
  int32_t rejected = 0;
  std::string failureFile;
};

class IBzDjIntf : public IServiceIntf {
 public:
  VELMOR_IID("{D3760593-9627-4524-8E1E-C6DCDF101C2A}")

  // 1: the payer this object works for ("" = the portal agent's current payer).
  virtual void SetDjxh(const std::string& djxh) = 0;
  // 2 ("0214"): downloads the registration and replaces the payer's in one transaction.
  virtual bool synCxjmjtbzhjfdjxxCx(IProgressView* progress) = 0;
  // 3 ("0057"): the registration state of residents; persons is a JSON array of {sbjbjgDm, xm,
  // sfzjlx, sfzjhm}; result the answer as one JSON object (cgryXxList, sbryXxList).
  virtual bool synPlCbryJfDjxxCx(const std::string& persons, IProgressView* progress, std::string& result) = 0;
  // 4 ("0215"): declares the prepared lines of one office, agency and year (params: zgswjgDm,
  // sbjbjgDm, jfnd, optional sbfsDm, sbsxDm, yzpzzlDm); id receives the new record's id.
  virtual bool synCxjmjtbzsb(const std::string& params, IProgressView* progress, int32_t& id) = 0;
  // 5 ("0216"): the verdict of record id; sbzt receives the record's new state.
  virtual bool synCxjmjtbzsbjgCx(int32_t id, IProgressView* progress, std::string& sbzt) = 0;
  // 6 ("0053"): the payer's declarations of a range of declaration days, stored as records.
  virtual bool synSbqdCx(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress) = 0;
  // 7 ("0081"): the persons of a declared voucher as a JSON array.
  virtual bool synSbmxjlCx(const std::string& yzpzxh, IProgressView* progress, std::string& persons) = 0;
  // 8 ("0014", asynchronous): the deduction result of a voucher; jkzt receives the stored state.
  virtual bool synKkjgCx(const std::string& yzpzxh, IProgressView* progress, std::string& jkzt) = 0;
  // 9 ("0054"): voids record id ("00000" and "30035" void it).
  virtual bool synSbZf(int32_t id, IProgressView* progress) = 0;
  // 10, 11 ("0228"): the server's record of the payer's declarations (params: sbrqq, sbrqz) in
  // two steps: submit (yblsh receives the serial), then collect (false with "服务端尚未反馈，请稍后
  // 再试。" while the server has not answered; result the answer with its sbxxList).
  virtual bool synCxjmjtbzhSbcx(const std::string& params, std::string& yblsh) = 0;
  virtual bool synCxjmjtbzhSbcxFk(const std::string& yblsh, std::string& result) = 0;
  // 12 ("0229"): the payer's summary as a JSON object.
  virtual bool synJfrHzCx(std::string& result) = 0;

  // 13-18: prepared lines: count, page, sum of yjfe, delete, add (a JSON array of lines with
  // jfnd, sbjbjgdm, dwbh, rybh, xzlxdm, xm, zjlx, zjhm, yjfe; added receives the count) and
  // import from a workbook.
  virtual int32_t getCount(const BzDjFilter& qc) = 0;
  virtual std::string getData(const BzDjFilter& qc) = 0;
  virtual bool getYjfehj(const BzDjFilter& qc, double& sum) = 0;
  virtual bool delData(const BzDjFilter& qc, int32_t& deleted) = 0;
  virtual bool addDatas(const std::string& lines, IProgressView* progress, int32_t& added) = 0;
  virtual bool importData(const std::string& workbook, IProgressView* progress, TBzDjImportResult& result) = 0;
  // 19-23: records (newest first), the lines of a record, the person lines of a record (by xm,
  // zjhm), counted and paged.
  virtual int32_t getJlCount(const BzDjFilter& qc) = 0;
  virtual std::string getJlData(const BzDjFilter& qc) = 0;
  virtual std::string getJlmxData(int32_t zbid) = 0;
  virtual int32_t getJlrymxCount(const BzDjFilter& qc) = 0;
  virtual std::string getJlrymxData(const BzDjFilter& qc) = 0;
  // 24, 25: insured lines of the registration (yxbz "Y": valid units only; sbjbjgdm filters).
  virtual int32_t getCbxzCount(const BzDjFilter& qc) = 0;
  virtual std::string getCbxzData(const BzDjFilter& qc) = 0;
  // 26-30: distinct codes of the registration (of one agency when sbjbjgdm is given; offices and
  // sections of valid units only when yxbz is "Y").
  virtual std::string getDwbhs(const std::string& sbjbjgdm) = 0;
  virtual std::string getXzlxdms(const std::string& sbjbjgdm) = 0;
  virtual std::string getSbjbjgdms(const std::string& yxbz) = 0;
  virtual std::string getSwjgdms(const std::string& yxbz) = 0;
  virtual std::string getSwksdms(const std::string& yxbz) = 0;
  // 31-33: list entries of a record; unpaid records; vouchers of the declared records.
  virtual std::string getQdData(int32_t zbid) = 0;
  virtual std::string getWjkData() = 0;
  virtual std::string getYzpzxhLb() = 0;
  // 34: writes the import workbook's template to path.
  virtual bool handTemplate(const std::string& path) = 0;

  // 35-37: factories: a query condition (TBzDjQc), a prepared line (TBzDjItem) and an empty list of
  // prepared lines (TBzDjItems), for the item forms below (velmor/bzdj_items.h).
  virtual Ref<IBzDjQc> NewBzDjQc() = 0;
  virtual Ref<IJfdjItem> NewBzDjItem() = 0;
  virtual Ref<IJfdjItems> NewBzDjItems() = 0;
  // 38-45: the reads above as records; items receives a new list (null on failure). A null
  // condition reads every row. 38 prepared lines (TBzDjItem), 39 adds a list of prepared lines
  // (TBzDjItem only, one transaction), 40 records (TBzDjjlItem), 41 lines of record zbid
  // (TBzDjjlmxItem), 42 person lines (TBzDjjlrymxItem), 43 insured lines (TBzDjcbxzItem), 44 list
  // entries of record zbid (TBzDjqdItem), 45 unpaid records (TBzDjjlItem).
  virtual bool getBzDjItems(IBzDjQc* qc, Ref<IJfdjItems>& items) = 0;
  virtual bool addBzDjItems(IJfdjItems* lines, IProgressView* progress, int32_t& added) = 0;
  virtual bool getJlItems(IBzDjQc* qc, Ref<IJfdjItems>& items) = 0;
  virtual bool getJlmxItems(int32_t zbid, Ref<IJfdjItems>& items) = 0;
  virtual bool getJlrymxItems(IBzDjQc* qc, Ref<IJfdjItems>& items) = 0;
  virtual bool getCbxzItems(IBzDjQc* qc, Ref<IJfdjItems>& items) = 0;
  virtual bool getQdItems(int32_t zbid, Ref<IJfdjItems>& items) = 0;
  virtual bool getWjkItems(Ref<IJfdjItems>& items) = 0;
  // 46-48: the downloaded registration: the payer (TCxjmJbxx: djxh, jfrlx, dws units, cbxzs
  // insured lines), its units (TCxjmCbxx; yxbz "Y" and sbjbjgdm of the condition filter) and the
  // insured lines of unit zbid (TCxjmCbxz).
  virtual bool getCxjmJbxx(Ref<IJfdjItem>& payer) = 0;
  virtual bool getCxjmCbxxItems(IBzDjQc* qc, Ref<IJfdjItems>& items) = 0;
  virtual bool getCxjmCbxzItems(int32_t zbid, Ref<IJfdjItems>& items) = 0;

 protected:
  ~IBzDjIntf() = default;
};

// The collective subsidy account (payer type "8").
class IJtbzhIntf : public IBzDjIntf {
 public:
  VELMOR_IID("{69F2F221-0DAC-4A2B-AE7B-46CC7DD4B77B}")
  using Base = IBzDjIntf;
  // 49: the scheme marks (xnhflbs) of the payer's valid units of one office, as a JSON array.
  virtual std::string getXnhflbs(const std::string& zgswjgDm) = 0;

 protected:
  ~IJtbzhIntf() = default;
};

// The government pay-on-behalf account (payer type "9").
class IZfdjhIntf : public IBzDjIntf {
 public:
  VELMOR_IID("{7AFD8497-F100-4DAB-A688-C7DD1C825FED}")
  using Base = IBzDjIntf;

 protected:
  ~IZfdjhIntf() = default;
};

}  // namespace velmor
