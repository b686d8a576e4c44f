#include "business/query_condition.h"

namespace velmor {

std::string PagingSuffix(IQueryCondition& qc) {
  const int32_t page = qc.GetPageNo();
  if (page == -1) return {};
  const int64_t size = qc.GetPageSize();
  const int64_t offset = (static_cast<int64_t>(page) - 1) * size;
  return " limit " + std::to_string(offset) + ", " + std::to_string(size);
}

}  // namespace velmor
