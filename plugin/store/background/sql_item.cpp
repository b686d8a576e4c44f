#include "store/background/sql_item.h"

#include "store/bound_sql.h"

namespace velmor {
namespace {

// Runs one statement of the item; *changed gets the rows it changed.
bool Run(IDBCommand& cmd, const SqlItem& item, const std::string& sql, ItemStage stage, ItemCounts& counts,
         ItemResult& result, int64_t* changed) {
  bool ok = false;
  if (item.values.empty()) {
    ok = cmd.Execute(sql);
    *changed = ok ? cmd.RowsAffected() : 0;
  } else {
    std::vector<DBValue> values;
    values.reserve(item.values.size());
    for (const std::string& v : item.values) values.push_back(DBValue::Text(v));
    ok = ExecBound(cmd, sql, values, *changed);
  }
  if (ok) {
    ++counts.executed;
    return true;
  }
  result.failedAt = stage;
  result.statement = sql;
  result.error = cmd.GetErrorText();
  return false;
}

// Bytes of the first n code points.
size_t HeadBytes(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t cps = 0; i < s.size() && cps < n; ++cps) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// Byte offset where the last n code points begin.
size_t TailStart(std::string_view s, size_t n) {
  size_t i = s.size();
  for (size_t cps = 0; i > 0 && cps < n; ++cps) {
    --i;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  }
  return i;
}

}  // namespace

ItemResult ExecuteSqlItem(IDBCommand& cmd, const SqlItem& item, ItemCounts& counts) {
  ItemResult r;
  int64_t changed = 0;
  const bool hasFirst = !item.first.empty(), hasUpdate = !item.second.empty(), hasInsert = !item.third.empty();
  if (hasUpdate) {
    if (!Run(cmd, item, item.second, ItemStage::kUpdate, counts, r, &changed)) return r;
    if (!hasInsert) {
      if (changed >= 1) ++counts.updated;
      return r;
    }
    if (changed == 1 || (changed > 1 && !hasFirst)) {
      ++counts.updated;
      return r;
    }
    if (changed > 1 && !Run(cmd, item, item.first, ItemStage::kFirst, counts, r, &changed)) return r;
    if (Run(cmd, item, item.third, ItemStage::kInsert, counts, r, &changed)) ++counts.inserted;
    return r;
  }
  if (hasFirst && !Run(cmd, item, item.first, ItemStage::kFirst, counts, r, &changed)) return r;
  if (hasInsert && Run(cmd, item, item.third, ItemStage::kInsert, counts, r, &changed)) ++counts.inserted;
  return r;
}

std::string StatementExcerpt(std::string_view sql, size_t n) {
  size_t head = HeadBytes(sql, n);
  size_t tail = TailStart(sql, n);
  if (tail <= head) return std::string(sql);
  return std::string(sql.substr(0, head)) + " ... " + std::string(sql.substr(tail));
}

}  // namespace velmor
