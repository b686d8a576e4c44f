// TTsJkMgr: special-group declarations (ITsJkMgr), registered as row 36 of the service table.
// Server operations are rows of the call helper (service/server_call.h); the store is
// ITsrqsbjfDAO from the service factory ("创建平台组件接口[ITsrqsbjfDAO]失败！" when absent). The
// declaration and its verdict are in tsjk_declare.cpp. One object is used by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "service/server_call.h"
#include "velmor/tsjk_mgr.h"
#include "velmor/tsrqsbjf_dao.h"

namespace velmor {

inline constexpr const char* kTsJkNoDao = "创建平台组件接口[ITsrqsbjfDAO]失败！";
inline constexpr const char* kTsJkClass = "TTsJkMgr";
// The server's result code of a declaration it queued: the verdict comes later by serial.
inline constexpr const char* kTsJkQueued = "10042";

namespace special {
// The outcome of a declaration or verdict as the result object; sbzt 1, 2 or 3.
struct Outcome {
  std::string yblsh, yjfehj, yzpzxh, sbrq, cwxx;
  int32_t sbzt = 0;
  nlohmann::ordered_json ToJson() const;
};
// A success answer's three required elements ("反馈报文缺少<yjfehj>节点。" and the like).
Outcome DeclaredOutcome(const pugi::xml_node& root);
Ref<ITsrqsbjfDAO> Dao();
}  // namespace special

class TTsJkMgr : public ServiceImpl<TSBBaseObj, ITsJkMgr> {
 public:
  VELMOR_PUBLISHED(TTsJkMgr, TSBBaseObj)

  bool GetJfdcList(const std::string& item, const std::string& years, const std::string& agencies,
                   std::string& grades, std::string& message) override;
  bool YlycxtjCx(const std::string& person, std::string& history, std::string& message) override;
  bool tsrqSbfxxBc(const std::string& person, const std::string& content, IProgressView* progress,
                   std::string& result, std::string& message) override;
  bool SaveSbjl(const std::string& rows, std::string& message) override;
  bool tsrqSbfxxBcGetFK(const std::string& yblsh, IProgressView* progress, std::string& result,
                        std::string& message) override;
  bool getSbjbjgSdnd(const std::string& sbjbjgDm, std::string& year, std::string& message) override;
  bool getLnbjdc(const std::string& year, std::string& grades, std::string& message) override;

 private:
  // Runs a row's body: message and ErrorMessage get the failure's text (service::RunOp).
  bool Op(const service::OpRow& row, std::string& message, const std::function<void()>& body);
};

}  // namespace velmor
