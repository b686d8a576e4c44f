// The one request layout of "0187" (SbfYbGrzhDjcxjmxxCxRequest), the residents registered against
// a medical-insurance personal account, shared by the employee service's two operations and the
// download of TYbgrzhdj: djxh, zgswjgDm, an empty djnd, sftj ("Y": the count `cxjmrs` and the
// change-time range `gxsjq`/`gxsjz` the server applies; "N": one page of `cxjmDjxxList`, each
// resident with its `cxjmCbDjxxList`), gxsjq, gxsjz, pagenum, pagesize.
// Pure functions; safe on any thread.
#pragma once

#include <cstdint>
#include <string>

#include "service/server_call.h"

namespace velmor::service {

inline constexpr const char* kYbgrzhdjRequest = "SbfYbGrzhDjcxjmxxCxRequest";
inline constexpr const char* kYbgrzhdjList = "cxjmDjxxList";
inline constexpr const char* kYbgrzhdjLineList = "cxjmCbDjxxList";

struct YbgrzhdjQuery {
  std::string zgswjgDm;
  std::string gxsjq, gxsjz;  // "yyyy-mm-dd hh:nn:ss"; an empty start asks for everything
  bool count = false;        // sftj "Y"
  int32_t pagenum = 1;
  int32_t pagesize = 500;
};

// The parameters of the request document, in the layout's order.
Json YbgrzhdjQueryParams(const std::string& djxh, const YbgrzhdjQuery& q);

// The query of an operation's JSON parameters (zgswjgDm, gxsjq, gxsjz, pagenum, pagesize); the
// operation decides `count`. Raises OpRefusal("分页参数无效") for a page number or size that is
// not a whole number of at least 1.
YbgrzhdjQuery YbgrzhdjQueryOf(const Json& params, bool count);

}  // namespace velmor::service
