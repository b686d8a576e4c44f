#include "store/paging.h"

#include "velmor/exceptions.h"

namespace velmor {

SqlFragment PagingSuffix(int32_t page, int32_t pageSize, bool upperCase) {
  if (page == kAllPages) return {};
  if (page < 1 || pageSize < 1) {
    throw Exception("无效的分页参数：第" + std::to_string(page) + "页，每页" + std::to_string(pageSize) + "行");
  }
  int64_t offset = (static_cast<int64_t>(page) - 1) * pageSize;
  return SqlFragment::Trusted(FormatSql(upperCase ? " LIMIT %d, %d" : " limit %d, %d", {offset, pageSize}));
}

std::string PagedSelect::Build(const SqlFragment& first, bool forPage) const {
  std::vector<SqlArg> all;
  all.reserve(args_.size() + 1);
  all.emplace_back(first);
  for (const SqlArg& a : args_) all.push_back(a.pageOnly() && !forPage ? SqlArg(SqlFragment()) : a);
  return FormatSql(tmpl_, all);
}

std::string PagedSelect::Count(const SqlFragment& countColumn) const { return Build(countColumn, false); }

std::string PagedSelect::Page(const SqlFragment& columns, int32_t page, int32_t pageSize, const SqlFragment& tail,
                              bool upperCaseLimit) const {
  return Build(columns, true) + tail.str() + PagingSuffix(page, pageSize, upperCaseLimit).str();
}

}  // namespace velmor
