// The rule file on disk: reading it into a JSON object and writing it back atomically (a
// temporary file beside it, then a rename), so a failure mid-write leaves the old file whole.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace velmor::dict {

// The parsed file; an empty object when the file does not exist. Raises std::runtime_error
// ("规则文件格式错误：<parser message>") for a file that is not a JSON object, or one that
// cannot be read.
nlohmann::json ReadRuleFile(const std::string& path);

// Writes rules as JSON text to path through path + ".tmp"; creates the directory. Raises
// std::runtime_error naming the path when writing or renaming fails (the old file stays).
void WriteRuleFile(const std::string& path, const nlohmann::json& rules);

}  // namespace velmor::dict
