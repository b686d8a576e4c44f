#include "roster/sql_text.h"

#include "velmor/exceptions.h"

namespace velmor {

std::string SqlText(std::string_view tmpl, std::initializer_list<std::string_view> values) {
  size_t size = tmpl.size();
  for (std::string_view v : values) size += v.size() + 4;
  std::string out;
  out.reserve(size);
  const std::string_view* next = values.begin();
  size_t pos = 0;
  for (;;) {
    size_t at = tmpl.find("%s", pos);
    if (at == std::string_view::npos) break;
    if (next == values.end()) throw EConvertError("No argument for format '" + std::string(tmpl) + "'");
    out.append(tmpl, pos, at - pos);
    for (char c : *next) {
      if (c == '\'') out.push_back('\'');
      out.push_back(c);
    }
    ++next;
    pos = at + 2;
  }
  if (next != values.end()) throw EConvertError("Format '" + std::string(tmpl) + "' invalid or incompatible with argument");
  out.append(tmpl, pos);
  return out;
}

}  // namespace velmor
