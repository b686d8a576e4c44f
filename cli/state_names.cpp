#include "cli/state_names.h"

namespace velmor::cli {

const char* PersonStateName(const std::string& cbzt) {
  if (cbzt == "1") return "参保中";
  if (cbzt == "2") return "参保已终止";
  if (cbzt == "3") return "无参保项目";
  return "未计算";
}

const char* PersonOriginName(const std::string& ly) { return ly == "1" ? "本地添加" : "服务器下载"; }

const char* PersonRegistrationName(const std::string& djzt) { return djzt == "0" ? "未登记" : "已登记"; }

}  // namespace velmor::cli
