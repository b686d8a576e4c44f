// Cell: one value of a sheet, with the text a user sees for it. Numbers and dates keep their
// value and number format so that they are written back as numbers; `text` is always the shown
// form, which is what the import code reads.
//
// A plain value type.
#pragma once

#include <cstdint>
#include <string>

namespace velmor::workbook {

enum class CellKind : uint8_t {
  kEmpty,
  kText,
  kNumber,
  kBoolean,
  kDate,   // a number shown under a date or time format; `number` is the 1900-system serial
  kError,  // an error value such as "#N/A"; written back as text
};

struct Cell {
  CellKind kind = CellKind::kEmpty;
  bool bold = false;   // written in bold (header rows); not read back from files
  double number = 0;   // kNumber, kDate; 1 or 0 for kBoolean
  std::string text;    // the shown text ("TRUE"/"FALSE" for booleans)
  std::string format;  // number format code of kNumber and kDate; empty is General

  bool empty() const { return kind == CellKind::kEmpty; }

  static Cell Text(std::string value);
  // A number shown under `format` ("0.00", "#,##0", ... ; empty for General).
  static Cell Number(double value, std::string format = {});
  static Cell Boolean(bool value);
  // A date serial under a date format; see date_serial.h for serials.
  static Cell DateSerial(double serial, std::string format = "yyyy-mm-dd");
  // A calendar date; throws WorkbookError (kInvalidArgument, "日期无效：yyyy-mm-dd") when it
  // does not exist or lies outside 1900..9999.
  static Cell Date(int year, int month, int day, std::string format = "yyyy-mm-dd");
  static Cell DateTime(int year, int month, int day, int hour, int minute, int second,
                       std::string format = "yyyy-mm-dd hh:mm:ss");
};

}  // namespace velmor::workbook
