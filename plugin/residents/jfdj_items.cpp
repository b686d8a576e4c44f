#include "residents/jfdj_items.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "service/taxml_json.h"

namespace velmor {

namespace {

constexpr std::string_view kJfdjRy[] = {
    "id",   "djxh",   "swjgDm", "czlx",   "jcrq",   "jcyyDm",      "rydjxh", "xm",    "sjgghdqDm", "zjlxDm",
    "zjhm", "xbDm",   "csrq",   "hjxzDm", "hjszdXzqhDm", "hjszd",  "czddz",  "czdJdxzDm", "czdSqczDm", "yzbm",
    "lxrDzyj", "lxdh", "sjhm",  "grsfDm", "tsrylbDm", "jfrsbh",    "shbzhm", "sfydj"};
constexpr std::string_view kJfdjXz[] = {"id",        "zbid",      "czlx", "xzId",       "xzlxDm",
                                        "jfdXzqhDm", "jfdJdxzDm", "jfdSqczDm", "zzbh", "cbrytslbDm",
                                        "ksjfyf",    "jcrq",      "jfbz", "sbjbjgdm"};
constexpr std::string_view kJfdjjl[] = {"id", "djxh", "yblsh", "tjsj", "swjgDm", "jmzs", "zt", "sbyy"};
constexpr std::string_view kJfdjjlRy[] = {
    "id",   "zbid",   "djxh",   "swjgDm", "czlx",   "jcrq",        "jcyyDm", "rydjxh", "xm",        "sjgghdqDm",
    "zjlxDm", "zjhm", "xbDm",   "csrq",   "hjxzDm", "hjszdXzqhDm", "hjszd",  "czddz",  "czdJdxzDm", "czdSqczDm",
    "yzbm", "lxrDzyj", "lxdh",  "sjhm",   "grsfDm", "tsrylbDm",    "jfrsbh", "shbzhm", "code",      "sbyy"};
constexpr std::string_view kJfdjjlXz[] = {"id",        "zbid",      "czlx",      "xzId", "xzlxDm",     "jfdXzqhDm",
                                          "jfdJdxzDm", "jfdSqczDm", "zzbh",      "cbrytslbDm", "ksjfyf", "jcrq",
                                          "jfbz",      "sbjbjgdm",  "code",      "sbyy"};
constexpr std::string_view kRyjbxx[] = {
    "id",     "djxh",    "rydjxh",  "xm",       "zjlx",     "zjhm",     "gjdqdm", "csrq",   "xb",
    "rynsrsbh", "phonenumber", "fzid", "fullpath", "fullname", "drrq",   "ly",     "djzt",   "bzxx",
    "cbzt",   "updateFlag", "hh",   "hjxzDm",   "hjszdxzqhDm", "hjdz", "czdz",   "jdxzDm", "sqczDm",
    "yzbm",   "lxdzyj",  "lxdh",    "rysfDm",   "tsrylbDm", "shbzhm"};
constexpr std::string_view kRycbxm[] = {
    "id",     "djxh",   "rydjxh", "sbjbjgdm", "xzid",  "zsxmdm",  "zspmdm", "zszmdm", "tcqdm",
    "xzjddm", "sqhczdm", "cbrytslbdm", "ksjfyf", "tzjfyf", "yxbz", "gxsj",   "pmlx",   "rybh",
    "sbzt",   "xzsj",   "jfnd",   "xzlxdm",   "swjgDm", "updateFlag", "jfdxzqhDm", "dwbh"};
constexpr std::string_view kXnhcbxm[] = {"id",     "djxh",   "sbjbjgdm", "zsxmdm", "zspmdm",   "zszmdm",
                                         "xzjddm", "sqhczdm", "dwbh",    "dsXzqhDm", "xzlxDm", "xzid",
                                         "tcqdm",  "dwcbtslbdm", "ksjfyf", "tzjfyf", "zjms"};

constexpr std::string_view kConditionFields[] = {"czlx",   "id",   "zbid",     "jgbz",   "zt",     "tjsjq", "tjsjz",
                                                 "rydjxh", "rybh", "sbjbjgdm", "swjgDm", "xzlxDm", "dsXzqhDm"};

bool Has(std::span<const std::string_view> names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

const JfdjFamily kJfdjRyFamily{"Jfdj_Ry", "TJfdj_Ry_Item", "TJfdj_Ry_Items", "TJfdj_Ry_QueryCondition", kJfdjRy};
const JfdjFamily kJfdjXzFamily{"Jfdj_Xz", "TJfdj_Xz_Item", "TJfdj_Xz_Items", "TJfdj_Xz_QueryCondition", kJfdjXz};
const JfdjFamily kRyjbxxFamily{"Ryjbxx", "TRyjbxx_Item", "TRyjbxx_Items", "TRyjbxx_QueryCondition", kRyjbxx};
const JfdjFamily kRycbxmFamily{"Rycbxm", "TRycbxm_Item", "TRycbxm_Items", "TRycbxm_QueryCondition", kRycbxm};
const JfdjFamily kXnhcbxmFamily{"Xnhcbxm", "TXnhcbxm_Item", "TXnhcbxm_Items", "TXnhcbxm_QueryCondition", kXnhcbxm};
const JfdjFamily kJfdjjlFamily{"Jfdjjl", "TJfdjjl_Item", "TJfdjjl_Items", "TJfdjjl_QueryCondition", kJfdjjl};
const JfdjFamily kJfdjjlRyFamily{"Jfdjjl_Ry", "TJfdjjl_Ry_Item", "TJfdjjl_Ry_Items", "TJfdjjl_Ry_QueryCondition",
                                 kJfdjjlRy};
const JfdjFamily kJfdjjlXzFamily{"Jfdjjl_Xz", "TJfdjjl_Xz_Item", "TJfdjjl_Xz_Items", "TJfdjjl_Xz_QueryCondition",
                                 kJfdjjlXz};

// Property accessors are plain functions of the object; one per column position serves every
// family, reading the column at that position of the record's own family.
struct JfdjColumnAccess {
  static constexpr size_t kMaxColumns = 40;

  template <size_t I>
  static std::string Get(const TBusinessObject& o) {
    const auto& r = static_cast<const TJfdjRecord&>(o);
    auto it = r.values_.find(r.family_->columns[I]);
    return it == r.values_.end() ? std::string() : it->second;
  }
  template <size_t I>
  static void Set(TBusinessObject& o, const std::string& v) {
    auto& r = static_cast<TJfdjRecord&>(o);
    r.values_[std::string(r.family_->columns[I])] = v;
  }
  template <size_t... I>
  static std::vector<PropInfo> Table(const JfdjFamily& family, std::index_sequence<I...>) {
    constexpr std::array<std::string (*)(const TBusinessObject&), sizeof...(I)> getters{&Get<I>...};
    constexpr std::array<void (*)(TBusinessObject&, const std::string&), sizeof...(I)> setters{&Set<I>...};
    std::vector<PropInfo> table;
    for (size_t i = 0; i < family.columns.size() && i < kMaxColumns; ++i) {
      PropInfo p{family.columns[i], &types::String, {}};
      p.access.getStr = getters[i];
      p.access.setStr = setters[i];
      table.push_back(p);
    }
    return table;
  }
  static std::span<const PropInfo> For(const JfdjFamily& family) {
    static const std::map<std::string_view, std::vector<PropInfo>> tables = [] {
      std::map<std::string_view, std::vector<PropInfo>> t;
      for (const JfdjFamily* f : {&kJfdjRyFamily, &kJfdjXzFamily, &kRyjbxxFamily, &kRycbxmFamily, &kXnhcbxmFamily,
                                  &kJfdjjlFamily, &kJfdjjlRyFamily, &kJfdjjlXzFamily}) {
        if (f->columns.size() > kMaxColumns) throw std::logic_error("jfdj family with too many columns");
        t.emplace(f->name, Table(*f, std::make_index_sequence<kMaxColumns>()));
      }
      return t;
    }();
    auto it = tables.find(family.name);
    return it == tables.end() ? std::span<const PropInfo>() : std::span<const PropInfo>(it->second);
  }
};

std::span<const PropInfo> TJfdjRecord::PublishedProperties() const { return JfdjColumnAccess::For(*family_); }

std::vector<std::string> TJfdjRecord::GetColumns() {
  return {family_->columns.begin(), family_->columns.end()};
}

std::string TJfdjRecord::Get(const std::string& column) {
  auto it = values_.find(column);
  return it == values_.end() ? std::string() : it->second;
}

bool TJfdjRecord::Set(const std::string& column, const std::string& value) {
  if (!Has(family_->columns, column)) return false;
  values_[column] = value;
  return true;
}

int64_t TJfdjRecord::GetId() {
  const std::string id = Get("id");
  try {
    return id.empty() ? 0 : std::stoll(id);
  } catch (const std::exception&) {
    return 0;
  }
}

void TJfdjRecord::FromRow(const nlohmann::ordered_json& row) {
  // Column names of SQLite rows keep the case of the table definition; match them loosely so
  // "swjgdm" and "swjgDm" are the same column.
  auto lower = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  for (auto it = row.begin(); it != row.end(); ++it) {
    const std::string key = lower(it.key());
    for (std::string_view c : family_->columns)
      if (lower(c) == key) values_[std::string(c)] = service::Text(row, it.key().c_str());
  }
}

std::string TJfdjCondition::GetField(const std::string& name) {
  auto it = fields_.find(name);
  return it == fields_.end() ? std::string() : it->second;
}

bool TJfdjCondition::SetField(const std::string& name, const std::string& value) {
  const auto fields = family_->conditionFields.empty() ? std::span<const std::string_view>(kConditionFields)
                                                       : family_->conditionFields;
  if (!Has(fields, name)) return false;
  fields_[name] = value;
  return true;
}

Ref<IJfdjItem> NewJfdjRecord(const JfdjFamily& family) { return Ref<IJfdjItem>(New<TJfdjRecord>(family).get()); }
Ref<IJfdjItems> NewJfdjRecords(const JfdjFamily& family) {
  return Ref<IJfdjItems>(Make<TJfdjRecords>(family).get());
}
Ref<IJfdjQueryCondition> NewJfdjCondition(const JfdjFamily& family) {
  return Ref<IJfdjQueryCondition>(New<TJfdjCondition>(family).get());
}

TJfdjRecord& RequireRecord(IJfdjItem* item, const JfdjFamily& family) {
  auto* record = item ? dynamic_cast<TJfdjRecord*>(item) : nullptr;
  if (!record || record->Family().name != family.name)
    throw service::OpRefusal("参数不是" + std::string(family.itemClass) + "对象。");
  return *record;
}

}  // namespace velmor
