#include "codec/json_members.h"

#include <nlohmann/json.hpp>

#include "codec/json_cursor.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

bool Read(std::string_view text, std::span<const std::string_view> names, std::vector<std::string_view>& values) {
  values.assign(names.size(), {});
  JsonCursor c(text);
  if (c.Peek() != JsonCursor::Kind::kObject) {
    c.Skip();
    c.End();
    return false;
  }
  std::string scratch;
  c.BeginObject();
  for (bool more = c.FirstMember(); more; more = c.NextMember()) {
    const std::string_view key = c.Key(scratch);
    size_t i = 0;
    while (i < names.size() && names[i] != key) ++i;
    const std::string_view value = c.Skip();
    if (i < names.size()) values[i] = value;
  }
  c.End();
  return true;
}

}  // namespace

bool ObjectMembers(std::string_view text, std::span<const std::string_view> names,
                   std::vector<std::string_view>& values, std::string& normal) {
  try {
    return Read(text, names, values);
  } catch (const JsonCursor::Malformed&) {
    const nlohmann::ordered_json tree = ParseOutsideJson<nlohmann::ordered_json>(text, false);
    if (!tree.is_object()) return false;
    normal = tree.dump();
    return Read(normal, names, values);
  }
}

}  // namespace velmor
