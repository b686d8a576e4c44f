#include "residents/ybgrzhdj.h"

#include <initializer_list>
#include <map>

#include "codec/taxml_response.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

using service::Json;
using service::Text;

constexpr std::string_view kCxjmSbxx[] = {
    "xm",      "sfzjlx",   "sfzjhm", "gjDm",   "csrq",   "xb",     "nsrsbh", "id",     "djxh",       "rydjxh",
    "swjgDm",  "sbjbjgdm", "rybh",   "dwbh",   "djnd",   "sbhm",   "ssxzqhDm", "sqczDm", "xzlxDm",   "zsxmdm",
    "zspmdm",  "zszmdm",   "tcqBm",  "jdxzDm", "xzSqczDm", "cbrytslbDm", "ksjfyf", "tzjfyf", "gxsj", "yjfe",
    "updateFlag"};
constexpr std::string_view kCxjmSbxxFields[] = {"xzlxDm", "djnd"};
constexpr std::string_view kCxjmDjxx[] = {"djmxxh",   "czlx", "djxh",   "xm",     "sfzjlx",     "sfzjhm", "qsgx",
                                          "djnd",     "sbjbjgDm", "rybh", "xzlxDm", "cbrytslbDm", "yjfe",   "code",
                                          "message"};

constexpr const char* kClass = "TYbgrzhdj";
constexpr service::OpRow kGxxxCx{kClass, "synYbgrzhdjgxxxCx", "0186", "", "SbfYbGrzhDjgxxxCxRequest", ""};
constexpr service::OpRow kGxwh{kClass, "synYbgrzhdjgxwh", "0188", "", "", ""};

// "【code】message" of an answer that is not one of the accepted codes.
void RequireCode(const Json& answer, std::initializer_list<std::string_view> accepted) {
  const std::string code = Text(answer, "code");
  for (std::string_view c : accepted)
    if (code == c) return;
  throw taxml::Failure("【" + code + "】" + RenderMessage(code, Text(answer, "message")));
}

SqlFragment SbxxFilters(IJfdjQueryCondition* qc) {
  SqlFilters f;
  if (!qc) return f.Build();
  f.AddLike(" and a.xm like ", qc->GetXm())
      .AddQuoted(" and a.sfzjlx = ", qc->GetZjlxDm())
      .AddLike(" and a.sfzjhm like ", qc->GetZjhm())
      .AddQuoted(" and b.xzlxDm = ", qc->GetField("xzlxDm"))
      // The year is a text column: compared quoted, so "2024" never meets a number.
      .AddValue(" and ((b.djnd = '') or (b.djnd = '%s'))", qc->GetField("djnd"));
  return f.Build();
}

}  // namespace

const JfdjFamily kCxjmSbxxFamily{"CxjmSbxx", "TCxjmSbxxItem", "TCxjmSbxxItems", "TCxjmSbxx_QueryCondition",
                                 kCxjmSbxx, kCxjmSbxxFields};
const JfdjFamily kCxjmDjxxFamily{"CxjmDjxx", "TCxjmDjxxItem", "TCxjmDjxxItems", "TCxjmSbxx_QueryCondition",
                                 kCxjmDjxx, kCxjmSbxxFields};

Ref<IJfdjQueryCondition> TYbgrzhdj::NewCxjmSbxxQc() { return NewJfdjCondition(kCxjmSbxxFamily); }

bool TYbgrzhdj::synYbgrzhdjgxxxCx(IProgressView* progress, Ref<IJfdjItems>& links) {
  links = nullptr;
  return Run("synYbgrzhdjgxxxCx", LogForm::kTrailing, false, [&] {
    const std::string djxh = CurrentDjxh();
    service::OpCall call{djxh, Json::object(), progress};
    call.params["djxh"] = djxh;
    const Json answer = service::ExchangeAnyCode(kGxxxCx, call);
    // "20093": the payer has no relationship yet, an empty list.
    RequireCode(answer, {taxml::kSuccessCode, "20093"});
    Ref<IJfdjItems> out = NewJfdjRecords(kCxjmDjxxFamily);
    if (answer.contains("cxjmDjxxList") && answer["cxjmDjxxList"].is_array())
      for (const Json& row : answer["cxjmDjxxList"]) {
        if (!row.is_object()) continue;
        Ref<TJfdjRecord> r = New<TJfdjRecord>(kCxjmDjxxFamily);
        r->FromRow(row);
        out->Add(static_cast<IJfdjItem*>(r.get()));
      }
    links = out;
    return true;
  });
}

