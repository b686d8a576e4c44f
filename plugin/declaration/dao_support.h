// Helpers of the declaration store: the operation boundary that keeps the last-error text and
// reading values of the JSON records handed in. The SQL itself runs on the store toolkit
// (store/sql_toolkit.h).
//
// Plain functions and scoped values; each call uses only its arguments, so any thread may call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "framework/boundary.h"
#include "store/db_access.h"
#include "store/sql_toolkit.h"
#include "velmor/db.h"
#include "velmor/exceptions.h"

namespace velmor::declaration {

using Json = nlohmann::ordered_json;

// Runs body() on the common boundary under "TRcsbDAO.<op>": a StoreError sets *errorText to its
// user text, any other exception to `fallbackText`; the line is logged and `fallback` answered.
// Clears *errorText on success.
template <class R, class F>
R GuardDao(std::string_view op, std::string* errorText, const char* fallbackText, R fallback, F&& body) noexcept {
  return Guarded<StoreError>({"TRcsbDAO", op}, {fallbackText, false}, errorText, std::move(fallback), [&]() -> R {
    R result = std::forward<F>(body)();
    errorText->clear();
    return result;
  });
}

// Parses a JSON record handed in; raises StoreError(userText, parse error) when it is no JSON of
// the wanted kind.
Json ParseObject(const std::string& text, const char* userText);
Json ParseArray(const std::string& text, const char* userText);

// A member as text: strings as they are, numbers in their shortest form, null/absent as "".
std::string Text(const Json& record, std::string_view key);
// A member as integer / amount: numbers, or text holding one; absent or empty gives `fallback`.
// Text that is no number raises Exception "字段[key]不是数值：text".
int32_t Int(const Json& record, std::string_view key, int32_t fallback = 0);
double Amount(const Json& record, std::string_view key, double fallback = 0);
// The same for a member already found (null when absent); `key` names it in the error.
double AmountOf(const Json* value, std::string_view key, double fallback = 0);
// The same rule on a member's text (a string, or the JSON of another value): empty gives
// `fallback`; text that is no (integral) number raises "字段[key]不是数值：text".
double NumberInText(std::string_view text, std::string_view key, double fallback, bool integral);
// `v` as Int answers it; outside int32 raises "字段[key]超出范围".
int32_t CheckedInt(double v, std::string_view key);

// The states of a list "2,6" as checked integers joined by ","; raises StoreError for other text.
std::string StateList(std::string_view states, const char* userText);

}  // namespace velmor::declaration
