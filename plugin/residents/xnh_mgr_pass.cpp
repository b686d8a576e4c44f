// The manager's operations that answer from the store alone: each passes its arguments straight
// to IXnhDAO and takes over the store's last-error text, so that a caller holding only the
// manager sees the same answers and messages as one holding the store.
#include "residents/xnh_mgr.h"

#include <utility>

namespace velmor {

template <class R, class... P, class... A>
R TXnhMgr::Pass(R fallback, R (IXnhDAO::*op)(P...), A&&... args) {
  ErrorMessage.clear();
  Ref<IXnhDAO> dao = GetDAO();  // sets the message when the store cannot be had
  if (!dao) return fallback;
  R result = ((*dao).*op)(std::forward<A>(args)...);
  ErrorMessage = dao->GetErrorMessage();
  return result;
}

namespace {
const std::string kEmptyList = "[]";
}  // namespace

bool TXnhMgr::HasXnhDjxx(const std::string& djxh) { return Pass(false, &IXnhDAO::HasXnhDjxx, djxh); }

bool TXnhMgr::SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) {
  bool ok = Pass(false, &IXnhDAO::SaveXnhDjxx, djxh, offices, message);
  if (!ok && message.empty()) message = ErrorMessage;
  return ok;
}

std::string TXnhMgr::GetXnhJbxx(const std::string& djxh) { return Pass(kEmptyList, &IXnhDAO::GetXnhJbxx, djxh); }

std::string TXnhMgr::getZgswksDmLb(const std::string& djxh) {
  return Pass(kEmptyList, &IXnhDAO::getZgswksDmLb, djxh);
}

std::string TXnhMgr::getSqhczData(const std::string& djxh, const std::string& xzjddm) {
  return Pass(kEmptyList, &IXnhDAO::getSqhczData, djxh, xzjddm);
}

std::string TXnhMgr::getCbxxData(const std::string& djxh, const std::string& sbjbjgdm, int32_t page,
                                 int32_t pageSize) {
  return Pass(kEmptyList, &IXnhDAO::getCbxxData, djxh, sbjbjgdm, page, pageSize);
}

std::string TXnhMgr::GetSwjgList(const std::string& djxh) { return Pass(kEmptyList, &IXnhDAO::GetSwjgList, djxh); }

std::string TXnhMgr::GetXzjdData(const std::string& djxh, const std::string& sbjbjgdm) {
  return Pass(kEmptyList, &IXnhDAO::GetXzjdData, djxh, sbjbjgdm);
}

std::string TXnhMgr::GetZsxmDmList(const std::string& djxh, const std::string& sbjbjgdm) {
  return Pass(kEmptyList, &IXnhDAO::GetZsxmDmList, djxh, sbjbjgdm);
}

std::string TXnhMgr::GetZspmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm) {
  return Pass(kEmptyList, &IXnhDAO::GetZspmDmList, djxh, sbjbjgdm, zsxmdm);
}

std::string TXnhMgr::GetZszmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm,
                                   const std::string& zspmdm) {
  return Pass(kEmptyList, &IXnhDAO::GetZszmDmList, djxh, sbjbjgdm, zsxmdm, zspmdm);
}

bool TXnhMgr::saveZjms(const std::string& djxh, const std::vector<XnhZjmsEntry>& entries, std::string& message) {
  bool ok = Pass(false, &IXnhDAO::saveZjms, djxh, entries, message);
  if (!ok && message.empty()) message = ErrorMessage;
  return ok;
}

bool TXnhMgr::getZjms(const std::string& djxh, int32_t& total, int32_t& mode01, int32_t& mode02) {
  return Pass(false, &IXnhDAO::getZjms, djxh, total, mode01, mode02);
}

std::string TXnhMgr::GetSbjbjgList(const std::string& djxh, const std::string& dwbh) {
  return Pass(kEmptyList, &IXnhDAO::GetSbjbjgList, djxh, dwbh);
}

std::string TXnhMgr::getXzjdZspm(const std::string& djxh) { return Pass(kEmptyList, &IXnhDAO::getXzjdZspm, djxh); }

std::string TXnhMgr::GetDwbhList(const std::string& djxh, const std::string& yxbz, const std::string& sbjbjgdm) {
  return Pass(kEmptyList, &IXnhDAO::GetDwbhList, djxh, yxbz, sbjbjgdm);
}

std::string TXnhMgr::GetSbjbjgText(const std::string& djxh) {
  return Pass(std::string(), &IXnhDAO::GetSbjbjgText, djxh);
}

std::string TXnhMgr::getYxCbxx(const std::string& djxh, const std::string& month) {
  return Pass(kEmptyList, &IXnhDAO::getYxCbxx, djxh, month);
}

std::string TXnhMgr::getJtbzhSwjgDmList(const std::string& djxh) {
  return Pass(kEmptyList, &IXnhDAO::getJtbzhSwjgDmList, djxh);
}

std::string TXnhMgr::getAllJfrZsxmList(const std::string& djxh, const std::vector<std::string>& marks,
                                       const std::string& dwbh, const std::string& sbjbjgdm) {
  return Pass(kEmptyList, &IXnhDAO::getAllJfrZsxmList, djxh, marks, dwbh, sbjbjgdm);
}

std::string TXnhMgr::getSbjbjgDwbhList(const std::string& djxh) {
  return Pass(kEmptyList, &IXnhDAO::getSbjbjgDwbhList, djxh);
}

std::string TXnhMgr::getAllDwbhList(const std::string& djxh, const std::vector<std::string>& marks,
                                    const std::string& yxbz) {
  return Pass(kEmptyList, &IXnhDAO::getAllDwbhList, djxh, marks, yxbz);
}

std::string TXnhMgr::getJtbzhZspmZszmList(const std::string& djxh, const std::vector<std::string>& units) {
  return Pass(kEmptyList, &IXnhDAO::getJtbzhZspmZszmList, djxh, units);
}

}  // namespace velmor
