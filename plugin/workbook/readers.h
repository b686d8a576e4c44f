// The format readers and the writer behind Workbook::Open and Workbook::Save. Each fills or
// reads a Workbook and raises WorkbookError; see workbook.h for the messages.
//
// Stateless functions; a call uses only its arguments.
#pragma once

#include <string>

#include "workbook/part_source.h"
#include "workbook/workbook.h"

namespace velmor::workbook {

// Reads an XLSX package into `out` (which must be new and empty).
void ReadXlsx(PartSource& parts, const std::string& displayPath, const ReadLimits& limits, Workbook& out);

// Reads an OLE compound file: an XLS workbook through freexl, or recognises an encrypted XLSX
// package (kEncrypted) and other compound documents (kNotAWorkbook).
void ReadCompoundFile(const std::string& path, const ReadLimits& limits, Workbook& out);

// Writes `book` as XLSX to exactly `path` (no temporary name; Workbook::Save adds that); messages
// name `displayPath`.
void WriteXlsx(const Workbook& book, const std::string& path, const std::string& displayPath);

}  // namespace velmor::workbook
