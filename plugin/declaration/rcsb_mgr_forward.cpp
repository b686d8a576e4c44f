// TRcsbMgr: the operations that forward to the declaration store (IRcsbDAO) unchanged; a failure
// copies the store's error text.
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"

namespace velmor {

bool TRcsbMgr::UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) {
  return Forward("UpdateZfFk", [&](IRcsbDAO& d) { return d.UpdateZfFk(id, sbzt, sbyy); });
}
bool TRcsbMgr::GetExistsJfndLb(const std::string& djxh, std::string& years) {
  return Forward("GetExistsJfndLb", [&](IRcsbDAO& d) { return d.GetExistsJfndLb(djxh, years); });
}
bool TRcsbMgr::GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) {
  return Forward("GetSbmxData", [&](IRcsbDAO& d) { return d.GetSbmxData(id, zspmdm, rows); });
}
bool TRcsbMgr::DelJfrydjxx(int32_t id) {
  return Forward("DelJfrydjxx", [&](IRcsbDAO& d) { return d.DelJfrydjxx(id); });
}
bool TRcsbMgr::GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) {
  return Forward("GetSbzbData", [&](IRcsbDAO& d) { return d.GetSbzbData(filter, page, pageSize, rows); });
}
bool TRcsbMgr::GetSbzbCount(const std::string& filter, int32_t& count) {
  return Forward("GetSbzbCount", [&](IRcsbDAO& d) { return d.GetSbzbCount(filter, count); });
}
bool TRcsbMgr::GetStatsData(const std::string& djxh, const std::string& pmlx, const std::string& states,
                            std::string& stats) {
  return Forward("GetStatsData", [&](IRcsbDAO& d) { return d.GetStatsData(djxh, pmlx, states, stats); });
}
bool TRcsbMgr::GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) {
  return Forward("GetWjkDataLb", [&](IRcsbDAO& d) { return d.GetWjkDataLb(djxh, states, vouchers); });
}
bool TRcsbMgr::UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) {
  return Forward("UpdateJkzt", [&](IRcsbDAO& d) { return d.UpdateJkzt(djxh, yzpzxh, jkzt); });
}
bool TRcsbMgr::GetJfrydjxxData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) {
  return Forward("GetJfrydjxxData", [&](IRcsbDAO& d) { return d.GetJfrydjxxData(filter, page, pageSize, rows); });
}
bool TRcsbMgr::GetJfrydjxxCount(const std::string& filter, int32_t& count) {
  return Forward("GetJfrydjxxCount", [&](IRcsbDAO& d) { return d.GetJfrydjxxCount(filter, count); });
}
bool TRcsbMgr::GetDtjJfndLb(const std::string& djxh, const std::string& pmlx, std::string& years) {
  return Forward("GetDtjJfndLb", [&](IRcsbDAO& d) { return d.GetDtjJfndLb(djxh, pmlx, years); });
}
bool TRcsbMgr::GetSbrymxLb(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t page, int32_t pageSize,
                           std::string& rows) {
  return Forward("GetSbrymxLb", [&](IRcsbDAO& d) { return d.GetSbrymxLb(mxbid, zspmdm, jyzt, page, pageSize, rows); });
}
bool TRcsbMgr::GetSbrymxCount(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t& count) {
  return Forward("GetSbrymxCount", [&](IRcsbDAO& d) { return d.GetSbrymxCount(mxbid, zspmdm, jyzt, count); });
}
bool TRcsbMgr::GetSbrymxLb(int32_t mxbid, int32_t page, int32_t pageSize, std::string& rows) {
  return Forward("GetSbrymxLb", [&](IRcsbDAO& d) { return d.GetSbrymxLb(mxbid, page, pageSize, rows); });
}
bool TRcsbMgr::GetSbrymxCount(int32_t mxbid, int32_t& count) {
  return Forward("GetSbrymxCount", [&](IRcsbDAO& d) { return d.GetSbrymxCount(mxbid, count); });
}
bool TRcsbMgr::GetJfdjStatistics(const std::string& djxh, std::string& stats) {
  return Forward("GetJfdjStatistics", [&](IRcsbDAO& d) { return d.GetJfdjStatistics(djxh, stats); });
}
bool TRcsbMgr::GetWxzrymxData(const std::string& djxh, std::string& rows) {
  return Forward("GetWxzrymxData", [&](IRcsbDAO& d) { return d.GetWxzrymxData(djxh, rows); });
}
bool TRcsbMgr::GetSbRymxData(int32_t id, std::string& rows) {
  return Forward("GetSbRymxData", [&](IRcsbDAO& d) { return d.GetSbRymxData(id, rows); });
}
bool TRcsbMgr::QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                              std::string& rows) {
  return Forward("QuerySbzbDatas", [&](IRcsbDAO& d) { return d.QuerySbzbDatas(djxh, yzpzxhs, zspmdms, rows); });
}
bool TRcsbMgr::GetYzpzxhLb(const std::string& djxh, std::string& rows) {
  return Forward("GetYzpzxhLb", [&](IRcsbDAO& d) { return d.GetYzpzxhLb(djxh, rows); });
}
bool TRcsbMgr::DealNullXm(const std::string& djxh, int32_t& filled) {
  return Forward("DealNullXm", [&](IRcsbDAO& d) { return d.DealNullXm(djxh, filled); });
}
bool TRcsbMgr::UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) {
  return Forward("UpdateZzsbJfje", [&](IRcsbDAO& d) { return d.UpdateZzsbJfje(id, jfje, yjfje, ybtfe, sjyjfe); });
}
bool TRcsbMgr::getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                                   std::string& rows) {
  return Forward("getAllJfrlxYzmxList", [&](IRcsbDAO& d) { return d.getAllJfrlxYzmxList(djxh, sbrqq, sbrqz, rows); });
}

}  // namespace velmor
