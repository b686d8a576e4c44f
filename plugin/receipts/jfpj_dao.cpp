#include "receipts/jfpj_dao.h"

#include <cctype>
#include <cmath>

#include <nlohmann/json.hpp>

#include "business/date_time.h"
#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/taxml_json.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;
using service::Text;

constexpr const char kColumnsSql[] =
    "id as ID, xm, zjlx, zjhm, sbjbjgmc, zsxmmc, zspmmc, zszmmc, fkssqq, fkssqz, jfje, jfrq, drrq, drsj";

SqlFragment WhereOf(const std::string& djxh, const Json& f) {
  SqlFilters w;
  w.AddLike(" and xm like ", Text(f, "xm"))
      .AddQuoted(" and zjlx=", Text(f, "zjlx"))
      .AddLike(" and zjhm like ", Text(f, "zjhm"))
      .AddQuoted(" and drrq>=", Text(f, "drrqq"))
      .AddQuoted(" and drrq<=", Text(f, "drrqz"))
      .AddQuoted(" and jfrq>=", Text(f, "jfrqq"))
      .AddQuoted(" and jfrq<=", Text(f, "jfrqz"));
  return SqlFragment::Trusted(FormatSql("djxh = %s", {Q(djxh)})) + w.Build();
}

// The ID number as stored: upper case for a resident identity card ("201"), whose check
// character "x" is the same as "X"; both the duplicate lookup and the insert use this form.
std::string StoredZjhm(const std::string& zjlx, std::string zjhm) {
  if (zjlx == "201")
    for (char& c : zjhm) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return zjhm;
}

// The amount of a row as a number rounded to cents; a text that is no number raises.
double AmountOf(const Json& row) {
  auto it = row.find("jfje");
  if (it == row.end()) it = row.find("je");
  if (it == row.end() || it->is_null()) throw Exception("缴费金额为空");
  double v = 0;
  if (it->is_number()) {
    v = it->get<double>();
  } else {
    const std::string s = it->is_string() ? it->get<std::string>() : it->dump();
    size_t used = 0;
    try {
      v = std::stod(s, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (s.empty() || used != s.size()) throw Exception("缴费金额[" + s + "]不是数字");
  }
  if (!std::isfinite(v) || v < 0) throw Exception("缴费金额不正确");
  return std::round(v * 100) / 100;
}

}  // namespace

template <class R, class F>
R TJfpjDAO::Guard(std::string_view op, const char* prefix, bool appendText, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"TJfpjDAO", op}, {prefix, appendText}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

int32_t TJfpjDAO::GetCount(const std::string& djxh, const std::string& filter) {
  return Guard<int32_t>("GetCount", kJfpjQueryError, true, -1, [&] {
    SqlFragment where = WhereOf(djxh, FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql("select %s from ds_jfpj where %s %s %s",
                                     {SqlFragment("count(*) as zs"), where, SqlFragment(), SqlFragment()}),
                      kJfpjQueryFailed);
  });
}

std::string TJfpjDAO::GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) {
  return Guard<std::string>("GetData", kJfpjQueryError, true, "[]", [&] {
    SqlFragment where = WhereOf(djxh, FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db,
                     FormatSql("select %s from ds_jfpj where %s %s %s",
                               {SqlFragment(kColumnsSql), where, SqlFragment(" order by xm asc, drrq desc"),
                                PagingSuffix(page, pageSize, true)}),
                     kJfpjQueryFailed);
    Json out = Json::array();
    for (const Json& r : rows) {
      Json row = Json::object();
      row["id"] = Text(r, "ID");
      for (auto it = r.begin(); it != r.end(); ++it)
        if (it.key() != "ID") row[it.key()] = it.value();
      Json found = FirstColumn(*db,
                               FormatSql("select rydjxh from sb_ryjbxxb where djxh = %s and xm = %s and zjlx = %s "
                                         "and upper(zjhm) = upper(%s) limit 1",
                                         {Q(djxh), Q(Text(r, "xm")), Q(Text(r, "zjlx")), Q(Text(r, "zjhm"))}),
                               kJfpjQueryFailed);
      row["rydjxh"] = found.empty() ? std::string() : found[0].get<std::string>();
      out.push_back(std::move(row));
    }
    return JsonText(out);
  });
}

