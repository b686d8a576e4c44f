// TYjxxDaoImpl: the payable-information store (IYjxxDao) over sb_dzzjxxb joined to the roster;
// registered as row 22 of the service table. Each operation takes its own connection; the
// last-error text is the object's own, so one object serves one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "business/business_object.h"
#include "declaration/dao_support.h"
#include "velmor/yjxx_dao.h"

namespace velmor {

class TYjxxDaoImpl : public ServiceImpl<TSBBaseObj, IYjxxDao> {
 public:
  VELMOR_PUBLISHED(TYjxxDaoImpl, TSBBaseObj)

  bool getData(const std::string& qc, int32_t page, int32_t pageSize, std::string& rows) override;
  bool hasMismatchData(const std::string& djxh, bool& mismatch) override;
  bool getStatistics(const std::string& djxh, std::string& stats) override;
  bool updateData(const std::string& djxh, const std::string& rows, bool zjyxrqEnabled) override;
  bool getRyData(const std::string& djxh, const std::string& zjlx, std::string& rows) override;
  bool getJfnd(const std::string& djxh, std::string& years) override;
  bool GetHashDataByZjtzlsh(const std::string& djxh, std::string& hash) override;
  bool DeleteData(int32_t id) override;
  bool GetZjtzlshList(const std::string& djxh, std::string& list) override;
  bool clearData(const std::string& djxh) override;
  bool saveRyData(const std::string& djxh, const std::string& rows) override;
  bool getCount(const std::string& qc, int32_t& count) override;
  bool GetData_drcx(const std::string& djxh, const std::string& zjhms, std::string& rows) override;
  bool getXzdj_SqczData(const std::string& djxh, std::string& rows) override;
  bool getZs3mData(const std::string& djxh, std::string& rows) override;
  bool updateBz(int32_t id, const std::string& bz) override;
  bool getJsonData(const std::string& djxh, const std::string& zjtzlshList, std::string& rows) override;

  // updateData with the rows as the download reads them, one at a time into `store`, without
  // their text or a tree of them all (the plug-in's own service hands them over so; another store
  // gets the text). `rows` answers false to keep nothing: the delete and the rows handed are
  // rolled back and the payer's rows stay as they were (true is still returned).
  using RowSink = std::function<void(const declaration::Json& row)>;
  bool updateRows(const std::string& djxh, const std::function<bool(const RowSink& store)>& rows, bool zjyxrqEnabled);
};

}  // namespace velmor
