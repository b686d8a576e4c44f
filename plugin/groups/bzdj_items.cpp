#include "groups/bzdj_items.h"
#include "codec/json_parse.h"

#include <charconv>

#include <nlohmann/json.hpp>

namespace velmor {

namespace groups {

namespace {

constexpr std::string_view kBzDj[] = {"id",   "djxh", "jfnd", "sbjbjgdm", "dwbh", "rybh",
                                      "xzlxdm", "xm", "zjlx", "zjhm",     "yjfe"};
constexpr std::string_view kBzDjjl[] = {"id",     "jylsh",  "djxh",   "zgswjgDm", "xnhflbs", "jfrlxDm", "sbfsDm",
                                        "sbsxDm", "yzpzzlDm", "sbrq", "drsj",     "sbjbjgDm", "jfnd",   "jfrshj",
                                        "jfjehj", "sbzt",   "jkzt",   "cljgDm",   "sbyy",    "yjfehj",  "yzpzxh"};
constexpr std::string_view kBzDjjlmx[] = {"zbid", "jfmxxh", "sbjbjgDm", "rybh", "jfnd", "yjfe",
                                          "sbjg", "xm",     "zjlx",     "zjhm", "xzlxdm", "sbyy"};
constexpr std::string_view kBzDjcbxz[] = {"zgswjgDm", "zgswksDm", "jfrztDm", "xnhflbs", "sbjbjgDm",
                                          "dwbh",     "cbxzId",   "zsxmDm",  "zspmDm",  "zszmDm",
                                          "xzlxdm",   "jdxzdm",   "sqczdm"};
constexpr std::string_view kBzDjqd[] = {
    "zbid",  "zgswjgDm", "sbjbjgDm", "sbbm",   "sjly",   "jhsx",   "sblsh", "xxh",    "fkssqq",    "fkssqz", "zsxmDm",
    "zspmDm", "zszmDm",  "jfrs",     "jfjs",   "jfbl",   "yjfe",   "yjfje", "ybtfe",  "sfczmx",    "hzmxxh", "zjtzlsh",
    "zggzze", "jmfe",    "zdl",      "jfbz",   "sbxz",   "swjgslrDm", "slswjgDm", "bz", "xzlxdm"};
constexpr std::string_view kCxjmJbxx[] = {"djxh", "jfrlx", "dws", "cbxzs"};
constexpr std::string_view kCxjmCbxx[] = {"id",       "djxh", "zgswjgDm", "zgswksDm", "jfrztDm", "xnhflbs", "yxbz",
                                          "sbjbjgDm", "dwbh", "jfrlx",    "ssxzqhdm", "lxrxm",   "lxdh",    "lxdz"};
constexpr std::string_view kCxjmCbxz[] = {"id",     "zbid",   "cbxzId", "zsxmDm", "zspmDm",
                                          "zszmDm", "xzlxdm", "jdxzdm", "sqczdm"};

}  // namespace

const JfdjFamily kBzDjFamily{"BzDj", "TBzDjItem", "TBzDjItems", "TBzDjQc", kBzDj};
const JfdjFamily kBzDjjlFamily{"BzDjjl", "TBzDjjlItem", "TBzDjjlItems", "TBzDjQc", kBzDjjl};
const JfdjFamily kBzDjjlmxFamily{"BzDjjlmx", "TBzDjjlmxItem", "TBzDjjlmxItems", "TBzDjQc", kBzDjjlmx};
// The person lines of a record are its lines as a person search finds them.
const JfdjFamily kBzDjjlrymxFamily{"BzDjjlrymx", "TBzDjjlrymxItem", "TBzDjjlrymxItems", "TBzDjQc", kBzDjjlmx};
const JfdjFamily kBzDjcbxzFamily{"BzDjcbxz", "TBzDjcbxzItem", "TBzDjcbxzItems", "TBzDjQc", kBzDjcbxz};
const JfdjFamily kBzDjqdFamily{"BzDjqd", "TBzDjqdItem", "TBzDjqdItems", "TBzDjQc", kBzDjqd};
const JfdjFamily kCxjmJbxxFamily{"CxjmJbxx", "TCxjmJbxx", "TCxjmJbxxs", "TBzDjQc", kCxjmJbxx};
const JfdjFamily kCxjmCbxxFamily{"CxjmCbxx", "TCxjmCbxx", "TCxjmCbxxs", "TBzDjQc", kCxjmCbxx};
const JfdjFamily kCxjmCbxzFamily{"CxjmCbxz", "TCxjmCbxz", "TCxjmCbxzs", "TBzDjQc", kCxjmCbxz};

Ref<IJfdjItems> RecordsOf(const JfdjFamily& family, const std::string& rowsJson) {
  Ref<IJfdjItems> list = NewJfdjRecords(family);
  const auto rows = ParseOutsideJson<nlohmann::ordered_json>(rowsJson, false);
  if (!rows.is_array()) return list;
  for (const auto& row : rows) {
    if (!row.is_object()) continue;
    Ref<TJfdjRecord> record = New<TJfdjRecord>(family);
    record->FromRow(row);
    list->Add(static_cast<IJfdjItem*>(record.get()));
  }
  return list;
}

}  // namespace groups

namespace {
std::string* TextField(BzDjFilter& f, std::string_view name) {
  if (name == "jfnd") return &f.jfnd;
  if (name == "sbjbjgdm") return &f.sbjbjgdm;
  if (name == "xzlxdm") return &f.xzlxdm;
  if (name == "yxbz") return &f.yxbz;
  if (name == "sbzt") return &f.sbzt;
  if (name == "jkzt") return &f.jkzt;
  if (name == "sbrqq") return &f.sbrqq;
  if (name == "sbrqz") return &f.sbrqz;
  return nullptr;
}
}  // namespace

BzDjFilter TBzDjQc::GetFilter() {
  BzDjFilter f = filter_;
  f.xm = Xm;
  f.zjhm = Zjhm;
  f.zjlx = ZjlxDm;
  f.page = PageNo;
  f.pageSize = PageSize;
  return f;
}

std::string TBzDjQc::GetField(const std::string& name) {
  if (name == "zbid") return filter_.zbid ? std::to_string(filter_.zbid) : std::string();
  const std::string* field = TextField(filter_, name);
  return field ? *field : std::string();
}

bool TBzDjQc::SetField(const std::string& name, const std::string& value) {
  if (name == "zbid") {
    int32_t id = 0;
    if (value.empty()) {
      filter_.zbid = 0;
      return true;
    }
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), id);
    if (ec != std::errc() || end != value.data() + value.size() || id < 0) return false;
    filter_.zbid = id;
    return true;
  }
  std::string* field = TextField(filter_, name);
  if (!field) return false;
  *field = value;
  return true;
}

}  // namespace velmor
