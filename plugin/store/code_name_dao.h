// TCodeNameDAO: the code/name store (ICodeNameDAO) over table sb_dmmcb; registered as row 3 of
// the service table. Stateless: each call takes its own connection, so one object may serve
// several threads.
#pragma once

#include <cstdint>
#include <string>

#include "business/business_object.h"
#include "velmor/code_name_dao.h"

namespace velmor {

class TCodeNameDAO : public Implements<TBusinessObject, ICodeNameDAO> {
 public:
  VELMOR_PUBLISHED(TCodeNameDAO, TBusinessObject)

  // "select * from sb_dmmcb where lb=" + lb, as [{"code": dm, "name": mc}].
  std::string GetCodeNameList(int32_t lb) override;
  // The UPDATE of mc by (lb, dm); the INSERT when it changed no row.
  bool AddCodeName(int32_t lb, const std::string& dm, const std::string& mc) override;
};

}  // namespace velmor
