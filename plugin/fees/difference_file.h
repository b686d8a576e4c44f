// The per-platform data files of the fee services ("sqyh.json", "行政区银行列表.json"): under the
// "M8" data directory, AppComs/Difference/<platform name>/. Reads on the caller's thread; the
// host's platform manager must have been obtained on the main thread first.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace velmor::fees {

// The file parsed as JSON. Raises service::OpRefusal "缺少配置文件：<path>" when it is missing
// and "配置文件格式错误：<path>" when it is no JSON.
nlohmann::ordered_json ReadDifferenceFile(const std::string& name);

}  // namespace velmor::fees
