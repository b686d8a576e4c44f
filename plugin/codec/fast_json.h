// TFastParseJson: the reader of very large server answers made of many flat JSON records with
// the same fields (enrolment and person lists), without a general JSON tree.
//
// It scans the text once through a 257-entry dispatch table, learns the field names from the
// first record, finds a perfect hash of those names (CRC-16 with a seed from 0 to 255 into a
// 1000-entry table) and stores every later record as an array of value strings indexed by
// field. Field names of later records are matched by that hash, ASCII case folded; the name is
// then checked against the field's own, so a name the first record did not have is refused
// even when its hash lands on a taken entry. (Since records nearly always repeat the order of
// the first, the field after the previous one is tried first by its exact name; the result is
// the same as the hash's.) Values keep the input bytes (escapes decoded, \uXXXX as UTF-8); the
// record mask has bit i set when field i's value holds a byte below 32 or of 127 and above.
// At most 32 fields.
//
// Storage: the values of a record lie side by side in blocks the reader owns, so that a record
// costs no allocation of its own; values are read as views. A quoted token that is one plain run
// of the input is read in place; the others (escapes, tokens cut between chunks, unquoted
// values) go through the token buffer.
//
// Failures raise velmor::Exception with the messages below; a failed Parse adds no record (and
// forgets field names it learned itself). One reader is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velmor {

// One stored record: its mask and one value per field (absent values empty). A view: valid
// while its reader lives and takes no other Parse.
class TFastJsonRecord {
 public:
  uint32_t mask() const { return mask_; }
  int size() const { return size_; }
  std::string_view value(int field) const { return {base_ + spans_[field].offset, spans_[field].size}; }

 private:
  friend class TFastParseJson;
  struct Span {
    uint32_t offset;  // from the record's first byte
    uint32_t size;
  };
  TFastJsonRecord(const char* base, const Span* spans, int size, uint32_t mask)
      : base_(base), spans_(spans), size_(size), mask_(mask) {}
  const char* base_;
  const Span* spans_;
  int size_;
  uint32_t mask_;
};

class TFastParseJson {
 public:
  static constexpr size_t kInitialBufferSize = 512000;
  static constexpr int kIndexTableSize = 1000;
  static constexpr int kMaxFields = 32;
  static constexpr int kSeedCount = 256;
  static constexpr size_t kMaxIdsPerBatch = 1000;

  static constexpr const char* kOutOfMemory = "TFastParseJson内存不足！请关闭其它软件重试！";
  static constexpr const char* kTooManyFields = "超出字段限数！";
  static constexpr const char* kFieldNotFound = "GetFieldIdx找不到目标字段！";  // + the name
  static constexpr const char* kHashOutOfRange = "GetFieldIdx越界异常！";

  // Allocates the token buffer (kInitialBufferSize bytes) and the tables.
  TFastParseJson() : TFastParseJson(kInitialBufferSize) {}
  // The same with another first size of the token buffer (tests and fuzzing, where the buffer
  // should grow early).
  explicit TFastParseJson(size_t initialBufferSize);
  ~TFastParseJson();
  TFastParseJson(const TFastParseJson&) = delete;
  TFastParseJson& operator=(const TFastParseJson&) = delete;

  // Parses a server answer and returns the number of records added. whole: `text` is the Base64
  // text of one gzip member holding the JSON. Otherwise `text` holds double-quoted strings (a
  // JSON list), each the Base64 text of a gzip member of a JSON chunk; the chunks are read in
  // turn as one continuous text. Bad Base64 or gzip raises the gzip error ("gzip解压失败：...").
  int Parse(std::string_view text, bool whole);
  // Scans plain JSON text; returns the number of records added.
  int ParseText(std::string_view json);
  // Forgets the records, the field names and the batch cursor, and keeps the memory for the next
  // answer (records read before are no longer valid).
  void Clear();

  int RecordCount() const { return static_cast<int>(records_.size()); }
  // Raises velmor::EListError outside 0..RecordCount()-1.
  TFastJsonRecord Record(int index) const;
  int FieldCount() const { return static_cast<int>(names_.size()); }
  const std::vector<std::string>& FieldNames() const { return names_; }
  // The field of `name` (ASCII case folded); raises the not-found error when there is none.
  int GetFieldIdx(std::string_view name) const;
  // As GetFieldIdx, but -1 instead of raising.
  int IndexOfField(std::string_view name) const;
  // The field behind index-table entry `hash` when it is `name`: raises the range error for a
  // hash outside 0..999 and the not-found error for a free entry or another field's entry.
  int FieldIdxOfHash(int hash, std::string_view name) const;
  // Raises velmor::EListError for a record or field outside its range.
  std::string_view Value(int record, int field) const;

