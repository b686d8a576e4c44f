// Helpers of the declaration store: the operation boundary that keeps the last-error text, the
// transaction scope of the saves, rows as JSON, reading values of the JSON records handed in,
// and the current local time in the stores' format.
//
// Plain functions and scoped values; each call uses only its arguments, so any thread may call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "store/db_access.h"
#include "velmor/db.h"
#include "velmor/exceptions.h"

namespace velmor::declaration {

using Json = nlohmann::ordered_json;

// A failure with the text the caller receives (`userText`) and the detail for the log.
class DaoFailure : public Exception {
 public:
  DaoFailure(std::string userText, const std::string& detail)
      : Exception(userText + detail), userText_(std::move(userText)) {}
  const std::string& UserText() const { return userText_; }

 private:
  std::string userText_;
};

// "[TRcsbDAO.<op>]异常：<text>" to the host debug log; never throws.
void LogDaoFailure(std::string_view op, std::string_view text) noexcept;

// Runs body(); on a DaoFailure sets *errorText to its user text, on any other exception to
// `fallbackText`; logs the line and answers `fallback`. Clears *errorText on success.
template <class R, class F>
R GuardDao(std::string_view op, std::string* errorText, const char* fallbackText, R fallback, F&& body) noexcept {
  try {
    R result = std::forward<F>(body)();
    errorText->clear();
    return result;
  } catch (const DaoFailure& e) {
    *errorText = e.UserText();
    LogDaoFailure(op, e.what());
  } catch (const std::exception& e) {
    *errorText = fallbackText;
    LogDaoFailure(op, e.what());
  } catch (...) {
    *errorText = fallbackText;
    LogDaoFailure(op, "unknown exception");
  }
  return fallback;
}

// ExecSQL that raises DaoFailure(userText, engine message) on failure.
void Exec(IDBMechanism& db, const std::string& sql, const char* userText);
// OpenQuery that raises DaoFailure(userText, engine message) on failure.
Ref<IDBDataSet> Query(IDBMechanism& db, const std::string& sql, const char* userText);
// Every row of a query as a JSON array of objects (column name -> text).
Json Rows(IDBMechanism& db, const std::string& sql, const char* userText);
// The first column of every row as a JSON array of texts.
Json FirstColumn(IDBMechanism& db, const std::string& sql, const char* userText);
// The integer of the first column of the first row (0 when there is none).
int32_t ScalarInt(IDBMechanism& db, const std::string& sql, const char* userText);

// A transaction that rolls back unless committed; raises DaoFailure(userText, ...) when it
// cannot begin or commit (a failed commit leaves nothing stored).
class Transaction {
 public:
  Transaction(IDBMechanism& db, const char* userText);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  IDBMechanism& db_;
  const char* userText_;
  bool open_ = false;
};

// Parses a JSON record handed in; raises DaoFailure(userText, parse error) when it is no JSON of
// the wanted kind.
Json ParseObject(const std::string& text, const char* userText);
Json ParseArray(const std::string& text, const char* userText);

// A member as text: strings as they are, numbers in their shortest form, null/absent as "".
std::string Text(const Json& record, std::string_view key);
// A member as integer / amount: numbers, or text holding one; absent or empty gives `fallback`.
// Text that is no number raises DaoFailure(userText-less) "字段[key]不是数值：text".
int32_t Int(const Json& record, std::string_view key, int32_t fallback = 0);
double Amount(const Json& record, std::string_view key, double fallback = 0);

// Local time "yyyy-mm-dd hh:nn:ss".
std::string NowText();
// The states of a list "2,6" as checked integers joined by ","; raises DaoFailure for other text.
std::string StateList(std::string_view states, const char* userText);

}  // namespace velmor::declaration
