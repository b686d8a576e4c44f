#include "residents/cxjmjfdjxxgl.h"

#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "framework/busy_progress.h"
#include "residents/jfdj_store.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

constexpr LogForm kBracketed = LogForm::kBracketed;

TJfdjRecords& RequireList(IJfdjItems* items, const JfdjFamily& family) {
  auto* list = items ? dynamic_cast<TJfdjRecords*>(items) : nullptr;
  if (!list || list->GetFamily() != family.name)
    throw service::OpRefusal("参数不是" + std::string(family.listClass) + "对象。");
  return *list;
}

// The records of a list, each of the family.
std::vector<TJfdjRecord*> RecordsOf(IJfdjItems* items, const JfdjFamily& family) {
  std::vector<TJfdjRecord*> out;
  if (!items) return out;
  for (int32_t i = 0; i < items->GetCount(); ++i) {
    Ref<IJfdjItem> item = Query<IJfdjItem>(items->GetItem(i));
    out.push_back(&RequireRecord(item.get(), family));
  }
  return out;
}

void Copy(TJfdjRecord& from, const char* fromColumn, TJfdjRecord& to, const char* toColumn) {
  to.Set(toColumn, from.Get(fromColumn));
}

}  // namespace

TCxjmjfdjxxgl::TCxjmjfdjxxgl() : errorInfo_(New<TErrorInfo>()) {}

bool TCxjmjfdjxxgl::IsFunctionEnabled() {
  return Run("IsFunctionEnabled", LogForm::kTrailing, false,
             [&] { return GetSyspzxx()->IsFunctionEnabled(kJfdjFunctionCode); });
}

bool TCxjmjfdjxxgl::ReadPage(std::string_view op, const JfdjFamily& family, IJfdjQueryCondition* qc, int32_t page,
                             int32_t pageSize, IJfdjItems* out, IProgressView* progress) {
  return Run(op, kBracketed, false, [&] {
    BusyProgress shown(progress);
    TJfdjRecords& list = RequireList(out, family);
    const std::string sql = jfdj::PageSql(family, CurrentDjxh(), qc, page, pageSize);
    Ref<IDBMechanism> db = OpenMainConnection();
    nlohmann::ordered_json rows = Rows(*db, sql);
    list.Clear();
    for (const auto& row : rows) {
      Ref<TJfdjRecord> r = New<TJfdjRecord>(family);
      r->FromRow(row);
      list.Add(static_cast<IJfdjItem*>(r.get()));
    }
    return true;
  });
}

int32_t TCxjmjfdjxxgl::ReadCount(std::string_view op, const JfdjFamily& family, IJfdjQueryCondition* qc) {
  return Run(op, kBracketed, int32_t{-1}, [&] {
    const std::string sql = jfdj::CountSql(family, CurrentDjxh(), qc);
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, sql);
  });
}

bool TCxjmjfdjxxgl::getJfdj_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getJfdj_Ry_Data", kJfdjRyFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getJfdj_Ry_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getJfdj_Ry_Count", kJfdjRyFamily, qc);
}
bool TCxjmjfdjxxgl::getJfdj_Xz_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getJfdj_Xz_Data", kJfdjXzFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getJfdj_Xz_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getJfdj_Xz_Count", kJfdjXzFamily, qc);
}
bool TCxjmjfdjxxgl::getRyjbxx_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getRyjbxx_Data", kRyjbxxFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getRyjbxx_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getRyjbxx_Count", kRyjbxxFamily, qc);
}
bool TCxjmjfdjxxgl::getRycbxm_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getRycbxm_Data", kRycbxmFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getRycbxm_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getRycbxm_Count", kRycbxmFamily, qc);
}
bool TCxjmjfdjxxgl::getXnhcbxm_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getXnhcbxm_Data", kXnhcbxmFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getXnhcbxm_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getXnhcbxm_Count", kXnhcbxmFamily, qc);
}
bool TCxjmjfdjxxgl::getJfdjjl_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getJfdjjl_Data", kJfdjjlFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getJfdjjl_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getJfdjjl_Count", kJfdjjlFamily, qc);
}
bool TCxjmjfdjxxgl::getJfdjjl_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getJfdjjl_Ry_Data", kJfdjjlRyFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getJfdjjl_Ry_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getJfdjjl_Ry_Count", kJfdjjlRyFamily, qc);
}
bool TCxjmjfdjxxgl::getJfdjjl_Xz_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out,
                                 IProgressView* progress) {
  return ReadPage("getJfdjjl_Xz_Data", kJfdjjlXzFamily, qc, page, pageSize, out, progress);
}
int32_t TCxjmjfdjxxgl::getJfdjjl_Xz_Count(IJfdjQueryCondition* qc) {
  return ReadCount("getJfdjjl_Xz_Count", kJfdjjlXzFamily, qc);
}

