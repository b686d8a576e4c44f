#include "store/row_reading.h"

#include <exception>
#include <vector>

#include "velmor/db.h"
#include "velmor/db_row_reader.h"

namespace velmor {

namespace {

// Hands the host's rows to the callbacks; an exception of theirs is kept (it must not cross the
// host) and stops the reading.
class CallbackSink final : public IDBRowSink {
 public:
  CallbackSink(const RowColumns& columns, const RowCells& row) : columns_(columns), row_(row) {}
  void Columns(std::span<const std::string_view> names) override {
    try {
      columns_(names);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }
  bool Row(std::span<const std::string_view> cells) override {
    if (failure_) return false;
    try {
      return row_(cells);
    } catch (...) {
      failure_ = std::current_exception();
      return false;
    }
  }
  void RethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  const RowColumns& columns_;
  const RowCells& row_;
  std::exception_ptr failure_;
};

}  // namespace

void ReadRows(IDBDataSet& ds, const RowColumns& columns, const RowCells& row) {
  Ref<IDBFields> fields = ds.Fields();
  const int32_t n = fields ? fields->Count() : 0;
  std::vector<Ref<IDBField>> cols;
  std::vector<std::string> texts;
  for (int32_t i = 0; i < n; ++i) {
    cols.push_back(fields->FieldByIndex(i));
    texts.push_back(cols.back()->FieldName());
  }
  std::vector<std::string_view> views(texts.begin(), texts.end());
  columns(views);
  for (; !ds.Eof(); ds.Next()) {
    for (size_t i = 0; i < cols.size(); ++i) {
      texts[i] = cols[i]->AsString();
      views[i] = texts[i];
    }
    if (!row(views)) return;
  }
}

void ReadRowsOrThrow(IDBMechanism& db, const std::string& sql, const RowColumns& columns, const RowCells& row,
                     const char* userText) {
  Ref<IDBRowReader> reader = Query<IDBRowReader>(&db);
  if (!reader) return ReadRows(*QueryOrThrow(db, sql, userText), columns, row);
  CallbackSink sink(columns, row);
  const bool ok = reader->ReadRows(sql, sink);
  sink.RethrowFailure();
  if (!ok) throw StoreError(userText, db.GetErrorText());
}

}  // namespace velmor
