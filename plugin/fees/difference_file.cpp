#include "fees/difference_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/host_access.h"
#include "service/taxml_json.h"
#include "codec/json_parse.h"

namespace velmor::fees {

nlohmann::ordered_json ReadDifferenceFile(const std::string& name) {
  Ref<IPlatformManager> platform = GetPlatformManager();
  const std::filesystem::path path = std::filesystem::path(platform->GetModuleDataDir("M8")) / "AppComs" /
                                     "Difference" / platform->GetPlatformName() / name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw service::OpRefusal("缺少配置文件：" + path.string());
  std::stringstream text;
  text << in.rdbuf();
  nlohmann::ordered_json out = ParseOutsideJson<nlohmann::ordered_json>(text.str(), false);
  if (out.is_discarded()) throw service::OpRefusal("配置文件格式错误：" + path.string());
  return out;
}

}  // namespace velmor::fees
