// The send journal of the residents' payment registration (table ds_jfdjfsrzb, created on first
// use): before a group of pending persons is sent, its payer, office, person ids and the serial
// it is sent under are written in a statement of their own, so the serial survives a store that
// fails after the server accepted the group, and survives the plug-in being unloaded. A group
// with a journal entry is recorded under that serial and never sent again; the entry goes in
// the same transaction that records the submission, or when the server refused the group.
// Functions on a connection the caller opened; failures raise StoreError. No state.
#pragma once

#include <optional>
#include <string>

#include "velmor/db.h"

namespace velmor::jfdj {

struct SentGroup {
  std::string yblsh, tjsj;
};

// The serial a group (its persons' ids, as joined by the caller) was sent under, if any.
std::optional<SentGroup> FindSent(IDBMechanism& db, const std::string& djxh, const std::string& swjgDm,
                                  const std::string& personIds);
// Journals a group about to be sent.
void JournalSent(IDBMechanism& db, const std::string& djxh, const std::string& swjgDm, const std::string& personIds,
                 const SentGroup& sent);
// Drops the entry of a serial (the group was refused, or is being recorded).
void ForgetSent(IDBMechanism& db, const std::string& djxh, const std::string& yblsh);

}  // namespace velmor::jfdj
