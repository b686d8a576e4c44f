#include "residents/cxjmjcxxcj.h"

#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "codec/taxml_response.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor {

TJfdjRecords& RequireRecords(IJfdjItems* items, const JfdjFamily& family) {
  auto* list = items ? dynamic_cast<TJfdjRecords*>(items) : nullptr;
  if (!list || list->GetFamily() != family.name)
    throw service::OpRefusal("参数不是" + std::string(family.listClass) + "对象。");
  return *list;
}

namespace {

SqlFragment PersonFilters(IJfdjQueryCondition* qc) {
  SqlFilters f;
  if (qc) {
    f.AddLike(" and xm like ", qc->GetXm())
        .AddQuoted(" and zjlxDm = ", qc->GetZjlxDm())
        .AddLike(" and zjhm like ", qc->GetZjhm())
        .AddQuoted(" and czlx = ", qc->GetField("czlx"));
  }
  return f.Build();
}

void Fill(TJfdjRecords& list, const JfdjFamily& family, const nlohmann::ordered_json& rows) {
  list.Clear();
  for (const auto& row : rows) {
    Ref<TJfdjRecord> r = New<TJfdjRecord>(family);
    r->FromRow(row);
    list.Add(static_cast<IJfdjItem*>(r.get()));
  }
}

}  // namespace

bool TCxjmjcxxcjImpl::IsFunctionEnabled() {
  return Run("IsFunctionEnabled", LogForm::kTrailing, false,
             [&] { return GetSyspzxx()->IsFunctionEnabled(kJcxxFunctionCode); });
}

void TCxjmjcxxcjImpl::RequireEnabled() {
  if (!GetSyspzxx()->IsFunctionEnabled(kJcxxFunctionCode)) throw service::OpRefusal(kJcxxDisabled);
}

bool TCxjmjcxxcjImpl::getCxjmjcxx_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize,
                                          IJfdjItems* out) {
  return Run("getCxjmjcxx_Ry_Data", LogForm::kBracketed, false, [&] {
    TJfdjRecords& list = RequireRecords(out, kCxjmjcxxRyFamily);
    Ref<IDBMechanism> db = OpenMainConnection();
    Fill(list, kCxjmjcxxRyFamily,
         Rows(*db, FormatSql(" select * from ds_cxjmjcxxcjryb where djxh = '%s' %s  order by id desc %s ",
                             {V(CurrentDjxh()), PersonFilters(qc), PagingSuffix(page, pageSize)})));
    return true;
  });
}

int32_t TCxjmjcxxcjImpl::getCxjmjcxx_Ry_Count(IJfdjQueryCondition* qc) {
  return Run("getCxjmjcxx_Ry_Count", LogForm::kBracketed, int32_t{-1}, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(" select count(1) as zs from ds_cxjmjcxxcjryb where djxh = '%s' %s ",
                                     {V(CurrentDjxh()), PersonFilters(qc)}));
  });
}

bool TCxjmjcxxcjImpl::getCxjmjcxx_Xz_Data(int64_t personId, IJfdjItems* out) {
  return Run("getCxjmjcxx_Xz_Data", LogForm::kBracketed, false, [&] {
    TJfdjRecords& list = RequireRecords(out, kCxjmjcxxXzFamily);
    Ref<IDBMechanism> db = OpenMainConnection();
    // The lines of the payer's own person only.
    Fill(list, kCxjmjcxxXzFamily,
         Rows(*db, FormatSql(" select * from ds_cxjmjcxxcjxzb where 1 = 1  and zbid = %d and zbid in (select id from "
                             "ds_cxjmjcxxcjryb where djxh = '%s') order by id ",
                             {personId, V(CurrentDjxh())})));
    return true;
  });
}

bool TCxjmjcxxcjImpl::RyjfDjxxToItems(const std::string& answer, IJfdjItems* persons, IJfdjItems* lines) {
  return Run("RyjfDjxxToItems", LogForm::kTrailing, false, [&] {
    TJfdjRecords& ry = RequireRecords(persons, kCxjmjcxxRyFamily);
    TJfdjRecords& xz = RequireRecords(lines, kCxjmjcxxXzFamily);
    service::Json j = ParseOutsideJson<service::Json>(answer, false);
    if (!j.is_object()) throw service::OpRefusal("反馈报文异常：不是JSON对象");
    const std::string code = service::Text(j, "code");
    if (code != taxml::kSuccessCode) throw service::OpRefusal("【" + code + "】" + service::Text(j, "message"));
    int n = 0;
    for (const auto& p : j.value("ryjfDjxxList", service::Json::array())) {
      if (service::Text(p, "jfrlx") != "0") continue;
      Ref<IJfdjItem> r = NewJfdjRecord(kCxjmjcxxRyFamily);
      static constexpr const char* kPairs[][2] = {
          {"djxh", "djxh"},     {"xbDm", "xbDm"},     {"csrq", "csrq"},           {"mzDm", "mzDm"},
          {"cbdXzqhDm", "cbdxzqhDm"}, {"hjszd", "hjszd"}, {"czddz", "czddz"},    {"cbdJdxzDm", "cbdJdxzDm"},
          {"cbdSqczDm", "cbdSqczDm"}, {"yzbm", "yzbm"}, {"lxrDzyj", "lxrDzyj"},  {"lxdh", "lxdh"},
          {"sjhm", "sjhm"},     {"hjszdxzqhDm", "hjszdxzqhDm"}, {"grsfDm", "grsfDm"}, {"grztDm", "grztDm"},
          {"ygxsDm", "ygxsDm"}, {"hjlxDm", "hjlxDm"}, {"xm", "xm"},               {"zjlxDm", "zjlxDm"},
          {"zjhm", "zjhm"},     {"rydjxh", "rydjxh"}};
      for (const auto& pair : kPairs) r->Set(pair[1], service::Text(p, pair[0]));
      ry.Add(r.get());
      ++n;
      for (const auto& l : p.value("ryjfDjxzList", service::Json::array())) {
        Ref<IJfdjItem> x = NewJfdjRecord(kCxjmjcxxXzFamily);
        static constexpr const char* kLine[][2] = {
            {"sbjbjgDm", "sbjbjgDm"}, {"xzlxDm", "xzlxDm"}, {"cbsfDm", "cbsf"},     {"ksjfny", "ksjfny"},
            {"tzjfny", "tzjfny"},     {"jdxzDm", "jdxzDm"}, {"sqczDm", "sqczDm"},   {"bccbsj", "bccbsj"},
            {"sccbsj", "sccbsj"},     {"xzId", "xzId"}};
        for (const auto& pair : kLine) x->Set(pair[1], service::Text(l, pair[0]));
        x->Set("zbid", std::to_string(n));
        xz.Add(x.get());
      }
    }
    return true;
  });
}

namespace {
void RegisterJcxx() { RegisterServiceClass(ServiceRowAt(kRowTCxjmjcxxcjImpl).iid, &ClassOf<TCxjmjcxxcjImpl>::Instance()); }
void UnregisterJcxx() { UnregisterServiceClass(ServiceRowAt(kRowTCxjmjcxxcjImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(43, velmor::RegisterJcxx, velmor::UnregisterJcxx)
