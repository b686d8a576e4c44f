// Checks shared by the fast JSON fuzzers: two readers that read the same JSON text hold the same
// records, and every helper works on what a reader holds.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <string>
#include <unordered_set>
#include <vector>

#include "codec/base64.h"
#include "codec/fast_json.h"

namespace velmor::fuzz {

// A small first token buffer, so that its growth is exercised too.
inline constexpr size_t kFuzzBuffer = 16;

// One gzip member holding `data` in stored (uncompressed) deflate blocks, as Base64: a valid
// member that costs the fuzzer no compressor.
inline std::string PackStored(std::string_view data) {
  std::string m = {'\x1f', '\x8b', '\x08', 0, 0, 0, 0, 0, 0, '\x03'};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(data.size() - pos, 65535);
    bool last = pos + n == data.size();
    m += static_cast<char>(last ? 1 : 0);
    m += static_cast<char>(n & 0xFF);
    m += static_cast<char>(n >> 8);
    m += static_cast<char>(~n & 0xFF);
    m += static_cast<char>((~n >> 8) & 0xFF);
    m.append(data.substr(pos, n));
    pos += n;
  } while (pos < data.size());
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) m += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  le32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()))));
  le32(static_cast<uint32_t>(data.size()));
  return Base64Encode(m);
}

inline void SameRecords(const TFastParseJson& a, const TFastParseJson& b) {
  if (a.RecordCount() != b.RecordCount() || a.FieldNames() != b.FieldNames()) std::abort();
  for (int r = 0; r < a.RecordCount(); ++r) {
    if (a.Record(r).mask() != b.Record(r).mask()) std::abort();
    for (int f = 0; f < a.FieldCount(); ++f) {
      if (a.Value(r, f) != b.Value(r, f)) std::abort();
    }
  }
}

inline void UseRecords(TFastParseJson& reader) {
  for (int f = 0; f < reader.FieldCount(); ++f) {
    if (reader.GetFieldIdx(reader.FieldNames()[f]) != f) std::abort();
  }
  if (reader.FieldCount() == 0) return;
  std::unordered_set<std::string> used;
  std::string batch;
  int batches = 0;
  while (reader.BuildIdBatch(0, "d", "y", used, batch)) ++batches;
  if (batches > reader.RecordCount()) std::abort();
  std::vector<int> all;
  for (int f = 0; f < reader.FieldCount(); ++f) all.push_back(f);
  reader.TruncateFields(all);
  for (int r = 0; r < reader.RecordCount(); ++r) {
    for (int f : all) {
      if (reader.Value(r, f).size() > 7) std::abort();
    }
  }
}

}  // namespace velmor::fuzz
