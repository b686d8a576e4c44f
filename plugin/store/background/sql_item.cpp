#include "store/background/sql_item.h"

#include <limits>

#include "store/bound_sql.h"
#include "velmor/exceptions.h"

namespace velmor {

SqlValues::SqlValues(std::initializer_list<std::string_view> values) {
  size_t bytes = 0;
  for (std::string_view v : values) bytes += v.size();
  Reserve(values.size(), bytes);
  for (std::string_view v : values) Add(v);
}

SqlValues& SqlValues::Add(std::string_view v) {
  if (text_.size() + v.size() > std::numeric_limits<uint32_t>::max()) throw Exception("SqlValues: too much text");
  text_.append(v);
  ends_.push_back(static_cast<uint32_t>(text_.size()));
  return *this;
}

size_t SqlValues::Rows() const { return width_ == 0 ? 1 : ends_.size() / width_; }

std::string_view SqlValues::operator[](size_t i) const {
  const uint32_t begin = i == 0 ? 0 : ends_[i - 1];
  // Never a null pointer, even for an empty value: an engine binds a null pointer as NULL.
  return std::string_view(text_.data() + begin, ends_[i] - begin);
}

void SqlValues::Reserve(size_t values, size_t bytes) {
  ends_.reserve(ends_.size() + values);
  text_.reserve(text_.size() + bytes);
}

namespace {

// Runs one statement of the item; *changed gets the rows it changed.
bool Run(IDBCommand& cmd, const SqlItem& item, size_t row, const std::string& sql, ItemStage stage,
         ItemCounts& counts, ItemResult& result, int64_t* changed) {
  bool ok = false;
  if (item.values.empty()) {
    ok = cmd.Execute(sql);
    *changed = ok ? cmd.RowsAffected() : 0;
  } else {
    const size_t width = item.values.Width() == 0 ? item.values.size() : item.values.Width();
    DBValue values[64];
    std::vector<DBValue> many;
    DBValue* bound = values;
    if (width > std::size(values)) {
      many.resize(width);
      bound = many.data();
    }
    for (size_t i = 0; i < width; ++i) bound[i] = DBValue::Text(item.values[row * width + i]);
    ok = ExecBound(cmd, sql, std::span<const DBValue>(bound, width), *changed);
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

size_t ItemRows(const SqlItem& item) {
  const size_t width = item.values.Width();
  if (width != 0 && item.values.size() % width != 0)
    throw Exception("批量语句的值不成整行：" + std::to_string(item.values.size()) + "个值，每行" + std::to_string(width) + "个");
  return item.values.empty() ? 1 : item.values.Rows();
}

ItemResult ExecuteSqlItem(IDBCommand& cmd, const SqlItem& item, ItemCounts& counts, size_t row) {
  ItemResult r;
  int64_t changed = 0;
  const bool hasFirst = !item.first.empty(), hasUpdate = !item.second.empty(), hasInsert = !item.third.empty();
  if (hasUpdate) {
    if (!Run(cmd, item, row, item.second, ItemStage::kUpdate, counts, r, &changed)) return r;
    if (!hasInsert) {
      if (changed >= 1) ++counts.updated;
      return r;
    }
    if (changed == 1 || (changed > 1 && !hasFirst)) {
      ++counts.updated;
      return r;
    }
    if (changed > 1 && !Run(cmd, item, row, item.first, ItemStage::kFirst, counts, r, &changed)) return r;
    if (Run(cmd, item, row, item.third, ItemStage::kInsert, counts, r, &changed)) ++counts.inserted;
    return r;
  }
  if (hasFirst && !Run(cmd, item, row, item.first, ItemStage::kFirst, counts, r, &changed)) return r;
  if (hasInsert && Run(cmd, item, row, item.third, ItemStage::kInsert, counts, r, &changed)) ++counts.inserted;
  return r;
}

std::string StatementExcerpt(std::string_view sql, size_t n) {
  size_t head = HeadBytes(sql, n);
  size_t tail = TailStart(sql, n);
  if (tail <= head) return std::string(sql);
  return std::string(sql.substr(0, head)) + " ... " + std::string(sql.substr(tail));
}

}  // namespace velmor
