#include "store/background/sql_item.h"

namespace velmor {
namespace {

bool Run(IDBCommand& cmd, const std::string& sql, ItemStage stage, ItemCounts& counts, ItemResult& result) {
  if (cmd.Execute(sql)) {
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
  const bool hasFirst = !item.first.empty(), hasUpdate = !item.second.empty(), hasInsert = !item.third.empty();
  if (hasUpdate) {
    if (!Run(cmd, item.second, ItemStage::kUpdate, counts, r)) return r;
    if (!hasInsert) {
      if (cmd.RowsAffected() >= 1) ++counts.updated;
      return r;
    }
    const int32_t changed = cmd.RowsAffected();
    if (changed == 1 || (changed > 1 && !hasFirst)) {
      ++counts.updated;
      return r;
    }
    if (changed > 1 && !Run(cmd, item.first, ItemStage::kFirst, counts, r)) return r;
    if (Run(cmd, item.third, ItemStage::kInsert, counts, r)) ++counts.inserted;
    return r;
  }
  if (hasFirst && !Run(cmd, item.first, ItemStage::kFirst, counts, r)) return r;
  if (hasInsert && Run(cmd, item.third, ItemStage::kInsert, counts, r)) ++counts.inserted;
  return r;
}

std::string StatementExcerpt(std::string_view sql, size_t n) {
  size_t head = HeadBytes(sql, n);
  size_t tail = TailStart(sql, n);
  if (tail <= head) return std::string(sql);
  return std::string(sql.substr(0, head)) + " ... " + std::string(sql.substr(tail));
}

}  // namespace velmor
