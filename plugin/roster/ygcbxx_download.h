// The registration download ("0040") on given services, so that a pool thread can run it with
// services obtained on the host's thread. Raises on failure (taxml::Failure with the user's
// text); a refusal "10042" or an empty answer stores nothing and is no failure.
#pragma once

#include <string>

#include "velmor/employee_dao.h"
#include "velmor/sys_param.h"

namespace velmor {

void DownloadYgcbxx(const std::string& djxh, bool incremental, ISysParamIntf& params, IEmployeeDao& dao);

}  // namespace velmor
