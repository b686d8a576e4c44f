#include "workbook/cell.h"

#include <cstdio>

#include "workbook/date_serial.h"
#include "workbook/number_format.h"
#include "workbook/workbook_error.h"

namespace velmor::workbook {
namespace {

std::string DateText(int y, int m, int d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

}  // namespace

Cell Cell::Text(std::string value) {
  Cell c;
  if (value.empty()) return c;
  c.kind = CellKind::kText;
  c.text = std::move(value);
  return c;
}

Cell Cell::Number(double value, std::string format) {
  Cell c;
  c.kind = CellKind::kNumber;
  c.number = value;
  c.text = FormatValue(value, format);
  c.format = std::move(format);
  return c;
}

Cell Cell::Boolean(bool value) {
  Cell c;
  c.kind = CellKind::kBoolean;
  c.number = value ? 1 : 0;
  c.text = value ? "TRUE" : "FALSE";
  return c;
}

Cell Cell::DateSerial(double serial, std::string format) {
  Cell c;
  c.kind = CellKind::kDate;
  c.number = serial;
  c.text = FormatValue(serial, format);
  c.format = std::move(format);
  return c;
}

Cell Cell::Date(int year, int month, int day, std::string format) {
  auto serial = workbook::DateSerial(year, month, day);
  if (!serial) throw WorkbookError::InvalidArgument("日期无效：" + DateText(year, month, day));
  return DateSerial(*serial, std::move(format));
}

Cell Cell::DateTime(int year, int month, int day, int hour, int minute, int second, std::string format) {
  auto serial = DateTimeSerial(year, month, day, hour, minute, second);
  if (!serial) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", hour, minute, second);
    throw WorkbookError::InvalidArgument("日期无效：" + DateText(year, month, day) + buf);
  }
  return DateSerial(*serial, std::move(format));
}

}  // namespace velmor::workbook
