#include "store/mark_sweep.h"

#include "store/db_access.h"
#include "store/sql.h"

namespace velmor {
namespace {

// Table names are the program's own; each must be a plain identifier.
void RequireIdentifier(std::string_view table) {
  bool ok = !table.empty();
  for (char c : table) ok = ok && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
  if (!ok) throw Exception("无效的表名：" + std::string(table));
}

std::string Repeat(std::span<const std::string_view> tables, std::string_view djxh, const char* head,
                   const char* tail) {
  std::string out;
  for (std::string_view t : tables) {
    RequireIdentifier(t);
    out.append(head).append(t).append(FormatSql(tail, {V(djxh)}));
  }
  return out;
}

}  // namespace

std::string MarkStatement(std::span<const std::string_view> tables, std::string_view djxh) {
  return Repeat(tables, djxh, " update ", " set updateflag = 0 where djxh = '%s'; ");
}

std::string SweepStatement(std::span<const std::string_view> tables, std::string_view djxh) {
  return Repeat(tables, djxh, " delete from ", " where djxh = '%s' and updateflag = 0; ");
}

void MarkRows(IDBMechanism& db, std::span<const std::string_view> tables, std::string_view djxh) {
  ExecOrThrow(db, MarkStatement(tables, djxh), kDbUpdateFailed);
}

void SweepRows(IDBMechanism& db, std::span<const std::string_view> tables, std::string_view djxh) {
  ExecOrThrow(db, SweepStatement(tables, djxh), kDbDeleteFailed);
}

}  // namespace velmor
