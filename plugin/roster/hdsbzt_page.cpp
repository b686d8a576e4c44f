#include "roster/hdsbzt_page.h"

#include <vector>

#include <nlohmann/json.hpp>

#include "codec/json_cursor.h"
#include "codec/json_members.h"
#include "codec/json_object_reader.h"
#include "codec/json_parse.h"
#include "codec/taxml_exchange.h"

namespace velmor::roster {

namespace {

constexpr const char* kNotAnObject = "反馈数据异常：应答不是JSON对象";

std::string Text(const nlohmann::json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end() || it->is_null()) return {};
  if (it->is_string()) return it->get<std::string>();
  return it->dump();
}

std::string_view MemberText(const JsonObjectReader& row, std::string_view key) {
  const JsonObjectReader::Member* m = row.Find(key);
  if (!m || m->kind == JsonCursor::Kind::kNull) return {};
  return m->kind == JsonCursor::Kind::kString ? m->value : m->text;
}

// The fast reading: false (nothing handed) when the list is no array, for the general parser.
// ObjectMembers has checked the whole page (or read it through the general parser into
// `normal`), so the list is well formed before its first record is handed on.
bool ReadWithCursor(const std::string& page, const StateVisit& visit) {
  static constexpr std::string_view kList[] = {"sbztList"};
  std::vector<std::string_view> lists;
  std::string normal;
  if (!ObjectMembers(page, kList, lists, normal)) throw taxml::Failure(kNotAnObject);
  if (lists[0].empty()) return true;  // no list: no records
  JsonCursor c(lists[0]);
  if (c.Peek() != JsonCursor::Kind::kArray) return false;
  JsonObjectReader row;
  c.BeginArray();
  for (bool more = c.FirstElement(); more; more = c.NextElement()) {
    row.ReadAny(c);
    visit(MemberText(row, "jfnd"), MemberText(row, "xzid"), MemberText(row, "sbrq"), MemberText(row, "ybtfe"),
          MemberText(row, "sbzt"), MemberText(row, "jfzt"));
  }
  return true;
}

}  // namespace

void ForEachState(const std::string& page, const StateVisit& visit) {
  if (ReadWithCursor(page, visit)) return;
  nlohmann::json tree = ParseOutsideJson<nlohmann::json>(page, false);
  if (!tree.is_object()) throw taxml::Failure(kNotAnObject);
  for (const auto& row : tree.value("sbztList", nlohmann::json::array()))
    visit(Text(row, "jfnd"), Text(row, "xzid"), Text(row, "sbrq"), Text(row, "ybtfe"), Text(row, "sbzt"),
          Text(row, "jfzt"));
}

}  // namespace velmor::roster
