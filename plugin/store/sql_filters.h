// SqlFilters: the optional filter fragments of a store query, collected into one fragment that
// fills a %s of the statement. Each is appended only when its input is not empty.
//
//   SqlFilters f;
//   f.AddLike(" and a.xm like ", xm)            // " and a.xm like '%<xm>%' escape '\\' " (quote-doubled;
//                                              // the user's % and _ match themselves)
//    .AddValue(" and a.zjlx = '%s'", zjlx)     // the value escaped into the template's quotes
//    .AddQuoted(" and zjlx=", zjlx)            // prefix + QuotedStr(value)
//    .AddIf(local, " and ly = '1' ");
//   FormatSql("... where djxh = '%s' %s", {V(djxh), f.Build()});
//
// Prefixes and templates are SqlFragments (program literals); values are always escaped.
// A plain value type; not shared between threads.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/sql.h"
#include "velmor/roster_types.h"

namespace velmor {

// The two origin filters of the roster: persons entered locally, and persons from the server.
inline constexpr char kLocalOriginFilter[] = " and ly = '1' ";
inline constexpr char kServerOriginFilter[] = " and (ly = '0' or ly is null) ";
// The filter of an origin: one of the two above, or nothing for all persons.
SqlFragment OriginFilter(RyOrigin ly);

class SqlFilters {
 public:
  // `tmpl` holds one '%s' inside quotes (or %d for AddNumber).
  SqlFilters& AddValue(const SqlFragment& tmpl, std::string_view value);
  // prefix + QuotedStr(value).
  SqlFilters& AddQuoted(const SqlFragment& prefix, std::string_view value);
  // prefix + QuotedStr("%" + value + "%").
  SqlFilters& AddLike(const SqlFragment& prefix, std::string_view value);
  // FormatSql(tmpl, {value}) when `when` holds (numbers need no "empty" test of their own).
  SqlFilters& AddNumber(bool when, const SqlFragment& tmpl, int64_t value);
  SqlFilters& AddIf(bool when, const SqlFragment& fragment);
  SqlFilters& Add(const SqlFragment& fragment) { return AddIf(true, fragment); }

  bool empty() const { return text_.empty(); }
  SqlFragment Build() const { return text_; }

 private:
  SqlFragment text_;
};

}  // namespace velmor
