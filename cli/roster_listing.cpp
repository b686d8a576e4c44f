#include "cli/roster_listing.h"

#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/state_names.h"
#include "velmor/dict_mgr.h"

namespace velmor::cli {
namespace {

constexpr int32_t kMaxChunk = 2000;
constexpr int32_t kMinChunk = 100;

std::string Text(const nlohmann::json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end() || it->is_null()) return "";
  return it->is_string() ? it->get<std::string>() : it->dump();
}

}  // namespace

int32_t ListChunk(int32_t size) {
  if (size <= kMaxChunk) return size;
  for (int32_t c = kMaxChunk; c >= kMinChunk; --c)
    if (size % c == 0) return c;
  return size;
}

int32_t PrintPersons(PluginSession& session, IEmployeeService& roster, const std::string& djxh,
                     const RyListFilter& filter, int32_t page, int32_t size) {
  // ID types by name when the rules are there; the code alone otherwise.
  Ref<IDictionary> zjlx;
  if (Ref<IDictMgr> dicts = session.Plugin().CreateService<IDictMgr>(); dicts && dicts->LoadRules())
    zjlx = dicts->GetJsonDictionary("dict_zjlx");
  Output out;
  out.Begin("", {{"id", "ID"},
                 {"xm", "姓名"},
                 {"zjlx", "证件类型"},
                 {"zjhm", "证件号码"},
                 {"rydjxh", "人员登记序号"},
                 {"cbzt", "参保状态"},
                 {"ly", "来源"},
                 {"djzt", "登记状态"},
                 {"fullname", "分组"},
                 {"lxdh", "联系电话"}});
  const int32_t chunk = ListChunk(size);
  const int64_t first = (static_cast<int64_t>(page) - 1) * size / chunk + 1;
  int32_t zs = 0;
  for (int64_t p = first; p < first + size / chunk; ++p) {
    const std::string rows = roster.queryRyList(djxh, filter, static_cast<int32_t>(p), chunk, zs);
    if (!roster.GetErrorMessage().empty()) session.Fail(roster.GetErrorMessage());
    const nlohmann::json list = nlohmann::json::parse(rows);
    for (const auto& r : list) {
      const std::string code = Text(r, "zjlx"), cbzt = Text(r, "cbzt"), ly = Text(r, "ly"), djzt = Text(r, "djzt");
      out.Row({Text(r, "id"), Text(r, "xm"), StateCell(code, zjlx ? zjlx->GetNameByCode(code) : ""), Text(r, "zjhm"),
               Text(r, "rydjxh"), StateCell(cbzt, PersonStateName(cbzt)), StateCell(ly, PersonOriginName(ly)),
               StateCell(djzt, PersonRegistrationName(djzt)), Text(r, "fullname"), Text(r, "lxdh")});
    }
    if (static_cast<int32_t>(list.size()) < chunk) break;  // past the last person
  }
  out.Finish();
  return zs;
}

}  // namespace velmor::cli
