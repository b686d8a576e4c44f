// TXnhMgr: the scheme-account manager (IXnhMgr), registered as row 8 of the service table. It
// talks to the server through the taxML exchange (codec/taxml_*.h) and keeps the account in its
// store (IXnhDAO, from the service factory: "创建平台组件接口[IXnhDAO]失败！" when absent).
// The answer of "0224" (office -> registration number) is kept in the object for getSbdjxh.
// One object is used by one thread at a time.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "business/business_object.h"
#include "velmor/xnh_mgr.h"

namespace velmor {

inline constexpr const char* kXnhSystemError = "系统异常，请稍后再试";
inline constexpr const char* kXnhNoDaoMessage = "创建平台组件接口[IXnhDAO]失败！";
inline constexpr const char* kXnhNoOffice = "当前虚拟户无有效税务机关。";

// The account of a "0001" answer's cxjmXnhDjxxList ("null" communities become empty).
std::vector<XnhJbxx> ParseXnhDjxx(pugi::xml_node list);

class TXnhMgr : public ServiceImpl<TSBBaseObj, IXnhMgr> {
 public:
  VELMOR_PUBLISHED(TXnhMgr, TSBBaseObj)

  bool DjxxXz(IProgressView* progress) override;
  bool downloadZjms(IProgressView* progress) override;
  bool synXnhsbdjxhCx(IProgressView* progress) override;
  bool getSbdjxh(const std::string& swjgdm, std::string& sbdjxh) override;
  bool synJfqdCx(const std::string& fkssqq, const std::string& fkssqz, std::string& yblsh) override;
  bool synJfqdCxFk(const std::string& yblsh, std::string& json) override;
  bool queryXnhCbxxItems(IXnhCbxxQc* condition, Ref<IXnhCbxxItems>& items) override;
  bool isYjgl() override;
  bool isYbgzdjXnh() override;
  Ref<IXnhDAO> GetDAO() override;
  bool GetXzlxList(const std::string& djxh, std::vector<std::string>& types) override;
  Ref<IXnhCbxxQc> NewCbxxQc() override;

 private:
  std::map<std::string, std::string> sbdjxh_;  // office -> registration number (last "0224")
};

}  // namespace velmor
