#include "dictionary/rule_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "codec/file_utils.h"
#include "velmor/json_depth.h"

namespace velmor::dict {

nlohmann::json ReadRuleFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return nlohmann::json::object();
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("无法读取规则文件：" + path);
  std::stringstream text;
  text << in.rdbuf();
  nlohmann::json rules;
  if (!JsonDepthWithin(text.str())) throw std::runtime_error("规则文件格式错误：" + JsonTooDeepText());
  try {
    rules = nlohmann::json::parse(text.str());
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(std::string("规则文件格式错误：") + e.what());
  }
  if (!rules.is_object()) throw std::runtime_error("规则文件格式错误：内容不是JSON对象");
  return rules;
}

void WriteRuleFile(const std::string& path, const nlohmann::json& rules) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  std::string error;
  if (!WriteFileAtomically(path, rules.dump(), error)) throw std::runtime_error("写规则文件失败：" + path + "（" + error + "）");
}

}  // namespace velmor::dict