bool TJfpjDAO::SaveData(const std::string& djxh, const std::string& rows, int32_t& added) {
  added = 0;
  int32_t count = 0;
  const bool ok = Guard<bool>("SaveData", kJfpjSaveError, true, false, [&] {
    Json list = ParseOutsideJson<Json>(rows, false);
    if (!list.is_array()) throw Exception("缴费票据列表不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    const std::string drrq = Today(), drsj = LocalTimeText("hh:nn:ss");
    for (const Json& r : list) {
      if (!r.is_object()) throw Exception("缴费票据不是JSON对象。");
      const std::string zjlx = Text(r, "zjlx"), zjhm = StoredZjhm(zjlx, Text(r, "zjhm"));
      const double jfje = AmountOf(r);
      const int32_t same = QueryCount(
          *db, FormatSql("select count(*) from ds_jfpj where djxh=%s and xm=%s and zjlx=%s and zjhm=%s and "
                         "sbjbjgmc=%s and zsxmmc=%s and zspmmc=%s and fkssqq=%s and fkssqz=%s and jfje=%f and jfrq=%s",
                         {Q(djxh), Q(Text(r, "xm")), Q(zjlx), Q(zjhm), Q(Text(r, "sbjbjgmc")), Q(Text(r, "zsxmmc")),
                          Q(Text(r, "zspmmc")), Q(Text(r, "fkssqq")), Q(Text(r, "fkssqz")), jfje, Q(Text(r, "jfrq"))}));
      if (same > 0) continue;
      ExecOrThrow(*db,
                  FormatSql("insert into ds_jfpj (djxh, xm, zjlx, zjhm, sbjbjgmc, zsxmmc, zspmmc, zszmmc, fkssqq, "
                            "fkssqz, jfje, jfrq, drrq, drsj) values (%s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %f, %s, "
                            "%s, %s)",
                            {Q(djxh), Q(Text(r, "xm")), Q(zjlx), Q(zjhm), Q(Text(r, "sbjbjgmc")), Q(Text(r, "zsxmmc")),
                             Q(Text(r, "zspmmc")), Q(Text(r, "zszmmc")), Q(Text(r, "fkssqq")), Q(Text(r, "fkssqz")),
                             jfje, Q(Text(r, "jfrq")), Q(drrq), Q(drsj)}));
      ++count;
    }
    tx.Commit();
    return true;
  });
  if (ok) added = count;
  return ok;
}

bool TJfpjDAO::DeleteData(const std::string& djxh, const std::string& ids) {
  return Guard<bool>("DeleteData", kJfpjDeleteFailed, false, false, [&] {
    Json list = ParseOutsideJson<Json>(ids, false);
    if (!list.is_array()) throw Exception("票据编号列表不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kJfpjDeleteFailed);
    for (const Json& id : list) {
      int64_t n = 0;
      if (id.is_number_integer()) n = id.get<int64_t>();
      else if (id.is_string() && !id.get<std::string>().empty() &&
               id.get<std::string>().find_first_not_of("0123456789") == std::string::npos && id.get<std::string>().size() < 19)
        n = std::stoll(id.get<std::string>());
      else
        throw Exception("票据编号[" + id.dump() + "]无效。");
      // Only the payer's own receipts: an id of another payer deletes nothing.
      ExecOrThrow(*db, FormatSql("delete from ds_jfpj where id=%d and djxh=%s", {n, Q(djxh)}), kJfpjDeleteFailed);
    }
    tx.Commit();
    return true;
  });
}

namespace {
void RegisterJfpjDAO() { RegisterServiceClass(ServiceRowAt(kRowTJfpjDAO).iid, &ClassOf<TJfpjDAO>::Instance()); }
void UnregisterJfpjDAO() { UnregisterServiceClass(ServiceRowAt(kRowTJfpjDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(28, velmor::RegisterJfpjDAO, velmor::UnregisterJfpjDAO)
