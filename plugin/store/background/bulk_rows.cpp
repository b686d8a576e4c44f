#include "store/background/bulk_rows.h"

#include <string>
#include <utility>

#include "velmor/exceptions.h"

namespace velmor {

BulkRows::BulkRows(size_t width, size_t rowsPerItem, Sink sink)
    : width_(width), rowsPerItem_(rowsPerItem < 1 ? 1 : rowsPerItem), sink_(std::move(sink)) {}

void BulkRows::CheckComplete() const {
  if (item_.values.size() != rows_ * width_)
    throw Exception("BulkRows: a row holds " + std::to_string(item_.values.size() - (rows_ - 1) * width_) +
                    " values instead of " + std::to_string(width_));
}

SqlValues& BulkRows::Row(std::string_view first, std::string_view second, std::string_view third) {
  if (rows_ > 0 && (rows_ >= rowsPerItem_ || !Same(first, first_) || !Same(second, second_) || !Same(third, third_)))
    Flush();
  else if (rows_ > 0)
    CheckComplete();
  if (rows_ == 0) {
    first_ = first;
    second_ = second;
    third_ = third;
    item_ = SqlItem();
    item_.first.assign(first);
    item_.second.assign(second);
    item_.third.assign(third);
    item_.values.SetWidth(width_);
    // Room for the whole item at once (about 16 bytes a value).
    item_.values.Reserve(width_ * rowsPerItem_, width_ * rowsPerItem_ * 16);
  }
  ++rows_;
  return item_.values;
}

void BulkRows::Flush() {
  if (rows_ == 0) return;
  CheckComplete();
  rows_ = 0;
  sink_(std::exchange(item_, SqlItem()));
}

void BulkRows::Drop() {
  rows_ = 0;
  item_ = SqlItem();
}

}  // namespace velmor
