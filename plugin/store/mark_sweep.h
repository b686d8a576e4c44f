// Mark-and-sweep refresh of server-owned rows during a full download: before it every table of
// the set gets updateflag = 0 for the payer (one ExecSQL); each downloaded row is written with
// updateFlag = 1 (update-else-insert); after it the payer's rows still at 0 are removed, which
// drops what the server no longer has.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "velmor/db.h"

namespace velmor {

// The roster's set.
inline constexpr std::string_view kRosterTables[] = {"sb_ryjbxxb", "sb_rycbjgxxb", "sb_rycbxmb", "sb_rycbztb"};

// " update <t> set updateflag = 0 where djxh = '<djxh>'; " for each table, in one text.
std::string MarkStatement(std::span<const std::string_view> tables, std::string_view djxh);
// " delete from <t> where djxh = '<djxh>' and updateflag = 0; " for each table, in one text.
std::string SweepStatement(std::span<const std::string_view> tables, std::string_view djxh);

// Run them; raise StoreError (kDbUpdateFailed / kDbDeleteFailed) when the statement fails, which
// leaves every table as it was (the statements of one call succeed or fail together).
void MarkRows(IDBMechanism& db, std::span<const std::string_view> tables, std::string_view djxh);
void SweepRows(IDBMechanism& db, std::span<const std::string_view> tables, std::string_view djxh);

}  // namespace velmor
