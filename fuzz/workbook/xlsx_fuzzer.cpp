// Fuzz target of the XLSX reader. The first byte picks the form of the rest:
//   bit 0 clear: a zip archive, opened from memory (damaged archives, bombs, odd entries);
//   bit 0 set:   the XML parts themselves, separated by "\n@@@@\n", in the order workbook,
//                workbook relationships, shared strings, styles, first sheet (damaged XML);
//   bit 1 set:   what was read is also saved as XLSX again (damaged templates filled and saved).
// Every input must end in a workbook or a WorkbookError; nothing else may escape.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "workbook/workbook.h"

namespace {

using velmor::workbook::PartSource;
using velmor::workbook::ReadLimits;
using velmor::workbook::Workbook;
using velmor::workbook::WorkbookError;

class FuzzParts : public PartSource {
 public:
  explicit FuzzParts(std::string_view data) {
    static const char* const kNames[] = {"xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/sharedStrings.xml",
                                         "xl/styles.xml", "xl/worksheets/sheet1.xml"};
    static const std::string_view kSep = "\n@@@@\n";
    for (const char* name : kNames) {
      size_t end = data.find(kSep);
      parts_[name] = std::string(data.substr(0, end));
      if (end == std::string_view::npos) break;
      data.remove_prefix(end + kSep.size());
    }
  }
  std::optional<std::string> Read(const std::string& name) override {
    auto it = parts_.find(name);
    if (it == parts_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<std::string, std::string> parts_;
};

std::string& OutputPath() {
  static std::string path = [] {
    char dir[] = "/tmp/velmor-xlsx-fuzz-XXXXXX";
    if (!::mkdtemp(dir)) std::abort();
    return std::string(dir) + "/out.xlsx";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  ReadLimits limits;
  limits.maxPartBytes = 8u << 20;  // keeps each run fast; the caps themselves are what is tested
  limits.maxTotalBytes = 16u << 20;
  limits.maxCells = 200000;
  try {
    Workbook book;
    if (mode & 1) {
      FuzzParts parts(rest);
      book = Workbook::ReadXlsxParts(parts, "fuzz.xlsx", limits);
    } else {
      book = Workbook::OpenXlsxMemory(rest, "fuzz.xlsx", limits);
    }
    size_t chars = 0;
    for (size_t i = 0; i < book.SheetCount(); ++i)
      for (const auto& row : book.sheet(i).RowsText())
        for (const auto& cell : row) chars += cell.size();
    if (chars == static_cast<size_t>(-1)) std::abort();  // keeps the loop from being optimised away
    if (mode & 2) book.Save(OutputPath());
  } catch (const WorkbookError&) {
  }
  return 0;
}
