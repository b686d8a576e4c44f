// The checks a declaration document passes before it is sent (`velmor declare check`, and
// `declare submit` unless --force): names present, identity numbers well formed (type "201":
// 18 characters, a real birth date, the check digit), codes known to the dictionaries, no
// negative amount, totals equal to the sums of their rows. The server would refuse such a
// declaration only after it was journalled and numbered; checked here it never leaves.
// Pure functions; any thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::cli {

// Whether `code` is in dictionary `dict` ("dict_zjlx", "dict_sbjbjg", "dict_swjg"); nullopt when
// that dictionary is not loaded, and the code is then taken as it is.
using CodeLookup = std::function<std::optional<bool>(const std::string& dict, const std::string& code)>;

// Why a resident identity number (type "201") is not well formed: "" when it is. Checks the
// length (18), the digits, the birth date (yyyymmdd from 1900 on, a real day) and the check digit.
std::string IdNumberProblem(const std::string& zjhm);

// The problems of a declaration document, each a line naming where it is ("第2行人员（李四）：证件
// 号码校验位错误"); persons are numbered by row across the details, from 1. Empty when it passes.
std::vector<std::string> CheckDeclaration(const nlohmann::json& document, const CodeLookup& codes);

}  // namespace velmor::cli
