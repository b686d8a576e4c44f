// The online-signed pension agreements of the confirmation store: one row per (djxh, rydjxh,
// sfxyh), the whole agreement kept beside its columns as sfxyJsonStr; a state or verification
// date changes the column and the member inside sfxyJsonStr together.
#include "business/date_time.h"
#include "fees/jfjeqr_dao.h"
#include "fees/jfjeqr_dao_guard.h"
#include "service/taxml_json.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;
using service::Text;

SqlFragment XyWhere(const Json& f) {
  SqlFilters w;
  w.AddLike(" and xm like ", Text(f, "xm"))
      .AddQuoted(" and zjlx=", Text(f, "zjlx"))
      .AddLike(" and zjhm like ", Text(f, "zjhm"))
      .AddQuoted(" and sfxyztdm=", Text(f, "xyzt"));
  return w.Build();
}

// The id of the agreement row; 0 when there is none.
int32_t FindXy(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
               const char* failText) {
  return QueryCount(db,
                    FormatSql("select id from sb_jmylwqsfxyb where djxh='%s' and rydjxh='%s' and sfxyh='%s'",
                              {V(djxh), V(rydjxh), V(sfxyh)}),
                    failText);
}

}  // namespace

bool TJfjeqrDAOImpl::SaveJmylwqsfxy(const std::string& djxh, const std::string& rydjxh, const std::string& xm,
                                    const std::string& agreement) {
  return Guard<bool>("SaveJmylwqsfxy", kXySaveError, true, false, [&] {
    Json a = ParseOutsideJson<Json>(agreement);
    if (!a.is_object()) throw Exception("三方协议不是JSON对象。");
    const std::string sfxyh = Text(a, "sfxyh");
    if (sfxyh.empty()) throw Exception("三方协议号为空。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kXySaveFailed);
    const int32_t id = FindXy(*db, djxh, rydjxh, sfxyh, kXySaveFailed);
    const SqlFragment values = SqlFragment::Trusted(FormatSql(
        "xm=%s, zjlx=%s, zjhm=%s, yhhbdm=%s, yhhbmc=%s, xzqhdm=%s, xzhmc=%s, yhyywddm=%s, yhyywdmc=%s, jkzh=%s, "
        "sfxyyztgrq=%s, sfxyztdm=%s, sfxyJsonStr=%s, last_opertat_time=%s",
        {Q(xm), Q(Text(a, "sfzjlxDm")), Q(Text(a, "sfzjhm")), Q(Text(a, "yhhbDm")), Q(Text(a, "yhhbMc")),
         Q(Text(a, "xzqhszDm")), Q(Text(a, "xzqhmc")), Q(Text(a, "yhyywdDm")), Q(Text(a, "yhyywdMc")),
         Q(Text(a, "jkzh")), Q(Text(a, "sfxyyztgRq")), Q(Text(a, "sfxyztDm")), Q(a.dump()), Q(NowText())}));
    if (id == 0)
      ExecOrThrow(*db,
                  FormatSql("insert into sb_jmylwqsfxyb(djxh, rydjxh, sfxyh) values('%s', '%s', '%s')",
                            {V(djxh), V(rydjxh), V(sfxyh)}),
                  kXySaveFailed);
    const int32_t row = id != 0 ? id : FindXy(*db, djxh, rydjxh, sfxyh, kXySaveFailed);
    ExecOrThrow(*db, FormatSql("update sb_jmylwqsfxyb set %s where id=%d", {values, row}), kXySaveFailed);
    tx.Commit();
    return true;
  });
}

const TJfjeqrDAOImpl::ListQuery TJfjeqrDAOImpl::kXyList{"sb_jmylwqsfxyb", XyWhere, kXyCountError, kXyQueryFailed};

int32_t TJfjeqrDAOImpl::GetJmylwqsfxyCount(const std::string& djxh, const std::string& filter) {
  return CountOf("GetJmylwqsfxyCount", kXyList, djxh, filter);
}

std::string TJfjeqrDAOImpl::GetJmylwqsfxyDAta(const std::string& djxh, const std::string& filter, int32_t page,
                                              int32_t pageSize) {
  // The page has its own prefix; the rest of the list is shared with the count.
  ListQuery q = kXyList;
  q.prefixError = kXyDataError;
  return Page("GetJmylwqsfxyDAta", q, djxh, filter, page, pageSize);
}

namespace {

// Sets one column and its twin inside sfxyJsonStr of an agreement row.
bool UpdateXy(TJfjeqrDAOImpl& dao, std::string_view op, const char* column, const char* member, const char* failText,
              const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh, const std::string& value) {
  return dao.Guard<bool>(op, failText, false, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, failText);
    Json rows = Rows(*db,
                     FormatSql("select id, %s, sfxyJsonStr from sb_jmylwqsfxyb where djxh='%s' and rydjxh='%s' and "
                               "sfxyh='%s'",
                               {SqlFragment::Trusted(column), V(djxh), V(rydjxh), V(sfxyh)}),
                     failText);
    if (rows.empty()) throw StoreError(failText, "");
    for (const Json& r : rows) {
      Json stored = ParseOutsideJson<Json>(Text(r, "sfxyJsonStr"), false);
      if (!stored.is_object()) stored = Json::object();
      stored[member] = value;
      ExecOrThrow(*db,
                  FormatSql("update sb_jmylwqsfxyb set %s=%s, sfxyJsonStr=%s, last_opertat_time=%s where id=%s",
                            {SqlFragment::Trusted(column), Q(value), Q(stored.dump()), Q(NowText()), Q(Text(r, "id"))}),
                  failText);
    }
    tx.Commit();
    return true;
  });
}

}  // namespace

bool TJfjeqrDAOImpl::UpdateSfyxztDm(const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
                                    const std::string& sfxyztDm) {
  return UpdateXy(*this, "UpdateSfyxztDm", "sfxyztdm", "sfxyztDm", kXyStateFailed, djxh, rydjxh, sfxyh, sfxyztDm);
}

bool TJfjeqrDAOImpl::UpdateSfxyyztgrq(const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
                                      const std::string& sfxyyztgRq) {
  return UpdateXy(*this, "UpdateSfxyyztgrq", "sfxyyztgrq", "sfxyyztgRq", kXyDateFailed, djxh, rydjxh, sfxyh,
                  sfxyyztgRq);
}

}  // namespace velmor
