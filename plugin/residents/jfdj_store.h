// The SQL of the residents' payment registration: the count and page statements of each record
// family's reads (the filters of its query condition, always scoped to the payer), the pending
// list's writes and the submission records. Functions on a connection the caller opened; every
// failure raises StoreError (store/db_access.h) for the service's boundary. Every value is
// quote-doubled. The caller's thread; no state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "residents/jfdj_items.h"
#include "store/sql.h"
#include "velmor/db.h"

namespace velmor::jfdj {

using Row = nlohmann::ordered_json;

// The read of a family: its count statement and its page statement (page -1: every row).
// Raises service::OpRefusal for a family without reads or a numeric field that is no number.
std::string CountSql(const JfdjFamily& family, const std::string& djxh, IJfdjQueryCondition* qc);
std::string PageSql(const JfdjFamily& family, const std::string& djxh, IJfdjQueryCondition* qc, int32_t page,
                    int32_t pageSize);

// The pending person of this id and payer, with its lines; an empty object when there is none.
Row PendingPerson(IDBMechanism& db, const std::string& djxh, int64_t id);
std::vector<Row> PendingLines(IDBMechanism& db, int64_t personId);

// Inserts (id 0) or rewrites the pending person, then replaces its lines; the person's id.
int64_t SavePending(IDBMechanism& db, const std::string& djxh, TJfdjRecord& person,
                    const std::vector<TJfdjRecord*>& lines);
// Deletes a pending person of the payer and its lines.
void DeletePending(IDBMechanism& db, const std::string& djxh, int64_t id);

// One accepted group: the submission record, its persons and their sent lines, and the
// pending persons removed. Returns the submission's id.
struct SentPerson {
  Row person;
  std::vector<Row> lines;  // those sent (czlx other than "0")
};
int64_t SaveSubmission(IDBMechanism& db, const std::string& djxh, const std::string& yblsh, const std::string& tjsj,
                       const std::string& swjgDm, const std::vector<SentPerson>& persons);

// The verdict of a submission written back: its state and reason, then each answered person's
// and line's code and reason.
struct VerdictLine {
  std::string xzlxDm, xzqh, cljg, cwyy;
};
struct VerdictPerson {
  std::string xm, zjlxDm, zjhm, dqdm, cljg, cwyy;
  std::vector<VerdictLine> lines;
};
void SaveVerdict(IDBMechanism& db, int64_t submissionId, const std::string& zt, const std::string& sbyy,
                 const std::vector<VerdictPerson>& persons);

}  // namespace velmor::jfdj
