// TRysbztDAOImpl: the store of residents' declaration states (IRysbztDAO), registered as row 32
// of the service table; table ds_rysbztb, listed with the roster (sb_rycbxmb, sb_ryjbxxb) and its
// groups (sb_fzxxb). See include/velmor/rysbzt_dao.h for the contract. Keeps no state but its
// last-error text; one object is used by one thread at a time.
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "store/sql.h"
#include "velmor/rysbzt_dao.h"

namespace velmor {

// The amount still to pay of a line: a number, or text that converts whole; nothing otherwise
// (stored as NULL rather than as a made-up amount).
std::optional<double> RysbztAmount(const nlohmann::ordered_json& value);

// The listing statement shared by getCount and getData: `columns` after "select", the current
// month `month` ("yyyy-mm") for the stopped-unpaid rule, `tail` the order and paging (or nothing).
std::string RysbztListSql(const std::string& djxh, const nlohmann::ordered_json& query, const std::string& month,
                          const SqlFragment& columns, const SqlFragment& tail);

class TRysbztDAOImpl : public ServiceImpl<TSBBaseObj, IRysbztDAO> {
 public:
  VELMOR_PUBLISHED(TRysbztDAOImpl, TSBBaseObj)

  bool clearData(const std::string& djxh, const std::string& jfnd) override;
  bool saveData(const std::string& djxh, const std::string& jfnd, const std::string& lines) override;
  int32_t getCount(const std::string& djxh, const std::string& query) override;
  std::string getData(const std::string& djxh, const std::string& query, int32_t page, int32_t pageSize) override;
};

}  // namespace velmor
