// DBValue: one value bound to a "?" parameter of a statement that IDBMechanism::ExecBound runs.
// A bound value is never parsed as SQL, so it needs no quote-doubling; the statement text holds
// only the program's own SQL.
//
// Ownership: a DBValue only points at its text, which belongs to the caller and must outlive the
// call it is passed to. A plain value type; any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmor {

struct DBValue {
  enum class Kind : uint8_t { kNull, kInteger, kReal, kText };
  Kind kind = Kind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::string_view text;

  static DBValue Null() { return {}; }
  static DBValue Integer(int64_t v) { return {Kind::kInteger, v, 0, {}}; }
  static DBValue Real(double v) { return {Kind::kReal, 0, v, {}}; }
  static DBValue Text(std::string_view v) { return {Kind::kText, 0, 0, v}; }
};

}  // namespace velmor
