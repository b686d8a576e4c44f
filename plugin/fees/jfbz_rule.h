// The matching rules of the fee standards, shared by the store's queries and the service: which
// rule rows a lookup finds (the SQL conditions), how specific a found row is, the age a person
// counts with, and amounts compared to the cent.
//
// Pure functions on their arguments; safe on any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "store/sql.h"
#include "velmor/jfbz_dao.h"

namespace velmor::fees {

// Empty, null or "null" (any letter case): a rule column that applies to every value.
bool IsCatchAll(std::string_view code);
bool IsOptionAll(std::string_view value);

// " and (<column> = 'v' or <catch-all>)" for a given value, " and <catch-all>" for an empty or
// "null" one, nothing for "option_all".
SqlFragment CodeCondition(const char* column, const std::string& value);
// The sex condition: " and (xb = 'v' or <both>)", rows for both sexes only, or nothing.
SqlFragment SexCondition(const std::string& xb);
// The age and sex conditions of a limit or grade lookup (item type "01": by age when a birth
// date is given, and by sex; others: age-free rows for both sexes). Raises OpRefusal-free
// std::invalid_argument for a birth or reference date that is no date.
SqlFragment PersonCondition(const JfbzKey& key);

// A date "yyyy-mm-dd", "yyyymmdd" or "yyyy-mm-dd hh:nn:ss" as "yyyy-mm-dd"; std::nullopt when it
// is no valid date.
std::optional<std::string> NormalDate(std::string_view text);
// The age in whole completed years on 1 January of the reference date's year.
int AgeOn(const std::string& csrq, const std::string& rq);

// How specific a found row is: agency, detail and (when the lookup names a sex, bySex) sex each
// count when the row names them, in that order of weight (higher first).
int Specificity(const nlohmann::ordered_json& row, bool bySex);
// Stable sort by Specificity, highest first; for grades only the most specific group is kept.
nlohmann::ordered_json MostSpecificFirst(nlohmann::ordered_json rows, bool bySex);
nlohmann::ordered_json MostSpecificGroup(const nlohmann::ordered_json& rows, bool bySex);

// An amount text or number in cents (rounded); std::nullopt when it is no number.
std::optional<long long> Cents(const nlohmann::ordered_json& value);
// An amount as text with two decimals ("380.00"); the value's text unchanged when it is no number.
std::string AmountText(const nlohmann::ordered_json& value);

}  // namespace velmor::fees
