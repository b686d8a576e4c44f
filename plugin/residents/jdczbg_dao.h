// TJdczbgDaoImpl: the store of the street and community changes (IJdczbgDao), registered as row
// 31 of the service table; table sb_jdczbgb. See include/velmor/jdczbg_dao.h for the contract.
// One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "store/sql.h"
#include "velmor/jdczbg_dao.h"

namespace velmor {

// The insert statement of one change (shared by insertData and the download's replacement).
std::string JdczbgInsertSql(const JdczbgEntity& e);
// The filter conditions of the change list, in their fixed order.
SqlFragment JdczbgConditions(const JdczbgFilter& f);
// A row of sb_jdczbgb (columns as text) as a change.
JdczbgEntity JdczbgFromRow(const nlohmann::ordered_json& row);

class TJdczbgDaoImpl : public ServiceImpl<TSBBaseObj, IJdczbgDao> {
 public:
  VELMOR_PUBLISHED(TJdczbgDaoImpl, TSBBaseObj)

  bool insertData(const JdczbgEntity& entity, int64_t& id) override;
  bool delData(int64_t id) override;
  bool replaceDownloaded(const std::string& djxh, const std::string& bgsjq, const std::string& bgsjz,
                         const std::vector<JdczbgEntity>& entities) override;
  int32_t getCount(const std::string& djxh, const JdczbgFilter& filter) override;
  bool getData(const std::string& djxh, const JdczbgFilter& filter, int32_t page, int32_t pageSize,
               std::vector<JdczbgEntity>& rows) override;
};

}  // namespace velmor
