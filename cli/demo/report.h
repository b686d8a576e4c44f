// The demo's report: the tables of what the day left behind (persons by state, declarations by
// state with amounts, payments by method and state, the residents' steps by state), printed
// under "== 汇总" and written as a workbook with one sheet per table. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "cli/demo/demo_context.h"

namespace velmor::cli {

struct ReportTable {
  std::string sheet;                           // the workbook sheet and the printed title
  std::vector<std::string> head;               // column headings
  std::vector<std::vector<std::string>> rows;  // cells as shown
};

// The tables of the days that ran, read from the plug-in's stores and the days' tallies.
// Raises HostError when a store cannot be read.
std::vector<ReportTable> BuildReport(DemoContext& context);
void PrintReport(const std::vector<ReportTable>& tables);
// Writes the tables to `path` (XLSX), amounts and counts as numbers. Raises on a write failure.
void WriteReportWorkbook(const std::vector<ReportTable>& tables, const std::string& path);

}  // namespace velmor::cli
