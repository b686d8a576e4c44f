#include "cli/output.h"

#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/text_table.h"

namespace velmor::cli {
namespace {

// The choice of this run: one command parses per run, so one pair serves every command.
std::string g_format;
std::vector<std::string> g_fields;

// Rows of a table held before they are printed: enough to align a page, bounded for a stream.
constexpr size_t kTableBlock = 1000;

OutputFormat Parse(const std::string& name) {
  if (name == "json") return OutputFormat::kJson;
  if (name == "tsv") return OutputFormat::kTsv;
  return OutputFormat::kTable;
}

// A TSV cell holds no tab and no line break: a script splits on them.
std::string TsvCell(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

std::string Joined(const std::vector<OutputColumn>& columns) {
  std::string out;
  for (const OutputColumn& c : columns) out += (out.empty() ? "" : ",") + c.key;
  return out;
}

}  // namespace

void AddOutputOptions(CLI::App* command) {
  command->add_option("--format", g_format, "table, tsv or json (default: table on a terminal, tsv when piped)")
      ->check(CLI::IsMember({"table", "tsv", "json"}))
      ->type_name("FORMAT");
  command->add_option("--fields", g_fields, "only these columns, in this order (keys as in the tsv head line)")
      ->delimiter(',')
      ->type_name("KEY,...");
}

OutputFormat ChosenFormat() {
  if (!g_format.empty()) return Parse(g_format);
  return isatty(STDOUT_FILENO) ? OutputFormat::kTable : OutputFormat::kTsv;
}

std::string StateCell(const std::string& code, const std::string& name) {
  if (code.empty()) return name;
  return name.empty() ? code : code + " " + name;
}

Output::Output() : Output(ChosenFormat(), g_fields, stdout) {}

Output::Output(OutputFormat format, std::vector<std::string> fields, std::FILE* to)
    : format_(format), fields_(std::move(fields)), fieldUsed_(fields_.size(), false), to_(to) {}

Output::~Output() {
  if (finished_) return;
  try {
    EndSection();
    if (begun_ && format_ == OutputFormat::kJson) Put(named_ ? "}\n" : "");
    std::fflush(to_);
  } catch (...) {
  }
}

void Output::Put(const std::string& text) { std::fwrite(text.data(), 1, text.size(), to_); }

void Output::Begin(const std::string& section, std::vector<OutputColumn> columns) {
  EndSection();
  if (!begun_) {
    named_ = !section.empty();
    if (format_ == OutputFormat::kJson && named_) Put("{");
  } else if (format_ == OutputFormat::kJson) {
    Put(",");
  } else {
    Put("\n");  // a blank line between tables
  }
  begun_ = inSection_ = true;
  columns_.clear();
  pick_.clear();
  if (fields_.empty()) {
    for (size_t i = 0; i < columns.size(); ++i) pick_.push_back(i);
  } else {
    for (size_t f = 0; f < fields_.size(); ++f) {
      auto at =
          std::find_if(columns.begin(), columns.end(), [&](const OutputColumn& c) { return c.key == fields_[f]; });
      if (at != columns.end()) {
        pick_.push_back(static_cast<size_t>(at - columns.begin()));
        fieldUsed_[f] = true;
      } else if (!named_) {
        throw UsageError("没有字段\"" + fields_[f] + "\"（可选字段：" + Joined(columns) + "）");
      }
    }
  }
  for (size_t i : pick_) columns_.push_back(columns[i]);
  widths_.assign(columns_.size(), 0);
  for (size_t c = 0; c < columns_.size(); ++c) widths_[c] = DisplayWidth(columns_[c].heading);
  block_.clear();
  headPrinted_ = false;
  firstRow_ = true;
  if (format_ == OutputFormat::kJson) {
    if (named_) Put(nlohmann::json(section).dump() + ":");
    Put("[");
  } else if (format_ == OutputFormat::kTsv) {
    std::string head;
    for (size_t c = 0; c < columns_.size(); ++c) head += (c ? "\t" : "") + columns_[c].key;
    Put(head + "\n");
  }
}

void Output::Row(const std::vector<std::string>& cells) {
  std::vector<std::string> row;
  row.reserve(pick_.size());
  for (size_t i : pick_) row.push_back(i < cells.size() ? cells[i] : std::string());
  if (format_ == OutputFormat::kTable) {
    block_.push_back(std::move(row));
    if (block_.size() >= kTableBlock) FlushTable();
  } else if (format_ == OutputFormat::kTsv) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) line += (c ? "\t" : "") + TsvCell(row[c]);
    Put(line + "\n");
  } else {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (size_t c = 0; c < row.size(); ++c) object[columns_[c].key] = row[c];
    // Text that is not UTF-8 is shown replaced rather than failing the whole listing.
    Put(std::string(firstRow_ ? "\n" : ",\n") + object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  }
  firstRow_ = false;
}

void Output::FlushTable() {
  for (const auto& r : block_)
    for (size_t c = 0; c < r.size(); ++c) widths_[c] = std::max(widths_[c], DisplayWidth(r[c]));
  auto line = [&](const std::vector<std::string>& r) {
    std::string out;
    for (size_t c = 0; c < r.size(); ++c) {
      out += r[c];
      if (c + 1 < r.size()) out += std::string(widths_[c] - DisplayWidth(r[c]) + 2, ' ');
    }
    Put(out + "\n");
  };
  if (!headPrinted_) {
    std::vector<std::string> head;
    for (const OutputColumn& c : columns_) head.push_back(c.heading);
    line(head);
    headPrinted_ = true;
  }
  for (const auto& r : block_) line(r);
  block_.clear();
}

void Output::EndSection() {
  if (!inSection_) return;
  inSection_ = false;
  if (format_ == OutputFormat::kTable) FlushTable();
  if (format_ == OutputFormat::kJson) Put(firstRow_ ? "]" : "\n]");
  if (format_ == OutputFormat::kJson && !named_) Put("\n");
}

void Output::Finish() {
  if (finished_) return;
  EndSection();
  if (begun_ && format_ == OutputFormat::kJson && named_) Put("}\n");
  finished_ = true;
  std::fflush(to_);
  for (size_t f = 0; f < fields_.size(); ++f)
    if (named_ && !fieldUsed_[f]) throw UsageError("没有字段\"" + fields_[f] + "\"");
}

}  // namespace velmor::cli
