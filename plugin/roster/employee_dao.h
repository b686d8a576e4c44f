// TEmployeeDaoImpl: the roster store (IEmployeeDao), registered as row 12 of the service table.
// It builds its SQL with the store toolkit (every value escaped), takes a connection per
// operation, runs multi-row writes in one transaction, and catches every failure at its
// boundary (see include/velmor/employee_dao.h for the contract of each operation).
//
// The operations live in several files by concern: employee_dao_query.cpp (the reads),
// employee_dao_write.cpp (updates and deletes), employee_dao_save.cpp (saveCbryxx and the
// payment states) and employee_dao_registration.cpp (the registration download and outside
// persons).
// One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "business/business_object.h"
#include "store/db_access.h"
#include "store/store_guard.h"
#include "velmor/employee_dao.h"

namespace velmor {

inline constexpr const char* kEmployeeDaoVersion = "IEmployeeDao/1";

class TEmployeeDaoImpl : public ServiceImpl<TSBBaseObj, IEmployeeDao> {
 public:
  VELMOR_PUBLISHED(TEmployeeDaoImpl, TSBBaseObj)

  std::string getData(const std::string& sql) override;
  std::string getDataPage(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                          const std::string& zjhm, int32_t page, int32_t pageSize) override;
  int32_t getRyCount(const std::string& djxh, RyOrigin ly, const std::string& cbzt) override;
  int32_t getCountByZsxmdm(const std::string& djxh, const std::string& pmlx, const std::string& month) override;
  bool addOrUpdateYgcbxx(const std::string& djxh, const std::string& xml, std::string& message) override;
  bool delInvalidData(const std::string& djxh, const std::string& rydjxh, const std::string& month) override;
  std::string getAllCbxmList(const std::string& djxh, const std::string& pmlx) override;
  bool UpdatePhoneNumber(const std::string& djxh, const std::string& rydjxh, const std::string& phone) override;
  std::string GetHashList(const std::string& djxh, const std::string& valueColumn) override;
  bool UpdateGroupInfo(const std::string& djxh, const std::string& rydjxh, int32_t fzid,
                       const std::string& fullpath) override;
  std::string queryRyList(const std::string& djxh, const RyListFilter& filter, int32_t page, int32_t pageSize,
                          int32_t& zs) override;
  std::string getUpdateData(const std::string& djxh, const RyUpdateFilter& filter, int32_t page,
                            int32_t pageSize) override;
  bool delData(const std::string& djxh, const std::vector<std::string>& rydjxhs) override;
  bool saveWbry(const std::string& djxh, const std::vector<WbryEntry>& entries, std::string& message) override;
  std::string getCbxzData(const std::string& djxh) override;
  std::string getXzdj_SqczData(const std::string& djxh) override;
  bool saveCbryxx(const std::string& djxh, const std::string& json, std::string& message) override;
  int32_t getCount_V2(const std::string& djxh, const CbxmFilter& filter) override;
  std::string getData_V2(const std::string& djxh, const CbxmFilter& filter, int32_t page, int32_t pageSize) override;
  int32_t getCount_V2ByPmlx(const std::string& djxh, const CbxmFilter& filter) override;
  std::string getData_V2ByPmlx(const std::string& djxh, const CbxmFilter& filter, int32_t page,
                               int32_t pageSize) override;
  std::string getDataBy5Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                 const std::string& zjhm, const std::string& zsxmdm, const std::string& zspmdm) override;
  std::string getSbjbjgList(const std::string& djxh) override;
  std::string getHashRyData(const std::string& djxh, const std::string& cbzt) override;
  std::string getHashRyXzData(const std::string& djxh) override;
  std::string getHashRyXzDataEx(const std::string& djxh, const std::string& month) override;
  std::string getCountByPmlx(const std::string& djxh, const std::string& month) override;
  std::string getXzidLis(const std::string& djxh, const std::string& month) override;
  int32_t getRyCountBy4Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                const std::string& zjhm, RyOrigin ly) override;
  std::string getRy3ElementHashData(const std::string& djxh, RyOrigin ly) override;
  bool SaveRyjfztxx(const std::string& djxh, const std::string& jfnd, const std::vector<RyjfztEntry>& entries,
                    std::string& message) override;
  bool ExecSQL(const std::string& sql) override;
  std::string GetRyjfztData(const std::string& djxh, const RyjfztFilter& filter, int32_t page, int32_t pageSize,
                            int32_t& zs) override;
  bool UpdateRyjfztData(const std::string& djxh, const std::string& jfnd, const std::string& xzid,
                        const std::string& jfzt, const std::string& sbsj, std::string& message) override;
  std::string GetStoreVersion() override { return kEmployeeDaoVersion; }
  std::string checkRyExist(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                           const std::string& zjhm, bool byNumberLike) override;
  bool DelDataById(const std::string& djxh, const std::vector<int32_t>& ids, std::string& message) override;
  bool ClearInvalidFzxx(const std::string& djxh) override;
  bool UpdateBzxx(const std::string& djxh, const std::string& rydjxh, const std::string& bzxx) override;
  bool delBy4Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                      const std::string& zjhm, RyOrigin ly) override;
  bool UpdateBzxxById(int32_t id, const std::string& bzxx) override;
  bool UpdateGroupInfoById(int32_t id, int32_t fzid, const std::string& fullpath) override;
  bool UpdatePhoneNumberById(int32_t id, const std::string& phone) override;
  std::string getXzidLisByMonth(const std::string& djxh, const std::string& month) override;

 private:
  // Runs one operation: clears the last-error text, and on an exception logs it in `form`
  // under "TEmployeeDaoImpl.<op>", keeps the user message as the last-error text (a StoreError's
  // fixed text, otherwise `failText` followed by the exception text) and answers `fallback`.
  template <class R, class F>
  R Guard(std::string_view op, LogForm form, const char* failText, R fallback, F&& body);
  // A query answered as JSON rows.
  std::string QueryJson(std::string_view op, const std::string& sql);
  // A statement (or several) run on a fresh connection; true when it ran.
  bool Exec(std::string_view op, const std::string& sql, const char* failText = kDbUpdateFailed);
};

}  // namespace velmor