  // Cuts every value of the given fields to its first seven bytes ("yyyy-mm-dd" to "yyyy-mm").
  // Raises velmor::EListError for a field index outside 0..FieldCount()-1 (nothing cut then).
  void TruncateFields(std::span<const int> fields);

  // The next id batch: {"djxh":..,"yblsh":..,"cbxxIds":[..]} with at most kMaxIdsPerBatch
  // values of field `keyField`, from the records not yet visited, in record order. A value is
  // taken only when `used` does not hold it (and is then added to it); empty values are
  // skipped. Returns false, with `json` empty, when the records ran out before any id was taken.
  // Records added by a later Parse are visited by later calls.
  bool BuildIdBatch(int keyField, std::string_view djxh, std::string_view yblsh,
                    std::unordered_set<std::string>& used, std::string& json);

  bool Hashed() const { return hashed_; }
  int HashSeed() const { return seed_; }
  size_t BufferCapacity() const { return cap_; }

 private:
  class Scanner;
  friend class Scanner;

  // The token buffer.
  void Reserve(size_t needed);
  void Append(const char* data, size_t n) {
    if (n == 0) return;
    if (len_ + n + 10 > cap_) Reserve(n);
    std::memcpy(buf_ + len_, data, n);
    len_ += n;
  }
  void AppendChar(char c) {
    if (len_ + 11 > cap_) Reserve(1);
    buf_[len_++] = c;
  }

  // The value store: records are written value by value into the current block and kept by
  // EndRecord (DropRecord forgets the one being written).
  using Span = TFastJsonRecord::Span;
  struct Slot {
    const char* base;
    uint32_t mask;
  };
  void BeginRecord();
  void StoreValue(int field, std::string_view value) {
    size_t n = value.size();
    if (n > static_cast<size_t>(block_end_ - rec_base_) - rec_used_) NewBlock(n);
    if (n) std::memcpy(rec_base_ + rec_used_, value.data(), n);
    rec_spans_[field] = Span{static_cast<uint32_t>(rec_used_), static_cast<uint32_t>(n)};
    rec_used_ += n;
  }
  void NewBlock(size_t n);  // room for n more bytes of the record being written
  void EndRecord(uint32_t mask);
  void DropRecord() { rec_used_ = 0; }
  void ReserveRecords(size_t count);

  // Runs one scan; a failure takes back what it added.
  template <class Body>
  int Transaction(Body&& body);

  // Fields.
  int LookUp(uint16_t crc, std::string_view name) const;  // -1 when not a field
  void BuildHash();
  void ForgetFields();

  char* buf_ = nullptr;
  size_t cap_ = 0;
  size_t len_ = 0;

  std::vector<std::string> names_;
  uint8_t index_[kIndexTableSize] = {};
  int seed_ = 0;
  bool hashed_ = false;
  std::vector<Slot> records_;
  // The spans, names_.size() per record, in chunks of kChunkRecords records: they grow without
  // copying what they hold and without the spare half a doubling vector keeps (200,000 records
  // of 25 fields take 40 MB of spans).
  static constexpr size_t kChunkRecords = 4096;
  std::vector<std::unique_ptr<Span[]>> span_chunks_;
  Span* SpansOf(size_t record) {
    return span_chunks_[record / kChunkRecords].get() + (record % kChunkRecords) * names_.size();
  }
  const Span* SpansOf(size_t record) const { return const_cast<TFastParseJson*>(this)->SpansOf(record); }
  struct Block {
    char* data;
    size_t size;
  };
  std::vector<Block> blocks_;
  size_t blocks_used_ = 0;    // blocks_[0..blocks_used_) hold records; the rest wait for reuse
  char* rec_base_ = nullptr;  // the record being written: its first byte,
  size_t rec_used_ = 0;       // its bytes so far,
  char* block_end_ = nullptr; // and the end of its block
  Span* rec_spans_ = nullptr; // its spans
  size_t batch_cursor_ = 0;
};

}  // namespace velmor