bool TCxjmjfdjxxgl::delJfdj_Ry_Data(int64_t id) {
  return Run("delJfdj_Ry_Data", kBracketed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    jfdj::DeletePending(*db, CurrentDjxh(), id);
    return true;
  });
}

bool TCxjmjfdjxxgl::ry5JfdjExits(IJfdjItem* person, Ref<IJfdjItem>& existing) {
  existing = nullptr;
  return Run("ry5JfdjExits", kBracketed, false, [&] {
    TJfdjRecord& p = RequireRecord(person, kJfdjRyFamily);
    SqlFilters f;
    f.AddQuoted(" and xm = ", p.Get("xm"))
        .AddQuoted(" and zjlxDm = ", p.Get("zjlxDm"))
        .AddQuoted(" and zjhm = ", p.Get("zjhm"))
        .AddQuoted(" and sjgghdqDm = ", p.Get("sjgghdqDm"))
        .AddQuoted(" and swjgDm = ", p.Get("swjgDm"));
    Ref<IDBMechanism> db = OpenMainConnection();
    nlohmann::ordered_json rows =
        Rows(*db, FormatSql(" select * from ds_jfdjryb where djxh = '%s' %s ", {V(CurrentDjxh()), f.Build()}));
    if (rows.empty()) return false;
    Ref<TJfdjRecord> found = New<TJfdjRecord>(kJfdjRyFamily);
    found->FromRow(rows[0]);
    existing = Ref<IJfdjItem>(found.get());
    return true;
  });
}

bool TCxjmjfdjxxgl::ry5JbxxExits(IJfdjItem* person) {
  return Run("ry5JbxxExits", kBracketed, false, [&] {
    TJfdjRecord& p = RequireRecord(person, kJfdjRyFamily);
    SqlFilters f;
    f.AddQuoted(" and a.xm = ", p.Get("xm"))
        .AddQuoted(" and a.zjlx = ", p.Get("zjlxDm"))
        .AddQuoted(" and a.zjhm = ", p.Get("zjhm"))
        .AddQuoted(" and a.gjdqdm = ", p.Get("sjgghdqDm"))
        .AddQuoted(" and b.swjgDm = ", p.Get("swjgDm"));
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(" select count(1) as zs from sb_ryjbxxb a, sb_rycbjgxxb b  where a.djxh = '%s' and "
                                     "a.djxh = b.djxh and a.rydjxh = b.rydjxh %s ",
                                     {V(CurrentDjxh()), f.Build()})) > 0;
  });
}

bool TCxjmjfdjxxgl::saveJfdj_RyItem_XzItems(IJfdjItem* person, IJfdjItems* lines) {
  return Run("saveJfdj_RyItem_XzItems", kBracketed, false, [&] {
    TJfdjRecord& p = RequireRecord(person, kJfdjRyFamily);
    std::vector<TJfdjRecord*> xz = RecordsOf(lines, kJfdjXzFamily);
    const std::string djxh = CurrentDjxh();
    Ref<IDBMechanism> db = OpenMainConnection();
    const int64_t id = jfdj::SavePending(*db, djxh, p, xz);
    p.SetId(id);
    p.Set("djxh", djxh);
    for (TJfdjRecord* l : xz) l->Set("zbid", std::to_string(id));
    return true;
  });
}

