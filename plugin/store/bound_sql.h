// Statements with bound values, run through the host's statement cache (IDBBoundExec, asked from
// the connection): a bulk write prepares its statement once and binds each row's values, instead
// of formatting and preparing one text per row. A bound value is never parsed as SQL, so it needs
// no quote-doubling, and it is stored exactly as the formatted statement would have stored it
// (Money rounds as FormatSql's %f writes). A host without IDBBoundExec gets the statement with
// the values placed into its text, quote-doubled.
//
//   BoundValues v;
//   v.Int(zbid).Text(xm).Money(jfje);
//   ExecBoundOrThrow(*db, "insert into t (zbid, xm, jfje) values (?, ?, ?)", v, "保存失败。");
//   v.Clear();                                   // the next row
//
// BoundValues is a value of one thread; ExecBoundOrThrow is stateless.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/db_access.h"
#include "velmor/db.h"
#include "velmor/db_value.h"

namespace velmor {

class BoundValues {
 public:
  BoundValues& Int(int64_t v);
  // As FormatSql places a double for %f: rounded to two decimals.
  BoundValues& Money(double v);
  // The text is copied (into room kept from earlier rows), so a temporary or a view may be passed.
  BoundValues& Text(std::string_view v);
  // Forgets the values (keeping the room they took) for the next row.
  void Clear();
  std::span<const DBValue> Values() const { return values_; }

 private:
  std::vector<DBValue> values_;
  std::deque<std::string> texts_;  // a deque keeps each text where it is as more are added
  size_t usedTexts_ = 0;
};

// Runs `sql` with `values` bound to its "?" parameters; answers the rows it changed. Raises
// StoreError(userText, engine text) when it fails.
int64_t ExecBoundOrThrow(IDBMechanism& db, const std::string& sql, const BoundValues& values,
                         const char* userText = kDbUpdateFailed);

// The same on a command (the writers' connections): false with the command's error text when it
// fails (a host without bound statements: InlineValues, which may raise). With numbered parameters (?1, ?2, ...) several statements share one list of values,
// each taking the ones it names.
bool ExecBound(IDBCommand& cmd, const std::string& sql, std::span<const DBValue> values, int64_t& changes);

// `sql` with each parameter ("?" or "?N") outside quotes replaced by its value as SQL text (texts
// quote-doubled, reals in a form that reads back as the same value): the statement for a host
// without bound statements. Raises StoreError(userText, ...) when a parameter has no value or,
// with plain "?" only, the count of values differs.
std::string InlineValues(std::string_view sql, std::span<const DBValue> values, const char* userText = kDbUpdateFailed);

}  // namespace velmor
