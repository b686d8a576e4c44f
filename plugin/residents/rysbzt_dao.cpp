#include "residents/rysbzt_dao.h"

#include <cerrno>
#include <cstdlib>

#include "business/date_time.h"
#include "dictionary/dict_access.h"
#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kClass = "TRysbztDAOImpl";

template <class R, class F>
R Run(std::string& message, std::string_view op, const char* failText, R fallback, F&& body) {
  message.clear();
  return Guarded<StoreError>({kClass, op, LogForm::kBracketed}, {failText, false}, &message, std::move(fallback),
                             std::forward<F>(body));
}

std::string Member(const Json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end() || it->is_null()) return {};
  return it->is_string() ? it->get<std::string>() : it->dump();
}

constexpr char kUnpaid[] = " and (a.jfzt is null or a.jfzt = 'null' or a.jfzt = '' or a.jfzt = '31') ";
constexpr char kPaid[] =
    " and (a.jfzt = '10' or a.jfzt = '20' or a.jfzt = '21'  or a.jfzt = '32' or a.jfzt = '33') ";

SqlFragment LineFilters(const Json& q) {
  SqlFilters f;
  f.AddValue(" and a.jfnd = '%s' ", Member(q, "jfnd"))
      .AddValue(" and a.sbzt = '%s' ", Member(q, "sbzt"))
      .AddValue(" and b.xzjddm = '%s' ", Member(q, "xzjddm"))
      .AddValue(" and b.sqhczdm = '%s' ", Member(q, "sqhczdm"))
      .AddValue(" and b.zsxmdm = '%s' ", Member(q, "zsxmdm"))
      .AddValue(" and b.zspmdm = '%s' ", Member(q, "zspmdm"))
      .AddValue(" and b.zszmdm = '%s' ", Member(q, "zszmdm"));
  const std::string jfzt = Member(q, "jfzt");
  f.AddIf(jfzt == "0", kUnpaid).AddIf(jfzt == "1", kPaid);
  return f.Build();
}

SqlFragment PersonFilters(const Json& q) {
  SqlFilters f;
  const std::string fzid = Member(q, "fzid");
  f.AddLike(" and xm like ", Member(q, "xm"))
      .AddValue(" and zjlx = '%s' ", Member(q, "zjlx"))
      .AddLike(" and zjhm like ", Member(q, "zjhm"))
      // Commas around the id: group 5 selects ",5," and its subgroups' paths, never group 15.
      .AddLike(" and fullpath like ", fzid.empty() ? std::string() : "," + fzid + ",");
  return f.Build();
}

// A code's name in a dictionary of the manager; "" when the dictionary or code is unknown (the
// names only decorate the listing, they never fail it).
std::string NameOf(Ref<IDictionary> (*dict)(), const std::string& code) {
  if (code.empty()) return {};
  try {
    Ref<IDictionary> d = dict();
    return d ? d->GetNameByCode(code) : std::string();
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

std::optional<double> RysbztAmount(const Json& value) {
  if (value.is_number()) return value.get<double>();
  if (!value.is_string()) return std::nullopt;
  const std::string text = value.get<std::string>();
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double d = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || d != d) return std::nullopt;
  return d;
}

std::string RysbztListSql(const std::string& djxh, const Json& query, const std::string& month,
                          const SqlFragment& columns, const SqlFragment& tail) {
  return FormatSql(
      " select %s from  (select a.jfnd, a.xzid, a.sbrq, a.ybtfe, a.sbzt, a.jfzt, b.rydjxh, b.rybh, b.sbjbjgdm, "
      "b.zsxmdm, b.zspmdm,  b.zszmdm, b.xzjddm, b.sqhczdm, b.cbrytslbdm  from ds_rysbztb a inner join sb_rycbxmb b "
      "on a.djxh = '%s' and a.djxh = b.djxh  and a.xzid = b.xzid and not ((a.jfzt is null or a.jfzt = 'null' or "
      "a.jfzt = '' or a.jfzt = '31') and b.tzjfyf < '%s') %s ) a  inner join  (select rydjxh, xm, zjlx, zjhm, fzid, "
      "phonenumber from sb_ryjbxxb where djxh = '%s' %s ) b  on a.rydjxh = b.rydjxh  left join  (select id, "
      "fullname from sb_fzxxb where djxh = '%s') c on b.fzid = c.id  %s ",
      {columns, V(djxh), V(month), LineFilters(query), V(djxh), PersonFilters(query), V(djxh), tail});
}

bool TRysbztDAOImpl::clearData(const std::string& djxh, const std::string& jfnd) {
  return Run(ErrorMessage, "clearData", kDbUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql(" delete from ds_rysbztb where djxh = '%s' and jfnd = '%s' ", {V(djxh), V(jfnd)}));
    return true;
  });
}

