// BzDjOps: the operations of the collective and government payers (include/velmor/bzdj.h),
// written once and shared by the three service classes (groups/bzdj_impl.h), which differ only in
// the payer type they declare under. Every operation runs at the failure boundary and logs under
// "TBzDjImpl" ("[TBzDjImpl.synCxjmjtbzsb]异常：", "[异常]TBzDjImpl.getData：[...]").
//
// The object writes its user messages into the service's last-error text, which it borrows for
// its lifetime. One thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "residents/jfdj_items.h"
#include "velmor/bzdj.h"

namespace velmor::groups {

inline constexpr const char* kClassName = "TBzDjImpl";
inline constexpr const char* kJfrlxCollective = "8";
inline constexpr const char* kJfrlxGovernment = "9";

class BzDjOps {
 public:
  // jfrlx: "8" or "9" for the two accounts; "" takes it from the downloaded registration.
  BzDjOps(std::string& error, std::string jfrlx) : error_(error), jfrlx_(std::move(jfrlx)) {}

  void SetDjxh(const std::string& djxh) { djxh_ = djxh; }
  // The payer: the one set, else the portal agent's current one.
  std::string Djxh() const;
  // The payer type declared under.
  std::string Jfrlx() const;

  // Server operations (groups/bzdj_sync.cpp, bzdj_declare.cpp, bzdj_records.cpp).
  bool Download(IProgressView* progress);
  bool Residents(const std::string& persons, IProgressView* progress, std::string& result);
  bool Declare(const std::string& params, IProgressView* progress, int32_t& id);
  bool Verdict(int32_t id, IProgressView* progress, std::string& sbzt);
  bool DeclarationList(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress);
  bool RecordPersons(const std::string& yzpzxh, IProgressView* progress, std::string& persons);
  bool DeductionResult(const std::string& yzpzxh, IProgressView* progress, std::string& jkzt);
  bool Void(int32_t id, IProgressView* progress);
  bool QuerySubmit(const std::string& params, std::string& yblsh);
  bool QueryCollect(const std::string& yblsh, std::string& result);
  bool Summary(std::string& result);

  // Local operations (groups/bzdj_local.cpp, bzdj_workbook.cpp).
  int32_t LineCount(const BzDjFilter& qc);
  std::string Lines(const BzDjFilter& qc);
  bool LineSum(const BzDjFilter& qc, double& sum);
  bool DeleteLines(const BzDjFilter& qc, int32_t& deleted);
  bool AddLines(const std::string& lines, IProgressView* progress, int32_t& added);
  bool Import(const std::string& workbook, IProgressView* progress, TBzDjImportResult& result);
  bool Template(const std::string& path);
  int32_t RecordCount(const BzDjFilter& qc);
  std::string Records(const BzDjFilter& qc);
  std::string RecordLines(int32_t zbid);
  int32_t PersonLineCount(const BzDjFilter& qc);
  std::string PersonLines(const BzDjFilter& qc);
  int32_t InsuredCount(const BzDjFilter& qc);
  std::string Insured(const BzDjFilter& qc);
  std::string Codes(const char* column, const std::string& filter, const char* op);
  std::string ListEntries(int32_t zbid);
  std::string Unpaid();
  std::string Vouchers();
  std::string Xnhflbs(const std::string& zgswjgDm);

  // The item forms (groups/bzdj_item_ops.cpp): a read of the JSON form above as records of one
  // family, the lines added from records, and the downloaded registration.
  bool Items(const JfdjFamily& family, const std::string& rowsJson, Ref<IJfdjItems>& items);
  bool AddItems(IJfdjItems* lines, IProgressView* progress, int32_t& added);
  bool Payer(Ref<IJfdjItem>& payer);
  bool Units(const BzDjFilter& qc, Ref<IJfdjItems>& items);
  bool UnitLines(int32_t zbid, Ref<IJfdjItems>& items);

 private:
  // Rows of a read at the store boundary ("[异常]TBzDjImpl.<op>：[...]", "[]" on failure).
  std::string Read(const char* op, const std::string& sql);
  int32_t Count(const char* op, const std::string& sql);

  std::string& error_;
  std::string jfrlx_;
  std::string djxh_;
};

// The lines of a declaration from the prepared lines: jfmxxh numbered from 1, amounts as "%.2f".
nlohmann::ordered_json NumberLines(const nlohmann::ordered_json& rows);

}  // namespace velmor::groups
