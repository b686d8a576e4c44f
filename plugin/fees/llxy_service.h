// TLlxyServiceImpl: the two-party payment agreements (ILlxyService), registered as row 33 of the
// service table. The lists of "行政区银行列表.json" are read by LoadData (and on first use) and
// kept in the object. One object is used by one thread at a time.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "codec/taxml_request.h"
#include "velmor/llxy_service.h"

namespace velmor {

namespace fees {
// The HXZGZS10304Request document of an agreement: one ZSsfxyVO with its elements in order,
// czlxDm from the argument and syxz the "dm" of every "syxz" entry joined with ",".
taxml::RequestDocument LlxyDocument(const nlohmann::ordered_json& agreement, const std::string& czlxDm);
}  // namespace fees

class TLlxyServiceImpl : public ServiceImpl<TSBBaseObj, ILlxyService> {
 public:
  VELMOR_PUBLISHED(TLlxyServiceImpl, TSBBaseObj)

  bool synLlxyBc(const std::string& agreement, const std::string& czlxDm, std::string& sfxydjuuid,
                 std::string& sfxyyzxx, std::string& message) override;
  bool synLlxyCx(std::string& agreements, std::string& message) override;
  bool dzswjCheckCaptcha(const std::string& cardNo, const std::string& certType, const std::string& certNo,
                         const std::string& name, const std::string& phoneNo, std::string& message) override;
  void LoadData() override;
  std::string GetYhhbList() override;
  std::string GetXzqhList() override;
  std::string GetYhwdList(const std::string& xzqhdm) override;
  std::string GetXjXzqhList(const std::string& xzqhdm) override;

 private:
  void EnsureLoaded();
  bool loaded_ = false;
  nlohmann::ordered_json yhhb_ = nlohmann::ordered_json::array();   // "code=name"
  nlohmann::ordered_json xzqh_ = nlohmann::ordered_json::array();   // "code=name"
  nlohmann::ordered_json regions_ = nlohmann::ordered_json::object();  // code -> {yhLb, xjLb}
};

}  // namespace velmor