bool TYbgrzhdj::synYbgrzhdjgxwh(IJfdjItems* entries, IProgressView* progress) {
  return Run("synYbgrzhdjgxwh", LogForm::kTrailing, false, [&] {
    auto* list = entries ? dynamic_cast<TJfdjRecords*>(entries) : nullptr;
    if (!list || list->GetFamily() != kCxjmDjxxFamily.name)
      throw service::OpRefusal("参数不是" + std::string(kCxjmDjxxFamily.listClass) + "对象。");
    if (list->GetCount() == 0) throw service::OpRefusal("没有需要提交的登记关系。");
    const std::string djxh = CurrentDjxh();
    taxml::RequestDocument doc("SbfYbGrzhDjgxWhRequest");
    doc.Add("djxh", djxh).Open("cxjmDjxxList");
    std::map<std::string, Ref<IJfdjItem>> byLine;
    for (int32_t i = 0; i < list->GetCount(); ++i) {
      Ref<IJfdjItem> e = list->GetRecord(i);
      // Lines without their own number are numbered by position, so the answer finds them.
      if (e->Get("djmxxh").empty()) e->Set("djmxxh", std::to_string(i + 1));
      if (!byLine.emplace(e->Get("djmxxh"), e).second)
        throw service::OpRefusal("登记明细序号重复：" + e->Get("djmxxh"));
      if (e->Get("czlx").empty()) throw service::OpRefusal("操作类型为空：" + e->Get("djmxxh"));
      doc.Open("SbfCxjmDjxxDTO");
      for (const char* c : {"djmxxh", "czlx", "djxh", "qsgx", "djnd", "sbjbjgDm", "rybh", "xzlxDm", "yjfe"})
        doc.Add(c, e->Get(c));
      doc.Close();
    }
    doc.Close();
    service::OpCall call{djxh, Json::object(), progress};
    call.document = &doc;
    const Json answer = service::ExchangeAnyCode(kGxwh, call);
    RequireCode(answer, {taxml::kSuccessCode});
    if (answer.contains("cxjmDjxxList") && answer["cxjmDjxxList"].is_array())
      for (const Json& row : answer["cxjmDjxxList"]) {
        auto it = byLine.find(Text(row, "djmxxh"));
        if (it == byLine.end()) continue;
        it->second->Set("code", Text(row, "code"));
        it->second->Set("message", Text(row, "message"));
      }
    return true;
  });
}

bool TYbgrzhdj::getCxjmSbxxItems(IJfdjQueryCondition* qc, Ref<IJfdjItems>& items) {
  items = nullptr;
  return Run("getCxjmSbxxItems", LogForm::kBracketed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const int32_t page = qc ? qc->GetPageNo() : kAllPages, size = qc ? qc->GetPageSize() : kAllPages;
    const Json rows = Rows(*db, FormatSql(" select a.xm, a.sfzjlx, a.sfzjhm, a.gjDm, a.csrq, a.xb, a.nsrsbh , b.*  from "
                                          "ds_ybgrzh_cxjmdjxx a, ds_ybgrzh_cxjmcbdjxx b  where a.djxh = '%s' and a.djxh "
                                          "= b.djxh and a.rydjxh = b.rydjxh and a.swjgDm = b.swjgDm %s  order by a.id "
                                          "desc %s ",
                                          {V(CurrentDjxh()), SbxxFilters(qc), PagingSuffix(page, size)}));
    Ref<IJfdjItems> out = NewJfdjRecords(kCxjmSbxxFamily);
    for (const Json& row : rows) {
      Ref<TJfdjRecord> r = New<TJfdjRecord>(kCxjmSbxxFamily);
      r->FromRow(row);
      out->Add(static_cast<IJfdjItem*>(r.get()));
    }
    items = out;
    return true;
  });
}

int32_t TYbgrzhdj::getCxjmSbxxCount(IJfdjQueryCondition* qc) {
  return Run("getCxjmSbxxCount", LogForm::kBracketed, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(" select count(1) as zs  from ds_ybgrzh_cxjmdjxx a, ds_ybgrzh_cxjmcbdjxx b  where "
                                     "a.djxh = '%s' and a.djxh = b.djxh and a.rydjxh = b.rydjxh and a.swjgDm = b.swjgDm "
                                     "%s ",
                                     {V(CurrentDjxh()), SbxxFilters(qc)}));
  });
}

namespace {

std::vector<std::string> Texts(const Json& column) {
  std::vector<std::string> out;
  for (const Json& v : column) out.push_back(v.is_string() ? v.get<std::string>() : std::string());
  return out;
}

}  // namespace

bool TYbgrzhdj::getSbxzlxItems(std::vector<std::string>& xzlxDms) {
  xzlxDms.clear();
  return Run("getSbxzlxItems", LogForm::kBracketed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    xzlxDms = Texts(FirstColumn(
        *db, FormatSql(" select distinct xzlxDm from ds_ybgrzh_cxjmcbdjxx where djxh = '%s' ", {V(CurrentDjxh())})));
    return true;
  });
}

bool TYbgrzhdj::getZspmItems(const std::string& pmlx, std::vector<std::string>& zspmdms) {
  zspmdms.clear();
  return Run("getZspmItems", LogForm::kBracketed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    zspmdms = Texts(FirstColumn(*db, FormatSql(" select distinct zspmdm from sb_pmlxb WHERE pmlx = '%s' ", {V(pmlx)})));
    return true;
  });
}

bool TYbgrzhdj::getPmlx(const std::string& zspmdm, std::string& pmlx) {
  pmlx.clear();
  return Run("getPmlx", LogForm::kBracketed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::vector<std::string> found =
        Texts(FirstColumn(*db, FormatSql(" select pmlx from sb_pmlxb where zspmdm = '%s' ", {V(zspmdm)})));
    if (!found.empty()) pmlx = found.front();
    return true;
  });
}

bool TYbgrzhdj::delCxjmSbxxItems(const std::vector<int64_t>& ids) {
  return Run("delCxjmSbxxItems", LogForm::kBracketed, false, [&] {
    if (ids.empty()) throw service::OpRefusal("没有需要删除的记录。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    for (int64_t id : ids) ExecOrThrow(*db, FormatSql(" delete from ds_ybgrzh_cxjmcbdjxx where id = %d ", {id}));
    tx.Commit();
    return true;
  });
}

namespace {
void RegisterYbgrzhdj() { RegisterServiceClass(ServiceRowAt(kRowTYbgrzhdj).iid, &ClassOf<TYbgrzhdj>::Instance()); }
void UnregisterYbgrzhdj() { UnregisterServiceClass(ServiceRowAt(kRowTYbgrzhdj).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(40, velmor::RegisterYbgrzhdj, velmor::UnregisterYbgrzhdj)
