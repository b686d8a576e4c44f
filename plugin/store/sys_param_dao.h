// TSysParamDaoImpl: the system-parameter store (ISysParamDAO) over table sb_xtcsb; registered
// as row 4 of the service table. Stateless: each call takes its own connection.
#pragma once

#include <string>

#include "business/business_object.h"
#include "velmor/sys_param_dao.h"

namespace velmor {

class TSysParamDaoImpl : public Implements<TBusinessObject, ISysParamDAO> {
 public:
  VELMOR_PUBLISHED(TSysParamDaoImpl, TBusinessObject)

  std::string getData(const std::string& djxh, const std::string& key) override;
  // Opens the keyed row; Append when there is none, Edit otherwise; sets djxh, key, value; Post.
  bool setData(const std::string& djxh, const std::string& key, const std::string& value) override;
  std::string GetAllData(const std::string& djxh) override;
};

}  // namespace velmor
