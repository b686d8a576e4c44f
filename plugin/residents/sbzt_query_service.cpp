#include "residents/sbzt_query_service.h"
#include "residents/sbzt_year_check.h"

#include <unordered_map>
#include <unordered_set>

#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/row_reading.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace sbzt {

namespace {

constexpr char kLinesJoin[] =
    " from sb_ryjbxxb a, sb_rycbjgxxb b, sb_rycbxmb c where a.djxh = %s and a.djxh = b.djxh and a.rydjxh = "
    "b.rydjxh and b.djxh = c.djxh and b.rydjxh = c.rydjxh and b.rybh = c.rybh and b.sbjbjgdm = c.sbjbjgdm ";

std::string Member(const Json& q, const char* key) { return service::Text(q, key); }

// The conditions of the person (a) and of the line (c) shared by every statement here.
SqlFilters& LineConditions(SqlFilters& f, const Json& q) {
  f.AddQuoted(" and c.xzjddm = ", Member(q, "xzjddm"))
      .AddQuoted(" and c.sqhczdm = ", Member(q, "sqhczdm"))
      .AddQuoted(" and c.zsxmdm = ", Member(q, "zsxmdm"))
      .AddQuoted(" and c.zspmdm = ", Member(q, "zspmdm"))
      .AddQuoted(" and c.zszmdm = ", Member(q, "zszmdm"));
  return f;
}

SqlFilters& PersonConditions(SqlFilters& f, const Json& q) {
  const std::string fzid = Member(q, "fzid");
  f.AddLike(" and a.xm like ", Member(q, "xm"))
      .AddQuoted(" and a.zjlx = ", Member(q, "zjlx"))
      .AddLike(" and a.zjhm like ", Member(q, "zjhm"))
      // Commas around the id: group 5 selects its own and its subgroups' persons, never group 15's.
      .AddLike(" and fullpath like ", fzid.empty() ? std::string() : "," + fzid + ",");
  return f;
}

SqlFragment ListConditions(const Json& q) {
  SqlFilters f;
  f.AddQuoted(" and c.jfnd = ", Member(q, "jfnd"));
  LineConditions(f, q).AddQuoted(" and c.sbzt = ", Member(q, "sbzt"));
  return PersonConditions(f, q).Build();
}

}  // namespace

std::vector<Line> LinesToQuery(IDBMechanism& db, const std::string& djxh, const Json& q, const std::string& today) {
  std::vector<Line> lines;
  ReadLinesToQuery(db, djxh, q, today, [&](Line&& l) {
    lines.push_back(std::move(l));
    return true;
  });
  return lines;
}

void ReadLinesToQuery(IDBMechanism& db, const std::string& djxh, const Json& q, const std::string& today,
                      const std::function<bool(Line&&)>& line) {
  const std::string jfnd = Member(q, "jfnd");
  SqlFilters f;
  if (!jfnd.empty())
    f.Add(SqlFragment::Trusted(FormatSql(" and c.ksjfyf <= %s and c.tzjfyf >= %s ", {Q(jfnd + "-12"), Q(jfnd + "-01")})));
  LineConditions(f, q);
  PersonConditions(f, q);
  f.Add(SqlFragment::Trusted(
      FormatSql(" and ((c.xzsj is null) or not (c.xzsj = %s and c.jfnd = %s)) ", {Q(today), Q(jfnd)})));
  const std::string sql = FormatSql(std::string(" select c.xzid, c.id") + kLinesJoin + "%s", {Q(djxh), f.Build()});
  // Read row by row: at 100,000 persons these are 200,000 lines, never a tree or a dataset of them.
  ReadRowsOrThrow(
      db, sql, [](std::span<const std::string_view>) {},
      [&](std::span<const std::string_view> cells) {
        return line(Line{std::string(cells[0]), std::string(cells[1])});
      });
}

int32_t LineCount(IDBMechanism& db, const std::string& djxh) {
  return QueryCount(db, FormatSql(" select count(*) from sb_rycbxmb where djxh = %s ", {Q(djxh)}));
}

std::string ListSql(const std::string& djxh, const Json& q, int32_t page, int32_t pageSize) {
  return FormatSql(
      "select a.*, b.fullname from  (select a.rydjxh, a.xm, a.zjlx, a.zjhm, c.rybh, c.sbjbjgdm, c.zsxmdm, c.zspmdm,  "
      "c.zszmdm, c.xzjddm, c.sqhczdm, c.sbzt, c.cbrytslbdm, a.fzid from sb_ryjbxxb a, sb_rycbjgxxb b,  sb_rycbxmb c "
      "where a.djxh = %s and a.djxh = b.djxh and a.rydjxh = b.rydjxh and  b.djxh = c.djxh and b.rydjxh = c.rydjxh and "
      "b.rybh = c.rybh and b.sbjbjgdm = c.sbjbjgdm %s) a  left join  (select id, fullname from sb_fzxxb where djxh = "
      "%s) b on a.fzid = b.id  %s %s ",
      {Q(djxh), ListConditions(q), Q(djxh), SqlFragment(" ORDER BY a.xm asc,a.zspmdm asc"),
       PagingSuffix(page, pageSize)});
}

std::string CountSql(const std::string& djxh, const Json& q) {
  return FormatSql(std::string("select count(*)") + kLinesJoin + "%s", {Q(djxh), ListConditions(q)});
}

void StoreAnswered(IDBMechanism& db, BoundValues& scratch, int32_t sbzt, const std::string& today,
                   const std::string& jfnd, std::string_view id) {
  scratch.Clear();
  scratch.Int(sbzt).Text(today).Text(jfnd).Text(id);
  ExecBoundOrThrow(db, "update sb_rycbxmb set sbzt=?, xzsj=?, jfnd=? where id=?", scratch);
}

