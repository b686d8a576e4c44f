// TRcsbMgr: the enrolment years of residents' pension ("cbxzDjNf_YANGL") and medical insurance
// ("cbxzDjNf_YIL"). The host's regional setting of the key wins; a payer's system parameter of
// the same name comes next, as the other year rules read theirs; with neither, the current year.
#include <cctype>

#include "business/date_time.h"
#include "framework/host_access.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "framework/registry.h"
#include "velmor/sys_differ.h"
#include "velmor/sys_param.h"

namespace velmor {

using namespace declaration;

namespace {

std::string Trimmed(std::string text) {
  const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && space(static_cast<unsigned char>(text.back()))) text.pop_back();
  size_t first = 0;
  while (first < text.size() && space(static_cast<unsigned char>(text[first]))) ++first;
  return text.substr(first);
}

bool IsYear(const std::string& text) {
  if (text.size() != 4) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return text >= "1900";
}

std::string CurrentYear() { return LocalTimeText("%Y"); }

}  // namespace

bool TRcsbMgr::EnrolmentYear(const char* op, const char* key, std::string& year, std::string& error) {
  return Boundary(op, "", true, error, ErrorMessage, [&] {
    std::string value = Trimmed(GetSysDiffer()->GetDifferValue(key));
    if (value.empty()) {
      Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
      params->SetDjxh(CurrentDjxh());
      value = Trimmed(params->GetValueDef(key, ""));
    }
    if (value.empty()) {
      year = CurrentYear();
      return;
    }
    if (!IsYear(value)) throw Exception("参保登记年度[" + std::string(key) + "]配置无效：" + value);
    year = value;
  });
}

bool TRcsbMgr::GetCbxzDjNfYangl(std::string& year, std::string& error) {
  return EnrolmentYear("GetCbxzDjNfYangl", "cbxzDjNf_YANGL", year, error);
}

bool TRcsbMgr::GetCbxzDjNfYil(std::string& year, std::string& error) {
  return EnrolmentYear("GetCbxzDjNfYil", "cbxzDjNf_YIL", year, error);
}

}  // namespace velmor
