// Shared pieces of the roster tests: building download records as JSON, seeding roster rows,
// and reading them back.
#pragma once

#include <string>
#include <vector>

#include "store/sql.h"
#include "store/store_env.h"

namespace velmor::testing {

// The month `delta` months from the current one, "yyyy-mm".
std::string MonthFromNow(int delta);

// A person record of the "0059" answer (JSON object text).
std::string PersonRecord(const std::string& cbxxId, const std::string& rydjxh, const std::string& xm,
                         const std::string& zjhm, const std::string& lxdh = "", const std::string& yxbz = "Y",
                         const std::string& sbjbjgDm = "J01", const std::string& sbbm = "");
// An enrolment record of the "0058" answer: one insured item.
std::string EnrolRecord(const std::string& cbxxId, const std::string& cbxzId, const std::string& ksjfrq,
                        const std::string& tzjfrq, const std::string& yxbz = "Y", const std::string& zspmDm = "P1");
// "[a,b,...]"
std::string JsonList(const std::vector<std::string>& records);

// Direct seeding of roster rows.
void SeedPerson(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& xm,
                const std::string& zjhm, const std::string& ly, const std::string& extra = "");
void SeedEnrolment(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& sbjbjgdm,
                   const std::string& rybh, const std::string& yxbz = "Y");
void SeedItem(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& sbjbjgdm,
              const std::string& rybh, const std::string& xzid, const std::string& tzjfyf, const std::string& yxbz = "Y",
              const std::string& zspmdm = "P1");

// Rows of a query as "a,b,c;" per row.
std::string Rows(IDBMechanism& db, const std::string& sql);

}  // namespace velmor::testing
