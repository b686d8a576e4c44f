#include "store/bound_sql.h"

#include <charconv>
#include <cstdio>

#include "store/sql.h"
#include "velmor/db_bound_exec.h"

namespace velmor {

BoundValues& BoundValues::Int(int64_t v) {
  values_.push_back(DBValue::Integer(v));
  return *this;
}

BoundValues& BoundValues::Money(double v) {
  // The value the text "%.2f" gives when the engine reads it back. to_chars with a precision
  // writes what printf writes, without parsing a format (a declaration binds 200,000 amounts);
  // the room holds the longest double written in full.
  char text[400];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 2);
  double rounded = v;
  std::from_chars(text, written.ptr, rounded);
  values_.push_back(DBValue::Real(rounded));
  return *this;
}

BoundValues& BoundValues::Text(std::string_view v) {
  if (usedTexts_ == texts_.size()) texts_.emplace_back();
  std::string& slot = texts_[usedTexts_++];
  slot.assign(v);
  values_.push_back(DBValue::Text(slot));
  return *this;
}

void BoundValues::Clear() {
  values_.clear();
  usedTexts_ = 0;
}

int64_t ExecBoundOrThrow(IDBMechanism& db, const std::string& sql, const BoundValues& values, const char* userText) {
  int64_t changes = 0;
  if (Ref<IDBBoundExec> bound = Query<IDBBoundExec>(&db)) {
    if (!bound->ExecBound(sql, values.Values(), changes)) throw StoreError(userText, db.GetErrorText());
    return changes;
  }
  Ref<IDBCommand> cmd = db.GetCommand(0);
  if (!cmd) throw StoreError(userText, db.GetErrorText());
  if (!cmd->Execute(InlineValues(sql, values.Values(), userText))) throw StoreError(userText, cmd->GetErrorText());
  return cmd->RowsAffected();
}

bool ExecBound(IDBCommand& cmd, const std::string& sql, std::span<const DBValue> values, int64_t& changes) {
  changes = 0;
  if (Ref<IDBBoundExec> bound = Query<IDBBoundExec>(&cmd)) return bound->ExecBound(sql, values, changes);
  if (!cmd.Execute(InlineValues(sql, values))) return false;
  changes = cmd.RowsAffected();
  return true;
}

namespace {

void Append(std::string& out, const DBValue& value) {
  char number[64];
  switch (value.kind) {
    case DBValue::Kind::kNull: out += "null"; break;
    case DBValue::Kind::kInteger: out += std::to_string(value.integer); break;
    case DBValue::Kind::kReal:
      std::snprintf(number, sizeof number, "%.17g", value.real);  // reads back as the same double
      out += number;
      break;
    case DBValue::Kind::kText: out += QuotedStr(value.text); break;
  }
}

}  // namespace

std::string InlineValues(std::string_view sql, std::span<const DBValue> values, const char* userText) {
  std::string out;
  out.reserve(sql.size() + values.size() * 16);
  size_t plain = 0;
  bool numbered = false, quoted = false;
  for (size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (c == '\'') quoted = !quoted;
    if (c != '?' || quoted) {
      out += c;
      continue;
    }
    size_t at = plain++;
    size_t j = i + 1;
    if (j < sql.size() && sql[j] >= '0' && sql[j] <= '9') {
      at = 0;
      while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9') at = at * 10 + static_cast<size_t>(sql[j++] - '0');
      at -= 1;
      numbered = true;
      i = j - 1;
    }
    if (at >= values.size()) {
      throw StoreError(userText, "the statement has a parameter without value (" + std::to_string(at + 1) + ")");
    }
    Append(out, values[at]);
  }
  if (!numbered && plain != values.size()) {
    throw StoreError(userText, "the statement takes " + std::to_string(plain) + " values, " +
                                   std::to_string(values.size()) + " were given");
  }
  return out;
}

}  // namespace velmor
