// TXnhMgr: the scheme-account manager (IXnhMgr), registered as row 8 of the service table. It
// talks to the server through the taxML exchange (codec/taxml_*.h) and keeps the account in its
// store (IXnhDAO, from the service factory: "创建平台组件接口[IXnhDAO]失败！" when absent).
// Operations 10-32 pass straight to the store (xnh_mgr_pass.cpp).
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
  bool HasXnhDjxx(const std::string& djxh) override;
  bool SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) override;
  std::string GetXnhJbxx(const std::string& djxh) override;
  std::string getZgswksDmLb(const std::string& djxh) override;
  std::string getSqhczData(const std::string& djxh, const std::string& xzjddm) override;
  std::string getCbxxData(const std::string& djxh, const std::string& sbjbjgdm, int32_t page,
                          int32_t pageSize) override;
  std::string GetSwjgList(const std::string& djxh) override;
  std::string GetXzjdData(const std::string& djxh, const std::string& sbjbjgdm) override;
  std::string GetZsxmDmList(const std::string& djxh, const std::string& sbjbjgdm) override;
  std::string GetZspmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm) override;
  std::string GetZszmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm,
                            const std::string& zspmdm) override;
  bool saveZjms(const std::string& djxh, const std::vector<XnhZjmsEntry>& entries, std::string& message) override;
  bool getZjms(const std::string& djxh, int32_t& total, int32_t& mode01, int32_t& mode02) override;
  std::string GetSbjbjgList(const std::string& djxh, const std::string& dwbh) override;
  std::string getXzjdZspm(const std::string& djxh) override;
  std::string GetDwbhList(const std::string& djxh, const std::string& yxbz, const std::string& sbjbjgdm) override;
  std::string GetSbjbjgText(const std::string& djxh) override;
  std::string getYxCbxx(const std::string& djxh, const std::string& month) override;
  std::string getJtbzhSwjgDmList(const std::string& djxh) override;
  std::string getAllJfrZsxmList(const std::string& djxh, const std::vector<std::string>& marks,
                                const std::string& dwbh, const std::string& sbjbjgdm) override;
  std::string getSbjbjgDwbhList(const std::string& djxh) override;
  std::string getAllDwbhList(const std::string& djxh, const std::vector<std::string>& marks,
                             const std::string& yxbz) override;
  std::string getJtbzhZspmZszmList(const std::string& djxh, const std::vector<std::string>& units) override;
  Ref<IXnhDAO> GetDAO() override;
  bool GetXzlxList(const std::string& djxh, std::vector<std::string>& types) override;
  Ref<IXnhCbxxQc> NewCbxxQc() override;

 private:
  // Calls the store's operation, copying its last-error text; `fallback` when there is no store.
  template <class R, class... P, class... A>
  R Pass(R fallback, R (IXnhDAO::*op)(P...), A&&... args);

  std::map<std::string, std::string> sbdjxh_;  // office -> registration number (last "0224")
};

}  // namespace velmor
