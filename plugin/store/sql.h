// Building SQL text by formatting: every value placed in a statement is quote-doubled, codes and
// identifiers too, and the type of each argument says how it is placed.
//
//   FormatSql(" select * from sb_xtcsb where djxh = '%s' and key = '%s' ", {V(djxh), V(key)})
//   FormatSql(" update sb_dmmcb set mc = %s where lb = %d and dm = %s ", {Q(mc), lb, Q(dm)})
//
// V(text): for a '%s' written inside quotes of the template; each ' is doubled.
// Q(text): for an unquoted %s; doubled and wrapped in quotes (the standard quote-doubling).
// SqlFragment: SQL text placed as it is: a literal of the template's own, or a fragment built
// by this toolkit (filters, paging), which escapes every value it holds. Plain strings are not
// accepted as arguments, so an unescaped value cannot slip into a statement.
// Numbers: %d takes integers, %f doubles (two decimals unless a precision is given).
//
// The placeholders are those of the module's Format (framework/format.h), indexes included
// ("%0:s"); a placeholder that does not fit its argument raises EConvertError. Pure functions,
// safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "velmor/variant.h"

namespace velmor {

// Each ' doubled (for text inside quotes of a template).
std::string EscapeSql(std::string_view value);
// The standard quote-doubling function: each ' doubled, the whole wrapped in single quotes.
std::string QuotedStr(std::string_view value);

class SqlFragment {
 public:
  SqlFragment() = default;
  // A literal of the program's own text.
  template <size_t N>
  SqlFragment(const char (&literal)[N]) : text_(literal, N - 1) {}
  // Text the caller vouches for: built only from literals and escaped values.
  static SqlFragment Trusted(std::string text) {
    SqlFragment f;
    f.text_ = std::move(text);
    return f;
  }
  const std::string& str() const { return text_; }
  bool empty() const { return text_.empty(); }
  SqlFragment& operator+=(const SqlFragment& more) {
    text_ += more.text_;
    return *this;
  }
  friend SqlFragment operator+(SqlFragment a, const SqlFragment& b) { return a += b; }

 private:
  std::string text_;
};

// Transient holders made by V() and Q(); consumed by SqlArg within the same expression.
struct SqlValue {
  std::string_view text;
};
struct SqlQuoted {
  std::string_view text;
};
inline SqlValue V(std::string_view text) { return {text}; }
inline SqlQuoted Q(std::string_view text) { return {text}; }

class SqlArg {
 public:
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
  SqlArg(T n) : value_(static_cast<int64_t>(n) >= INT32_MIN && static_cast<int64_t>(n) <= INT32_MAX
                           ? Variant(static_cast<int32_t>(n))
                           : Variant(static_cast<int64_t>(n))) {}
  SqlArg(double d) : value_(d) {}
  SqlArg(SqlValue v) : value_(EscapeSql(v.text)) {}
  SqlArg(SqlQuoted q) : value_(QuotedStr(q.text)) {}
  SqlArg(const SqlFragment& f) : value_(f.str()) {}
  SqlArg(const char*) = delete;  // say V(...), Q(...) or write the text into the template
  SqlArg(const std::string&) = delete;

  // A fragment that only the page statement of a count/page pair receives (the count gets "").
  static SqlArg PageOnly(const SqlFragment& f) {
    SqlArg a(f);
    a.pageOnly_ = true;
    return a;
  }

  const Variant& value() const { return value_; }
  bool pageOnly() const { return pageOnly_; }

 private:
  Variant value_;
  bool pageOnly_ = false;
};

std::string FormatSql(std::string_view tmpl, std::span<const SqlArg> args);
inline std::string FormatSql(std::string_view tmpl, std::initializer_list<SqlArg> args) {
  return FormatSql(tmpl, std::span<const SqlArg>(args.begin(), args.size()));
}

}  // namespace velmor
