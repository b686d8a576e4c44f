// The statements of the collective and government payers' tables, one function per statement
// family, on a connection the caller holds (and, for writes, inside the caller's transaction).
// Every read and delete of prepared lines, records, record lines and list entries is confined to
// one payer: a payer never sees or removes another's rows in the same database.
//
// Values are quote-doubled (store/sql.h); failures raise StoreError with the text given. Pure
// functions of their arguments and the connection; one thread per connection.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "store/sql.h"
#include "velmor/bzdj.h"
#include "velmor/db.h"

namespace velmor::groups {

using Json = nlohmann::ordered_json;

// The record states this client writes (sbzt) and the payment states it reads (jkzt).
inline constexpr const char* kSbztWaiting = "1";   // submitted, no final verdict yet
inline constexpr const char* kSbztAccepted = "2";  // declared: the voucher (yzpzxh) is known
inline constexpr const char* kSbztFailed = "3";    // refused by the server
inline constexpr const char* kSbztVoided = "5";    // voided

inline constexpr const char* kSaveFailed = "保存数据异常：";

// A whole text as a number; 0 for text that is no number (an amount stored or answered).
double NumberOf(const std::string& text);

// ---- Registration ("0214") ------------------------------------------------------------------
// Replaces the payer's units and insured lines by `units` (each a unit's columns plus "cbxzList").
void ReplaceRegistration(IDBMechanism& db, const std::string& djxh, const Json& units);

// ---- Prepared lines ---------------------------------------------------------------------------
// The filters of the prepared lines of a payer (" and djxh = ..." first).
SqlFragment LineFilters(const std::string& djxh, const BzDjFilter& qc);
std::string LinesSelect(const std::string& djxh, const BzDjFilter& qc, bool paged);
std::string LinesCount(const std::string& djxh, const BzDjFilter& qc);
std::string LinesSum(const std::string& djxh, const BzDjFilter& qc);
std::string LinesDelete(const std::string& djxh, const BzDjFilter& qc);
// One line of a payer; raises OpRefusal naming the first missing or bad field.
std::string LineInsert(const std::string& djxh, const Json& line);
// The reason a line cannot be stored ("" when it can): missing names, an amount that is no
// number or not above 0.
std::string LineProblem(const Json& line);

// ---- Records ----------------------------------------------------------------------------------
// Stores an accepted submission (state "1", payment "0") with its lines; answers the record id.
int32_t SaveRecord(IDBMechanism& db, const Json& record, const Json& lines);
// The record of a payer by id; an empty object when it is not the payer's.
Json RecordOf(IDBMechanism& db, const std::string& djxh, int32_t id);
std::string RecordsSelect(const std::string& djxh, const BzDjFilter& qc, bool paged);
std::string RecordsCount(const std::string& djxh, const BzDjFilter& qc);
// Lines of one of the payer's records (person filters xm, zjhm), paged or counted.
std::string RecordLinesSelect(const std::string& djxh, const BzDjFilter& qc, bool paged);
std::string RecordLinesCount(const std::string& djxh, const BzDjFilter& qc);
std::string ListEntriesSelect(const std::string& djxh, int32_t zbid);
std::string UnpaidSelect(const std::string& djxh);

// A verdict: the code and reason always; amount, voucher and date only when accepted ("00000").
struct Verdict {
  std::string code, reason, yjfehj, yzpzxh, sbrq, sbzt;
};
void ApplyVerdict(IDBMechanism& db, int32_t id, const Verdict& v, const Json& rejectedLines);

// ---- Code lists -------------------------------------------------------------------------------
std::string DistinctSelect(const char* what, const std::string& djxh, const std::string& filter);

}  // namespace velmor::groups
