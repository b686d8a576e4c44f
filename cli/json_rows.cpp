#include "cli/json_rows.h"

#include <stdexcept>

#include "codec/json_cursor.h"

namespace velmor::cli {

void ForEachRow(std::string_view text, std::initializer_list<std::string_view> members,
                const std::function<void(std::string_view span, const std::vector<std::string>& values)>& row) {
  std::vector<std::string> values(members.size());
  std::string scratch;
  try {
    JsonCursor array(text);
    array.BeginArray();
    for (bool more = array.FirstElement(); more; more = array.NextElement()) {
      if (array.Peek() != JsonCursor::Kind::kObject)
        throw std::runtime_error("JSON数组的第" + std::to_string(array.Offset() + 1) + "字节不是对象");
      const std::string_view span = array.Skip();
      for (std::string& v : values) v.clear();
      JsonCursor c(span);
      c.BeginObject();
      for (bool member = c.FirstMember(); member; member = c.NextMember()) {
        const std::string key(c.Key(scratch));
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
      row(span, values);
    }
    array.End();
  } catch (const JsonCursor::Malformed& e) {
    throw std::runtime_error(std::string("不是JSON数组：") + e.what());
  }
}

}  // namespace velmor::cli