bool TRysbztDAOImpl::saveData(const std::string& djxh, const std::string& jfnd, const std::string& lines) {
  return Run(ErrorMessage, "saveData", kDbUpdateFailed, false, [&] {
    const Json array = Json::parse(lines, nullptr, false);
    if (!array.is_array()) throw StoreError(kDbUpdateFailed, "申报状态不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    // The year is replaced as a whole inside the one transaction: a failed line leaves the rows
    // stored before, and a second save never doubles them.
    Transaction tx(*db);
    ExecOrThrow(*db, FormatSql(" delete from ds_rysbztb where djxh = '%s' and jfnd = '%s' ", {V(djxh), V(jfnd)}));
    for (const Json& line : array) {
      if (!line.is_object()) throw StoreError(kDbUpdateFailed, "申报状态行不是JSON对象。");
      std::string sbrq = Member(line, "sbrq");
      if (sbrq == "null") sbrq.clear();
      const auto amount = line.contains("ybtfe") ? RysbztAmount(line["ybtfe"]) : std::nullopt;
      const std::string ybtfe = amount ? FormatSql("%f", {*amount}) : std::string("NULL");
      ExecOrThrow(*db, FormatSql(" insert into ds_rysbztb (djxh, jfnd, xzid, sbrq, ybtfe, sbzt, jfzt) values ('%s', "
                                 "'%s', '%s', '%s', %s, '%s', '%s') ",
                                 {V(djxh), V(jfnd), V(Member(line, "xzid")), V(sbrq), SqlFragment::Trusted(ybtfe),
                                  V(Member(line, "sbzt")), V(Member(line, "jfzt"))}));
    }
    tx.Commit();
    return true;
  });
}

int32_t TRysbztDAOImpl::getCount(const std::string& djxh, const std::string& query) {
  return Run(ErrorMessage, "getCount", kDbQueryFailed, int32_t{0}, [&] {
    const Json q = FilterObject(query);
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, RysbztListSql(djxh, q, CurrentMonth(), " count(1) as zs ", {}));
  });
}

std::string TRysbztDAOImpl::getData(const std::string& djxh, const std::string& query, int32_t page,
                                    int32_t pageSize) {
  return Run(ErrorMessage, "getData", kDbQueryFailed, std::string("[]"), [&] {
    const Json q = FilterObject(query);
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string sql = RysbztListSql(
        djxh, q, CurrentMonth(),
        " a.jfnd, a.xzid, a.sbrq, a.ybtfe, a.sbzt, a.jfzt, a.rydjxh, a.rybh, a.sbjbjgdm, a.zsxmdm, a.zspmdm, "
        "a.zszmdm,  a.xzjddm, a.sqhczdm, a.cbrytslbdm, b.rydjxh, b.xm, b.zjlx, b.zjhm, b.fzid, b.phonenumber, "
        "c.fullname ",
        SqlFragment(" order by a.rydjxh, a.sbjbjgdm, a.zsxmdm, a.zspmdm, a.zszmdm asc, a.sbrq desc ") +
            PagingSuffix(page, pageSize));
    Json out = Json::array();
    for (const Json& row : Rows(*db, sql)) {
      Json line = Json::object();
      for (const char* key : {"jfnd", "ybtfe", "sbzt", "sbrq", "xm", "zjlx", "zjhm", "fullname", "phonenumber",
                              "rydjxh", "rybh", "sbjbjgdm", "zsxmdm", "zspmdm", "zszmdm", "xzjddm", "sqhczdm",
                              "cbrytslbdm", "jfzt"})
        line[key] = RowText(row, key);
      line["xzid"] = RowText(row, "xzid");
      line["sbztName"] = RowText(row, "sbzt") == "Y" ? "已申报" : "未申报";
      line["jdxzMc"] = NameOf(&DictXzjd, RowText(row, "xzjddm"));
      line["sqczMc"] = NameOf(&DictSqcz, RowText(row, "sqhczdm"));
      line["cbrytslbMc"] = NameOf(&DictRycbtslb, RowText(row, "cbrytslbdm"));
      out.push_back(std::move(line));
    }
    return JsonText(out);
  });
}

namespace {
void RegisterRysbztDao() {
  RegisterServiceClass(ServiceRowAt(kRowTRysbztDAOImpl).iid, &ClassOf<TRysbztDAOImpl>::Instance());
}
void UnregisterRysbztDao() { UnregisterServiceClass(ServiceRowAt(kRowTRysbztDAOImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(32, velmor::RegisterRysbztDao, velmor::UnregisterRysbztDao)
