// Matching helpers shared by the rule tables: codes with the "%" wildcard, dates and numbers
// read from rule rows, and the "_"-joined keys of the keyed tables. Pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velmor::dict {

inline constexpr const char* kWildcard = "%";

// True when the row's code is "%" or equals the wanted code, ignoring ASCII case. An empty row
// code matches only an empty wanted code.
bool CodeMatches(std::string_view rowCode, std::string_view wanted);

// A date as the number yyyymmdd: accepts "yyyymmdd", "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss" and a
// JSON number; nullopt for anything else (empty included).
std::optional<long> DateNumber(std::string_view text);
std::optional<long> JsonDateNumber(const nlohmann::json& value);

// A whole number from text or a JSON number ("18", 18, "18.0"); nullopt for anything else.
std::optional<double> NumberOf(const nlohmann::json& value);

// True when low <= x <= high, an absent bound (missing member or empty text) counting as open.
// A bound that is present but not a number never matches.
bool InNumberRange(double x, const nlohmann::json& row, const char* low, const char* high);
bool InDateRange(long date, const nlohmann::json& row, const char* low, const char* high);

// Parts joined by "_" ("J1_102101000"), the key form of the keyed tables. Parts are folded to
// lower case so that lookups ignore letter case.
std::string JoinKey(std::initializer_list<std::string_view> parts);

}  // namespace velmor::dict
