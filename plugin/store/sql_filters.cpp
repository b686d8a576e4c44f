#include "store/sql_filters.h"

#include <string>

namespace velmor {

SqlFragment OriginFilter(RyOrigin ly) {
  switch (ly) {
    case RyOrigin::kLocal: return kLocalOriginFilter;
    case RyOrigin::kServer: return kServerOriginFilter;
    default: return {};
  }
}

SqlFilters& SqlFilters::AddValue(const SqlFragment& tmpl, std::string_view value) {
  if (!value.empty()) text_ += SqlFragment::Trusted(FormatSql(tmpl.str(), {V(value)}));
  return *this;
}

SqlFilters& SqlFilters::AddQuoted(const SqlFragment& prefix, std::string_view value) {
  if (!value.empty()) text_ += prefix + SqlFragment::Trusted(QuotedStr(value));
  return *this;
}

SqlFilters& SqlFilters::AddLike(const SqlFragment& prefix, std::string_view value) {
  if (value.empty()) return *this;
  // The user's "%" and "_" are searched for as they are, not taken as wildcards.
  std::string pattern = "%";
  for (char c : value) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  pattern += '%';
  text_ += prefix + SqlFragment::Trusted(QuotedStr(pattern) + " escape '\\'");
  return *this;
}

SqlFilters& SqlFilters::AddNumber(bool when, const SqlFragment& tmpl, int64_t value) {
  if (when) text_ += SqlFragment::Trusted(FormatSql(tmpl.str(), {value}));
  return *this;
}

SqlFilters& SqlFilters::AddIf(bool when, const SqlFragment& fragment) {
  if (when) text_ += fragment;
  return *this;
}

}  // namespace velmor
