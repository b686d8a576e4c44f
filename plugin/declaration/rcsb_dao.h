// TRcsbDAO: the declaration store (IRcsbDAO) over ds_sbzb, ds_sbmxb, ds_sbrymxb and
// ds_sbjfrydjxxb; registered as row 6 of the service table.
//
// Each operation takes its own connection. The last-error text is the object's own, so one
// object serves one thread at a time. The saves (SaveSbData, SaveSbDataFk, UpdateSbztFk, UpdateSbyyFk, DeleteSbData, SaveSbrymxb,
// UpdateSbFk, FillNullFkssq and the two list downloads) run each in one transaction.
#pragma once

#include <cstdint>
#include <string>

#include "business/business_object.h"
#include "velmor/rcsb_dao.h"

namespace velmor {

namespace declaration {
class ParsedDeclaration;
}

class TRcsbDAO : public ServiceImpl<TSBBaseObj, IRcsbDAO> {
 public:
  VELMOR_PUBLISHED(TRcsbDAO, TSBBaseObj)

  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) override;
  bool UpdateSbzt(int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& zfsj) override;
  bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) override;
  bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) override;
  bool GetExistsJfndLb(const std::string& djxh, std::string& years) override;
  bool DelJfrydjxx(int32_t id) override;
  bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetSbzbCount(const std::string& filter, int32_t& count) override;
  bool GetStatsData(const std::string& djxh, const std::string& pmlx, const std::string& states,
                    std::string& stats) override;
  bool UpdateSbFk(int32_t id, const std::string& yzpzxh, const std::string& errors) override;
  bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) override;
  bool UpdateZfFk(int32_t id, const std::string& sbyy) override;
  bool GetJfrydjxxData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetJfrydjxxCount(const std::string& filter, int32_t& count) override;
  bool SaveSbData(const std::string& declaration, int32_t& id) override;
  bool GetDtjJfndLb(const std::string& djxh, const std::string& pmlx, std::string& years) override;
  bool GetSbrymxLb(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t page, int32_t pageSize,
                   std::string& rows) override;
  bool GetSbrymxCount(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t& count) override;
  bool GetSbrymxLb(int32_t mxbid, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetSbrymxCount(int32_t mxbid, int32_t& count) override;
  bool GetJfdjStatistics(const std::string& djxh, std::string& stats) override;
  bool SaveSbfysbqd(const std::string& djxh, const std::string& response) override;
  bool saveSbqdCxSjjk(const std::string& djxh, const std::string& response) override;
  bool GetYzpzxhLb(const std::string& djxh, std::string& rows) override;
  bool SaveSbrymxb(int32_t mxbid, const std::string& persons) override;
  bool UpdateSbxmbMisc(int32_t zbid, int32_t zrs, int32_t sfyrymx, int32_t sfyxzrymx) override;
  bool GetWxzrymxData(const std::string& djxh, std::string& rows) override;
  bool DealNullXm(const std::string& djxh, int32_t& filled) override;
  bool GetSbRymxData(int32_t id, std::string& rows) override;
  bool QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                      std::string& rows) override;
  bool GetSbzbByYblsh(const std::string& djxh, const std::string& yblsh, std::string& row) override;
  bool UpdateSbyyFk(int32_t id, const std::string& sbyy, const std::string& errors) override;
  bool UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) override;
  bool getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                           std::string& rows) override;
  bool CleanSbWithoutFkssq(const std::string& djxh, int32_t& removed) override;
  bool SaveSbDataFk(const std::string& declaration, const std::string& sbyy, const std::string& yzpzxh,
                    const std::string& errors, int32_t& id) override;
  bool FillNullFkssq(const std::string& djxh, int32_t& filled) override;
  bool UpdateSbztFk(int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& yzpzxh,
                    const std::string& errors) override;
  bool DeleteSbData(int32_t id) override;

  // SaveSbData of a declaration read already: a submission reads the text once, for its
  // document and for the store. The same rows, failures and log lines as from its text.
  bool SaveSbData(const declaration::ParsedDeclaration& declaration, int32_t& id);

 private:
  bool SaveList(const char* op, const std::string& djxh, const std::string& response, bool dataInterface);
};

}  // namespace velmor
