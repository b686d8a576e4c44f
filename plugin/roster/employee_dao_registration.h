// RegistrationWriter: stores the persons of a registration document (registration_doc.h) for a
// payer, inside the caller's transaction, by the rules of the registration download:
//   1. the server person's stored phone number and group are read (fzid -1 when none);
//   2. its rows are deleted from sb_ryjbxxb (server-origin rows only: a locally added person is
//      never touched), sb_rycbjgxxb and sb_rycbxmb;
//   3. its valid enrolments (`yxbz` "Y") are stored with their items, an item only when its
//      `yxbz` is "Y" and its `tzjfyf` is not before the current month (its `pmlx` from
//      sb_pmlxb); an enrolment left without items is not stored;
//   4. the person is stored, with the preserved phone number and group, when at least one
//      enrolment was stored; otherwise it leaves the roster.
// Raises StoreError on a failing statement (the caller rolls back). Used on one thread.
#pragma once

#include <string>
#include <unordered_map>

#include "roster/registration_doc.h"
#include "velmor/db.h"

namespace velmor {

class RegistrationWriter {
 public:
  RegistrationWriter(IDBMechanism& db, std::string djxh, std::string month);
  // Returns true when the person was stored (false: it left the roster).
  bool Store(const RegPerson& person);

 private:
  IDBMechanism& db_;
  std::string djxh_;
  std::string month_;
  std::unordered_map<std::string, std::string> pmlx_;
};

}  // namespace velmor
