// Paging and the count/page pair of a store query.
//
// Pages are numbered from 1; page -1 means all rows. The suffix is " limit %d, %d" (some stores
// write " LIMIT %d, %d") with offset (page - 1) x size and count size.
//
// PagedSelect keeps one statement template whose first placeholder follows "select": the count
// fills it with "count(*) as zs", the page with its column list, so the count and the page of
// one set of filters always agree. Arguments marked SqlArg::PageOnly (an order, a suffix) reach
// only the page statement. Pure values; safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/sql.h"

namespace velmor {

inline constexpr int32_t kAllPages = -1;

// "" for page -1; otherwise the limit suffix. Raises velmor::Exception "无效的分页参数：第%d页，
// 每页%d行" for a page below 1 (other than -1) or a size below 1.
SqlFragment PagingSuffix(int32_t page, int32_t pageSize, bool upperCase = false);

class PagedSelect {
 public:
  // `tmpl` begins "select %s from"; `args` fill the placeholders after the first.
  PagedSelect(std::string tmpl, std::vector<SqlArg> args) : tmpl_(std::move(tmpl)), args_(std::move(args)) {}

  // The count statement; PageOnly arguments are empty in it.
  std::string Count(const SqlFragment& countColumn = "count(*) as zs") const;
  // The page statement: the template with `columns`, then `tail` (an order) and the paging suffix.
  std::string Page(const SqlFragment& columns, int32_t page, int32_t pageSize, const SqlFragment& tail = {},
                   bool upperCaseLimit = false) const;

 private:
  std::string Build(const SqlFragment& first, bool forPage) const;

  std::string tmpl_;
  std::vector<SqlArg> args_;
};

}  // namespace velmor
