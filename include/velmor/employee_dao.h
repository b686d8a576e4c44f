// IEmployeeDao: the roster store (class TEmployeeDaoImpl): persons (sb_ryjbxxb), their
// enrolments with agencies (sb_rycbjgxxb), insured items (sb_rycbxmb), payment states per year
// (ds_ryjfztb) and groups (sb_fzxxb). Registered under this interface's GUID string.
//
// Results: lists are JSON arrays of objects keyed by column name (values as text, NULL as "");
// "name=value" lists are lines separated by "\n". Pages count from 1; -1 means all rows.
// Failures: no operation raises. A failure is logged ("[异常]TEmployeeDaoImpl.<op>：[<text>]" or
// "[TEmployeeDaoImpl.<op>]异常：<text>") and answers false, -1 for a count, "[]" (or "{}" /
// "") for a list; the user message ("数据库查询失败。", "数据库更新失败。", ...) is the last-error
// text (GetErrorMessage) and, where an operation has one, its `message` out-parameter.
// Each call takes its own connection. One object is used by one thread at a time.
// Operations are in slot order after the two of IServiceIntf.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/roster_types.h"

namespace velmor {

class IEmployeeDao : public IServiceIntf {
 public:
  VELMOR_IID("{A98666E1-C49F-43AB-88B2-CFEA946F1CE2}")
  // 1: the rows of a person query the caller passes.
  virtual std::string getData(const std::string& sql) = 0;
  // 2: persons joined with their enrolments, by name (like), ID type, ID number (like), paged.
  virtual std::string getDataPage(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                  const std::string& zjhm, int32_t page, int32_t pageSize) = 0;
  // 3: distinct persons by origin and summary state (empty: any).
  virtual int32_t getRyCount(const std::string& djxh, RyOrigin ly, const std::string& cbzt) = 0;
  // 4: persons with valid items of one sub-item type running in `month` or later.
  virtual int32_t getCountByZsxmdm(const std::string& djxh, const std::string& pmlx, const std::string& month) = 0;
  // 5: stores a registration download (the response document of "0040"); on success also the
  // parameters "ygcbxx_gxsj" and "ygcbxx_maxid".
  virtual bool addOrUpdateYgcbxx(const std::string& djxh, const std::string& xml, std::string& message) = 0;
  // 6: one person: drops its items ending before `month`; then its enrolments and the person
  // when no item is left.
  virtual bool delInvalidData(const std::string& djxh, const std::string& rydjxh, const std::string& month) = 0;
  // 7: distinct (sbjbjgdm, zsxmdm, zspmdm, zszmdm) of items whose sub-item has type `pmlx`.
  virtual std::string getAllCbxmList(const std::string& djxh, const std::string& pmlx) = 0;
  // 8
  virtual bool UpdatePhoneNumber(const std::string& djxh, const std::string& rydjxh, const std::string& phone) = 0;
  // 9: "xm|zjlx|zjhm=<value>" for every person, the value being the column `valueColumn`
  // (one of rydjxh, id, phonenumber, fzid, fullpath, cbzt, ly, djzt, hh, bzxx).
  virtual std::string GetHashList(const std::string& djxh, const std::string& valueColumn) = 0;
  // 10
  virtual bool UpdateGroupInfo(const std::string& djxh, const std::string& rydjxh, int32_t fzid,
                               const std::string& fullpath) = 0;
  // 11: the roster page: persons with their group's fullname, newest first; `zs` receives the
  // number of rows of the same filters.
  virtual std::string queryRyList(const std::string& djxh, const RyListFilter& filter, int32_t page,
                                  int32_t pageSize, int32_t& zs) = 0;
  // 12: persons x enrolments x items for the update view.
  virtual std::string getUpdateData(const std::string& djxh, const RyUpdateFilter& filter, int32_t page,
                                    int32_t pageSize) = 0;
  // 13: deletes the persons (by rydjxh) with their enrolments and items, in one transaction.
  virtual bool delData(const std::string& djxh, const std::vector<std::string>& rydjxhs) = 0;
  // 14: stores outside persons, in one transaction.
  virtual bool saveWbry(const std::string& djxh, const std::vector<WbryEntry>& entries, std::string& message) = 0;
  // 15, 16
  virtual std::string getCbxzData(const std::string& djxh) = 0;
  virtual std::string getXzdj_SqczData(const std::string& djxh) = 0;
  // 17: stores {"persons": [...], "enrolments": [...], "items": [...]} (objects keyed by column),
  // each row by delete-then-insert, in one transaction; a person keeps its stored phone number
  // (when none is given), group and group path.
  virtual bool saveCbryxx(const std::string& djxh, const std::string& json, std::string& message) = 0;
  // 18-21: count and page of person x enrolment x item rows; the ByPmlx forms filter by the
  // sub-item type and compare months by their first seven characters.
  virtual int32_t getCount_V2(const std::string& djxh, const CbxmFilter& filter) = 0;
  virtual std::string getData_V2(const std::string& djxh, const CbxmFilter& filter, int32_t page,
                                 int32_t pageSize) = 0;
  virtual int32_t getCount_V2ByPmlx(const std::string& djxh, const CbxmFilter& filter) = 0;
  virtual std::string getData_V2ByPmlx(const std::string& djxh, const CbxmFilter& filter, int32_t page,
                                       int32_t pageSize) = 0;
  // 22: items with their persons by name, ID type, ID number, levy item and sub-item.
  virtual std::string getDataBy5Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                         const std::string& zjhm, const std::string& zsxmdm,
                                         const std::string& zspmdm) = 0;
  // 23: distinct agencies of the payer's items.
  virtual std::string getSbjbjgList(const std::string& djxh) = 0;
  // 24: xm, zjlx, zjhm, rydjxh of the persons in one summary state.
  virtual std::string getHashRyData(const std::string& djxh, const std::string& cbzt) = 0;
  // 25: valid items of valid enrolments that have a person number.
  virtual std::string getHashRyXzData(const std::string& djxh) = 0;
  // 26: the same with the persons' names, running in `month` or later.
  virtual std::string getHashRyXzDataEx(const std::string& djxh, const std::string& month) = 0;
  // 27: {"00": n, "01": m}: persons with valid items running in `month` or later, by type.
  virtual std::string getCountByPmlx(const std::string& djxh, const std::string& month) = 0;
  // 28: distinct xzid of valid items running in `month` (JSON array of text).
  virtual std::string getXzidLis(const std::string& djxh, const std::string& month) = 0;
  // 29
  virtual int32_t getRyCountBy4Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                        const std::string& zjhm, RyOrigin ly) = 0;
  // 30: "xm|zjlx|zjhm=id[,id...]" of the persons of one origin.
  virtual std::string getRy3ElementHashData(const std::string& djxh, RyOrigin ly) = 0;
  // 31: replaces the payment states of a year, in one transaction.
  virtual bool SaveRyjfztxx(const std::string& djxh, const std::string& jfnd, const std::vector<RyjfztEntry>& entries,
                            std::string& message) = 0;
  // 32: runs the caller's statement(s) on a connection of its own; true when all ran.
  virtual bool ExecSQL(const std::string& sql) = 0;
  // 33: payment states with their persons and groups, by rydjxh, paged; `zs` the row count.
  virtual std::string GetRyjfztData(const std::string& djxh, const RyjfztFilter& filter, int32_t page,
                                    int32_t pageSize, int32_t& zs) = 0;
  // 34: sets jfzt and sbsj of one payment state (djxh, jfnd, xzid) through a keyed result set.
  virtual bool UpdateRyjfztData(const std::string& djxh, const std::string& jfnd, const std::string& xzid,
                                const std::string& jfzt, const std::string& sbsj, std::string& message) = 0;
  // 35: the revision of this store's contract ("IEmployeeDao/1"); touches no store.
  virtual std::string GetStoreVersion() = 0;
  // 36: registered persons matching name, type and number exactly, or by number (like).
  virtual std::string checkRyExist(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                   const std::string& zjhm, bool byNumberLike) = 0;
  // 37: deletes persons by id, then every enrolment and item left without its person.
  virtual bool DelDataById(const std::string& djxh, const std::vector<int32_t>& ids, std::string& message) = 0;
  // 38: persons whose group no longer exists get fzid -1 and an empty fullpath.
  virtual bool ClearInvalidFzxx(const std::string& djxh) = 0;
  // 39, 40
  virtual bool UpdateBzxx(const std::string& djxh, const std::string& rydjxh, const std::string& bzxx) = 0;
  virtual bool delBy4Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                              const std::string& zjhm, RyOrigin ly) = 0;
  // 41-43: by the row id.
  virtual bool UpdateBzxxById(int32_t id, const std::string& bzxx) = 0;
  virtual bool UpdateGroupInfoById(int32_t id, int32_t fzid, const std::string& fullpath) = 0;
  virtual bool UpdatePhoneNumberById(int32_t id, const std::string& phone) = 0;
  // 44: as 28, comparing the months' first seven characters.
  virtual std::string getXzidLisByMonth(const std::string& djxh, const std::string& month) = 0;

 protected:
  ~IEmployeeDao() = default;
};

}  // namespace velmor