bool TCxjmjfdjxxgl::RyjbxxItemToJfdjRyItem(IJfdjItem* roster, IJfdjItem* pending) {
  return Run("RyjbxxItemToJfdjRyItem", LogForm::kTrailing, false, [&] {
    TJfdjRecord& from = RequireRecord(roster, kRyjbxxFamily);
    TJfdjRecord& to = RequireRecord(pending, kJfdjRyFamily);
    static constexpr const char* kPairs[][2] = {
        {"djxh", "djxh"},         {"rydjxh", "rydjxh"},   {"xm", "xm"},
        {"zjlx", "zjlxDm"},       {"zjhm", "zjhm"},       {"gjdqdm", "sjgghdqDm"},
        {"xb", "xbDm"},           {"csrq", "csrq"},       {"hjxzDm", "hjxzDm"},
        {"hjszdxzqhDm", "hjszdXzqhDm"}, {"hjdz", "hjszd"}, {"czdz", "czddz"},
        {"jdxzDm", "czdJdxzDm"},  {"sqczDm", "czdSqczDm"}, {"yzbm", "yzbm"},
        {"lxdzyj", "lxrDzyj"},    {"lxdh", "lxdh"},       {"phonenumber", "sjhm"},
        {"rysfDm", "grsfDm"},     {"tsrylbDm", "tsrylbDm"}, {"rynsrsbh", "jfrsbh"},
        {"shbzhm", "shbzhm"}};
    for (const auto& pair : kPairs) Copy(from, pair[0], to, pair[1]);
    to.Set("sfydj", "Y");  // a roster person is registered already
    return true;
  });
}

bool TCxjmjfdjxxgl::RyjbxxItemsToJfdjRyItems(IJfdjItems* roster, IJfdjItems* pending) {
  return Run("RyjbxxItemsToJfdjRyItems", LogForm::kTrailing, false, [&] {
    TJfdjRecords& out = RequireList(pending, kJfdjRyFamily);
    for (TJfdjRecord* r : RecordsOf(roster, kRyjbxxFamily)) {
      Ref<IJfdjItem> item = NewJfdjRecord(kJfdjRyFamily);
      if (!RyjbxxItemToJfdjRyItem(r, item.get())) throw service::OpRefusal(errorInfo_->GetErrorMsg());
      out.Add(item.get());
    }
    return true;
  });
}

bool TCxjmjfdjxxgl::RycbxmItemToJfdjXzItem(IJfdjItem* line, IJfdjItem* pending) {
  return Run("RycbxmItemToJfdjXzItem", LogForm::kTrailing, false, [&] {
    TJfdjRecord& from = RequireRecord(line, kRycbxmFamily);
    TJfdjRecord& to = RequireRecord(pending, kJfdjXzFamily);
    static constexpr const char* kPairs[][2] = {
        {"xzid", "xzId"},         {"xzlxdm", "xzlxDm"},      {"jfdxzqhDm", "jfdXzqhDm"},
        {"xzjddm", "jfdJdxzDm"},  {"sqhczdm", "jfdSqczDm"},  {"dwbh", "zzbh"},
        {"cbrytslbdm", "cbrytslbDm"}, {"ksjfyf", "ksjfyf"}, {"sbjbjgdm", "sbjbjgdm"}};
    for (const auto& pair : kPairs) Copy(from, pair[0], to, pair[1]);
    to.Set("czlx", "0");  // unchanged until the user marks the line
    return true;
  });
}

bool TCxjmjfdjxxgl::RycbxmItemsToJfdjXzItems(IJfdjItems* lines, IJfdjItems* pending) {
  return Run("RycbxmItemsToJfdjXzItems", LogForm::kTrailing, false, [&] {
    TJfdjRecords& out = RequireList(pending, kJfdjXzFamily);
    for (TJfdjRecord* r : RecordsOf(lines, kRycbxmFamily)) {
      Ref<IJfdjItem> item = NewJfdjRecord(kJfdjXzFamily);
      if (!RycbxmItemToJfdjXzItem(r, item.get())) throw service::OpRefusal(errorInfo_->GetErrorMsg());
      out.Add(item.get());
    }
    return true;
  });
}

namespace {
void RegisterCxjmjfdjxxgl() {
  RegisterServiceClass(ServiceRowAt(kRowTCxjmjfdjxxgl).iid, &ClassOf<TCxjmjfdjxxgl>::Instance());
}
void UnregisterCxjmjfdjxxgl() { UnregisterServiceClass(ServiceRowAt(kRowTCxjmjfdjxxgl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(38, velmor::RegisterCxjmjfdjxxgl, velmor::UnregisterCxjmjfdjxxgl)