void StoreNotReturned(IDBMechanism& db, BoundValues& scratch, const std::string& djxh, const std::string& today,
                      const std::string& jfnd, const std::string& id) {
  scratch.Clear();
  scratch.Text(today).Text(jfnd).Text(djxh).Text(id);
  ExecBoundOrThrow(db, " update sb_rycbxmb set sbzt = 0, xzsj = ?, jfnd = ?  where djxh = ? and id = ? ", scratch);
}

int32_t StoreBatch(IDBMechanism& db, const std::string& djxh, const std::string& jfnd, std::span<const Line> batch,
                   const std::vector<std::pair<std::string, std::string>>& answers, bool markOthers) {
  // One xzid may stand on more than one local line (a person enrolled twice): each gets the state.
  // Views of the batch's own texts: a batch is a thousand lines, answered two hundred times over.
  std::unordered_multimap<std::string_view, std::string_view> idsByXzid;
  idsByXzid.reserve(batch.size());
  for (const Line& l : batch) idsByXzid.emplace(l.xzid, l.id);
  const std::string today = Today();
  std::unordered_set<std::string_view> stored;
  stored.reserve(batch.size());
  int32_t n = 0;
  BoundValues values;
  Transaction tx(db);
  for (const auto& [xzid, state] : answers) {
    auto [from, to] = idsByXzid.equal_range(xzid);
    for (auto it = from; it != to; ++it) {
      StoreAnswered(db, values, state == "Y" ? 1 : 0, today, jfnd, it->second);
      n += stored.insert(it->second).second;
    }
  }
  if (markOthers)
    for (const Line& l : batch)
      if (!stored.count(l.id)) StoreNotReturned(db, values, djxh, today, jfnd, l.id);
  tx.Commit();
  return n;
}

bool Run(std::string& message, std::string_view op, LogForm form, const char* prefix,
         const std::function<void()>& body) {
  message.clear();
  return Attempt<service::OpRefusal, StoreError>({kSbztClass, op, form}, {prefix, true, UnknownText::kShown},
                                                 &message, body);
}

}  // namespace sbzt

using sbzt::Json;

std::string TCXJMSBStatusQueryService::xzidList(const std::string& djxh, const std::string& query) {
  std::string out = "[]";
  sbzt::Run(ErrorMessage, "xzidList", LogForm::kBracketed, kSbztShownPrefix, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json list = Json::array();
    for (const auto& l : sbzt::LinesToQuery(*db, djxh, FilterObject(query), Today()))
      list.push_back({{"xzid", l.xzid}, {"id", l.id}});
    out = JsonText(list);
  });
  return out;
}

int32_t TCXJMSBStatusQueryService::getCount(const std::string& djxh, const std::string& query) {
  int32_t n = 0;
  sbzt::Run(ErrorMessage, "getCount", LogForm::kBracketed, kSbztShownPrefix, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    n = QueryCount(*db, sbzt::CountSql(djxh, FilterObject(query)));
  });
  return n;
}

std::string TCXJMSBStatusQueryService::getData(const std::string& djxh, const std::string& query, int32_t page,
                                               int32_t pageSize) {
  std::string out = "[]";
  sbzt::Run(ErrorMessage, "getData", LogForm::kBracketed, kSbztShownPrefix, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db, sbzt::ListSql(djxh, FilterObject(query), page, pageSize));
    for (Json& r : rows) r["sbztName"] = RowText(r, "sbzt") == "1" ? "已申报" : "未申报";
    out = JsonText(rows);
  });
  return out;
}

bool TCXJMSBStatusQueryService::DoSaveSBZT(const std::string& jfnd, const std::string& lines) {
  return sbzt::Run(ErrorMessage, "DoSaveSBZT", LogForm::kTrailing, kSbztShownPrefix, [&] {
    const Json array = Json::parse(lines, nullptr, false);
    if (!array.is_array()) throw service::OpRefusal("申报状态不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string today = Today();
    BoundValues values;
    Transaction tx(*db);
    for (const Json& l : array)
      sbzt::StoreAnswered(*db, values, service::Text(l, "sbzt") == "Y" ? 1 : 0, today, jfnd, service::Text(l, "id"));
    tx.Commit();
  });
}

bool TCXJMSBStatusQueryService::DoSaveOtherSBZT(const std::string& djxh, const std::string& jfnd,
                                                const std::string& ids) {
  return sbzt::Run(ErrorMessage, "DoSaveOtherSBZT", LogForm::kBracketed, kSbztShownPrefix, [&] {
    const Json array = Json::parse(ids, nullptr, false);
    if (!array.is_array()) throw service::OpRefusal("行号不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string today = Today();
    BoundValues values;
    Transaction tx(*db);
    for (const Json& id : array)
      sbzt::StoreNotReturned(*db, values, djxh, today, jfnd, id.is_string() ? id.get<std::string>() : id.dump());
    tx.Commit();
  });
}

namespace {
// The service and its background companion, the year check (a task class of the task service).
void RegisterSbztQuery() {
  RegisterServiceClass(ServiceRowAt(kRowTCXJMSBStatusQueryService).iid,
                       &ClassOf<TCXJMSBStatusQueryService>::Instance());
  RegisterBgTaskClass<TAsynQueryYctxData>();
}
void UnregisterSbztQuery() {
  UnregisterBgTaskClass(std::string(TAsynQueryYctxData::kClassName));
  UnregisterServiceClass(ServiceRowAt(kRowTCXJMSBStatusQueryService).iid);
}
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(27, velmor::RegisterSbztQuery, velmor::UnregisterSbztQuery)
