#include "residents/jfdj_journal.h"

#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"

namespace velmor::jfdj {

namespace {

// The host's schema predates the journal; an older database gains the table on first use.
void EnsureTable(IDBMechanism& db) {
  ExecOrThrow(db, " create table if not exists ds_jfdjfsrzb (id integer primary key autoincrement, djxh text,  "
                  "swjgDm text, ryids text, yblsh text, tjsj text) ");
}

}  // namespace

std::optional<SentGroup> FindSent(IDBMechanism& db, const std::string& djxh, const std::string& swjgDm,
                                  const std::string& personIds) {
  EnsureTable(db);
  nlohmann::ordered_json rows =
      Rows(db, FormatSql(" select yblsh, tjsj from ds_jfdjfsrzb where djxh = '%s' and swjgDm = '%s' and ryids = '%s' "
                         " order by id desc ",
                         {V(djxh), V(swjgDm), V(personIds)}));
  if (rows.empty()) return std::nullopt;
  return SentGroup{service::Text(rows[0], "yblsh"), service::Text(rows[0], "tjsj")};
}

void JournalSent(IDBMechanism& db, const std::string& djxh, const std::string& swjgDm, const std::string& personIds,
                 const SentGroup& sent) {
  EnsureTable(db);
  ExecOrThrow(db, FormatSql(" insert into ds_jfdjfsrzb(djxh, swjgDm, ryids, yblsh, tjsj) values('%s', '%s', '%s', "
                            "'%s', '%s') ",
                            {V(djxh), V(swjgDm), V(personIds), V(sent.yblsh), V(sent.tjsj)}));
}

void ForgetSent(IDBMechanism& db, const std::string& djxh, const std::string& yblsh) {
  EnsureTable(db);
  ExecOrThrow(db, FormatSql(" delete from ds_jfdjfsrzb where djxh = '%s' and yblsh = '%s' ", {V(djxh), V(yblsh)}));
}

}  // namespace velmor::jfdj
