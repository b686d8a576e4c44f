#include "store/sql.h"

#include <vector>

#include "framework/format.h"

namespace velmor {

std::string EscapeSql(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  for (char c : value) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out;
}

std::string QuotedStr(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 4);
  out += '\'';
  out += EscapeSql(value);
  out += '\'';
  return out;
}

std::string FormatSql(std::string_view tmpl, std::span<const SqlArg> args) {
  std::vector<Variant> values;
  values.reserve(args.size());
  for (const SqlArg& a : args) values.push_back(a.value());
  return Format(tmpl, values);
}

}  // namespace velmor
