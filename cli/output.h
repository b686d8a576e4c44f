// Output: how list and show commands print their rows, in the format the user chose with
// `--format table|tsv|json` (default: an aligned table on a terminal, TSV when piped) and with
// only the columns `--fields` names. Rows are written as they come (a table in blocks), so a
// command can stream any number of them. Headings are for people; keys name the columns for
// scripts (TSV head line, JSON keys, --fields).
//
//   Output out;                                  // the format and fields of this run
//   out.Begin("", {{"id", "ID"}, {"sbzt", "申报状态"}});
//   out.Row({"1", StateCell("2", "申报成功")});
//   out.Finish();
//
// A command with several tables names them: Begin("details", ...), Begin("persons", ...); JSON
// is then one object of arrays by name, TSV and tables are separated by a blank line.
// An Output writes to one stream; main thread only, one at a time.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace velmor::cli {

enum class OutputFormat { kTable, kTsv, kJson };

struct OutputColumn {
  std::string key;      // for scripts: ASCII, as the store names the field
  std::string heading;  // for people
};

// A request the command line cannot serve (an unknown --fields name): exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Adds --format and --fields to a list or show command; the values are this run's.
void AddOutputOptions(CLI::App* command);

// A state cell: the code and its name ("1 正常"); the code alone when the name is unknown.
std::string StateCell(const std::string& code, const std::string& name);

class Output {
 public:
  // To stdout, in this run's format and fields.
  Output();
  Output(OutputFormat format, std::vector<std::string> fields, std::FILE* to);
  ~Output();  // finishes what was begun; prefer Finish(), which reports a bad --fields
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Starts a table; `section` names it when the command prints several. Raises UsageError when
  // --fields names a key the (only) table lacks.
  void Begin(const std::string& section, std::vector<OutputColumn> columns);
  // One row, cells in the order of the columns; missing cells are empty.
  void Row(const std::vector<std::string>& cells);
  // Ends the output. Raises UsageError when a --fields name matched no table.
  void Finish();

 private:
  void EndSection();
  void FlushTable();
  void Put(const std::string& text);

  OutputFormat format_;
  std::vector<std::string> fields_;
  std::vector<bool> fieldUsed_;
  std::FILE* to_;
  bool begun_ = false, inSection_ = false, named_ = false, finished_ = false, firstRow_ = true;
  std::vector<OutputColumn> columns_;  // the selected ones
  std::vector<size_t> pick_;           // their places in the command's rows
  std::vector<size_t> widths_;         // table: grow block by block
  std::vector<std::vector<std::string>> block_;
  bool headPrinted_ = false;
};

// The format of this run: --format, else a table when stdout is a terminal, TSV otherwise.
OutputFormat ChosenFormat();

}  // namespace velmor::cli
