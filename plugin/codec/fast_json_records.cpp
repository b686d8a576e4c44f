// TFastParseJson: reading the stored records, cutting fields, and the id batches of the person
// requests.
#include "codec/crc16.h"
#include "codec/fast_json.h"
#include "velmor/exceptions.h"

namespace velmor {

namespace {

void AppendJsonString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

}  // namespace

TFastJsonRecord TFastParseJson::Record(int index) const {
  if (index < 0 || index >= RecordCount()) throw EListError::IndexOutOfBounds(index);
  const Slot& slot = records_[index];
  return TFastJsonRecord(slot.base, SpansOf(static_cast<size_t>(index)), FieldCount(), slot.mask);
}

std::string_view TFastParseJson::Value(int record, int field) const {
  TFastJsonRecord r = Record(record);
  if (field < 0 || field >= r.size()) throw EListError::IndexOutOfBounds(field);
  return r.value(field);
}

int TFastParseJson::IndexOfField(std::string_view name) const {
  if (!hashed_) return -1;
  return LookUp(Crc16(name, static_cast<uint16_t>(seed_), true), name);
}

int TFastParseJson::GetFieldIdx(std::string_view name) const {
  int field = IndexOfField(name);
  if (field < 0) throw Exception(std::string(kFieldNotFound) + std::string(name));
  return field;
}

int TFastParseJson::FieldIdxOfHash(int hash, std::string_view name) const {
  if (hash < 0 || hash >= kIndexTableSize) throw Exception(kHashOutOfRange);
  int entry = hashed_ ? index_[hash] : 0;
  if (entry == 0 || LookUp(static_cast<uint16_t>(hash), name) != entry - 1) {
    throw Exception(std::string(kFieldNotFound) + std::string(name));
  }
  return entry - 1;
}

void TFastParseJson::TruncateFields(std::span<const int> fields) {
  for (int f : fields) {
    if (f < 0 || f >= FieldCount()) throw EListError::IndexOutOfBounds(f);
  }
  for (size_t r = 0; r < records_.size(); ++r) {
    Span* spans = SpansOf(r);
    for (int f : fields) {
      Span& span = spans[f];
      if (span.size > 7) span.size = 7;
    }
  }
}

bool TFastParseJson::BuildIdBatch(int keyField, std::string_view djxh, std::string_view yblsh,
                                  std::unordered_set<std::string>& used, std::string& json) {
  json.clear();
  if (keyField < 0 || keyField >= FieldCount()) throw EListError::IndexOutOfBounds(keyField);
  std::string ids;
  size_t taken = 0;
  for (; batch_cursor_ < records_.size() && taken < kMaxIdsPerBatch; ++batch_cursor_) {
    std::string_view id = Value(static_cast<int>(batch_cursor_), keyField);
    if (id.empty() || !used.emplace(id).second) continue;
    if (taken++) ids += ',';
    AppendJsonString(ids, id);
  }
  if (taken == 0) return false;
  json = "{\"djxh\":";
  AppendJsonString(json, djxh);
  json += ",\"yblsh\":";
  AppendJsonString(json, yblsh);
  json += ",\"cbxxIds\":[" + ids + "]}";
  return true;
}

}  // namespace velmor
