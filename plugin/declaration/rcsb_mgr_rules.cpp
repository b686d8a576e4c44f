// TRcsbMgr: the rules that come from system parameters: whether residents' declared amounts
// replace payable ones, and the payment years allowed for residents' pension and medical
// insurance.
#include <algorithm>
#include <sstream>

#include "framework/taxml_host.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "velmor/sys_param.h"

namespace velmor {

using namespace declaration;

namespace {

std::string Param(const std::string& key) {
  Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
  params->SetDjxh(taxml::CurrentDjxh());
  return params->GetValueDef(key, "");
}

// The years of "CXJMJFND_YANGLAO" / "CXJMJFND_YILIAO": separated by ",", "|", ";" or spaces.
std::vector<std::string> Years(const std::string& kind) {
  if (kind != "YANGLAO" && kind != "YILIAO") throw Exception("不支持的险种类型[" + kind + "]");
  std::string text = Param("CXJMJFND_" + kind);
  std::replace_if(text.begin(), text.end(), [](char c) { return c == ',' || c == '|' || c == ';'; }, ' ');
  std::vector<std::string> years;
  std::istringstream in(text);
  for (std::string y; in >> y;) {
    if (std::find(years.begin(), years.end(), y) == years.end()) years.push_back(y);
  }
  if (years.empty()) throw Exception("未配置城乡居民缴费年度[CXJMJFND_" + kind + "]");
  return years;
}

std::string Joined(const std::vector<std::string>& years) {
  std::string out;
  for (const std::string& y : years) out += (out.empty() ? "" : ",") + y;
  return out;
}

}  // namespace

bool TRcsbMgr::IsCxjmSjyjfeEnabled() {
  try {
    return Param("ENABLE_CXJMYTB") == "Y" && Param("ENABLE_CXJMCXSJYJFE") == "Y";
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    LogMgr("IsCxjmSjyjfeEnabled", e.what());
  }
  return false;
}

bool TRcsbMgr::CleanSbWithoutFkssq(int32_t& removed) {
  removed = 0;
  try {
    if (Param("ENABLE_DSSBFSB_SHOW_FKSSQ") != "Y") return true;
    Ref<IRcsbDAO> dao = Dao();
    if (dao->CleanSbWithoutFkssq(taxml::CurrentDjxh(), removed)) return true;
    ErrorMessage = dao->GetErrorMessage();
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    LogMgr("CleanSbWithoutFkssq", e.what());
  }
  return false;
}

bool TRcsbMgr::handleSbcgNullFkssq(int32_t& filled) {
  filled = 0;
  try {
    Ref<IRcsbDAO> dao = Dao();
    if (dao->FillNullFkssq(taxml::CurrentDjxh(), filled)) return true;
    ErrorMessage = dao->GetErrorMessage();
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    LogMgr("handleSbcgNullFkssq", e.what());
  }
  return false;
}

bool TRcsbMgr::GetCxjmJfndLb(const std::string& kind, std::string& years, std::string& error) {
  return Boundary("GetCxjmJfndLb", "", true, error, ErrorMessage, [&] {
    Json list = Json::array();
    for (const std::string& y : Years(kind)) list.push_back(y);
    years = list.dump();
  });
}

bool TRcsbMgr::CheckCxjmJfnd(const std::string& kind, const std::string& jfnd, std::string& error) {
  return Boundary("CheckCxjmJfnd", "", true, error, ErrorMessage, [&] {
    const std::vector<std::string> years = Years(kind);
    if (std::find(years.begin(), years.end(), jfnd) == years.end()) {
      throw Exception("缴费年度只能是 [ " + Joined(years) + " ] 范围内的年度");
    }
  });
}

}  // namespace velmor
