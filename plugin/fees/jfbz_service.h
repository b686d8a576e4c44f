// TJfbzImpl: the fee-standard service (IJfbz), registered as row 18 of the service table. The
// rules are read through the store (IJfbzDAO from the service factory:
// "创建平台组件接口[IJfbzDAO]失败！" when absent); the per-person standard of a line is
// computed in FeeStandard below, shared by the check, the standard and the grade match.
// One object is used by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "velmor/jfbz.h"
#include "velmor/jfbz_dao.h"

namespace velmor {

inline constexpr const char* kJfbzNoDao = "创建平台组件接口[IJfbzDAO]失败！";
inline constexpr const char* kJfdcPzFailed = "缴费档次配置异常。";
inline constexpr const char* kJffsPzFailed = "缴费方式配置异常。";
inline constexpr const char* kJfsxxPzFailed = "缴费上下限配置异常。";
inline constexpr const char* kXzListEmpty = "险种列表为空";
inline constexpr const char* kJfdcNotMatched = "未匹配到该险种缴费档次";

namespace fees {

// The standard of one insurance line: the line with pmlx, jffs and jfsxx or dcList/yjfedcList,
// `valid` and, when not valid, `message` (the texts of the per-person standard). Raises
// velmor::Exception with the store's text when a lookup fails.
nlohmann::ordered_json FeeStandard(IJfbzDAO& dao, const nlohmann::ordered_json& line);

}  // namespace fees

class TJfbzImpl : public ServiceImpl<TSBBaseObj, IJfbz> {
 public:
  VELMOR_PUBLISHED(TJfbzImpl, TSBBaseObj)

  bool SaveJfbz(const std::string& rule, std::string& message) override;
  bool GetJfdcPz(const std::string& key, std::string& rows, std::string& message) override;
  bool GetJffsPz(const std::string& key, std::string& rows, std::string& message) override;
  bool GetJfsxxPz(const std::string& key, std::string& rows, std::string& message) override;
  bool GetZspmPz(const std::string& pmlx, const std::string& sbjbjgdm, std::string& rows,
                 std::string& message) override;
  bool CheckGrJfbz(const std::string& lines, std::string& result, std::string& message) override;
  bool GetJfbzOptions(const std::string& key, std::string& result, std::string& message) override;
  bool GetGrJfbz(const std::string& line, std::string& result, std::string& message) override;
  bool synHqjfdcxx(const std::string& params, std::string& yblsh, std::string& message) override;
  bool synHqjfdcxxFk(const std::string& yblsh, std::string& result, bool& ready, std::string& message) override;
  bool MatchJfdc(const std::string& lines, std::string& result, std::string& message) override;
  bool synJfbzGz(std::string& counts, std::string& message) override;

 private:
  // Runs body on the boundary "[TJfbzImpl.<op>]异常："; message and ErrorMessage get the text of
  // an own refusal as it stands, `prefix` + the text of any other failure.
  bool Run(const char* op, const char* prefix, std::string& message, const std::function<void()>& body);
};

}  // namespace velmor
