#include "cli/json_rows.h"

#include <stdexcept>

#include "codec/json_cursor.h"

namespace velmor::cli {

void ForEachRow(std::string_view text, std::initializer_list<std::string_view> members,
                const std::function<void(std::string_view span, const std::vector<std::string>& values)>& row) {
  std::vector<std::string> values(members.size());
  std::string scratch;
  try {
    // One pass: each object is read member by member where it stands and its span taken from
    // where it began to where it ended (a listing of 200,000 lines was walked twice).
    JsonCursor c(text);
    c.BeginArray();
    for (bool more = c.FirstElement(); more; more = c.NextElement()) {
      if (c.Peek() != JsonCursor::Kind::kObject)
        throw std::runtime_error("JSON数组的第" + std::to_string(c.Offset() + 1) + "字节不是对象");
      const size_t start = c.Offset();
      for (std::string& v : values) v.clear();
      c.BeginObject();
      for (bool member = c.FirstMember(); member; member = c.NextMember()) {
        const std::string_view key = c.Key(scratch);  // compared before the value overwrites it
        size_t i = 0;
        for (std::string_view name : members) {
          if (name == key) break;
          ++i;
        }
        const JsonCursor::Kind kind = c.Peek();
        if (i == values.size()) {
          c.Skip();
        } else if (kind == JsonCursor::Kind::kString) {
          values[i] = c.String(scratch);
        } else if (kind == JsonCursor::Kind::kNumber) {
          values[i] = c.Number();
        } else {
          c.Skip();
          values[i].clear();
        }
      }
      row(text.substr(start, c.Offset() - start), values);
    }
    c.End();
  } catch (const JsonCursor::Malformed& e) {
    throw std::runtime_error(std::string("不是JSON数组：") + e.what());
  }
}

}  // namespace velmor::cli
