// The XLSX reader: package relationships, workbook, shared strings, styles and worksheets.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "workbook/date_serial.h"
#include "workbook/number_format.h"
#include "workbook/readers.h"
#include "workbook/xlsx_xml.h"

namespace velmor::workbook {
namespace {

using namespace xlsx;

// Caps on layout records, so that a damaged file cannot make the layout checks quadratic.
constexpr size_t kMaxMerges = 10000;
constexpr size_t kMaxValidationRanges = 2000;
constexpr size_t kMaxWidthColumns = kMaxColumns;

struct Relationship {
  std::string type;    // the last segment of the type URI: "worksheet", "sharedStrings", ...
  std::string target;  // a package path
};

// Joins a relationship target to the folder of the part that names it; handles "../" and "/x".
std::string ResolveTarget(const std::string& baseDir, std::string_view target) {
  std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1)) : baseDir + std::string(target);
  std::vector<std::string> segs;
  size_t i = 0;
  while (i <= joined.size()) {
    size_t end = joined.find('/', i);
    if (end == std::string::npos) end = joined.size();
    std::string seg = joined.substr(i, end - i);
    if (seg == "..") {
      if (!segs.empty()) segs.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segs.push_back(seg);
    }
    i = end + 1;
  }
  std::string out;
  for (const auto& s : segs) out += (out.empty() ? "" : "/") + s;
  return out;
}

std::string DirOf(const std::string& part) {
  size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string RelsPathOf(const std::string& part) {
  size_t slash = part.rfind('/');
  std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  return DirOf(part) + "_rels/" + file + ".rels";
}

// A <col> width counts the cell padding too; the engine's widths are characters of the default
// font (7 pixels a digit, 5 pixels of padding), the unit writers take.
double CharacterWidth(double stored) {
  double pixels = std::round(stored * 7);
  if (pixels <= 12) return pixels / 12;
  return std::round((pixels - 5) / 7 * 100) / 100;
}

class Reader {
 public:
  Reader(PartSource& parts, const std::string& path, const ReadLimits& limits, Workbook& out)
      : parts_(parts), path_(path), limits_(limits), book_(out) {}

  void Run();

 private:
  std::map<std::string, Relationship> ReadRels(const std::string& relsPart, const std::string& baseDir);
  void ReadSharedStrings(const std::string& part);
  void ReadStyles(const std::string& part);
  void ReadWorksheet(const std::string& part, Sheet& sheet);
  void ReadCell(pugi::xml_node c, uint32_t row, uint32_t col, Sheet& sheet);
  std::string FormatOfStyle(pugi::xml_attribute s) const;

  PartSource& parts_;
  const std::string& path_;
  const ReadLimits& limits_;
  Workbook& book_;
  bool date1904_ = false;
  uint64_t cells_ = 0;
  std::vector<std::string> strings_;
  std::vector<std::string> styleFormats_;  // by cellXfs index
};

std::map<std::string, Relationship> Reader::ReadRels(const std::string& relsPart, const std::string& baseDir) {
  std::map<std::string, Relationship> rels;
  auto data = parts_.Read(relsPart);
  if (!data) return rels;
  pugi::xml_document doc;
  ParseXml(*data, doc, path_, relsPart);
  ForEachChild(doc.document_element(), "Relationship", [&](pugi::xml_node r) {
    std::string_view type = Attr(r, "Type").value();
    size_t slash = type.rfind('/');
    if (slash != std::string_view::npos) type.remove_prefix(slash + 1);
    if (std::string_view(Attr(r, "TargetMode").value()) == "External") return;
    rels[Attr(r, "Id").value()] = {std::string(type), ResolveTarget(baseDir, Attr(r, "Target").value())};
  });
  return rels;
}

void Reader::Run() {
  // The package names its main document; older writers are found at the usual place.
  std::string workbookPart = "xl/workbook.xml";
  for (const auto& [id, rel] : ReadRels("_rels/.rels", "")) {
    if (rel.type == "officeDocument") workbookPart = rel.target;
  }
  auto wbData = parts_.Read(workbookPart);
  if (!wbData) throw WorkbookError::NotAWorkbook(path_);
  pugi::xml_document wb;
  ParseXml(*wbData, wb, path_, workbookPart);
  pugi::xml_node root = wb.document_element();
  if (LocalName(root.name()) != "workbook") throw WorkbookError::NotAWorkbook(path_);
  date1904_ = XmlBool(Attr(Child(root, "workbookPr"), "date1904"));

  auto rels = ReadRels(RelsPathOf(workbookPart), DirOf(workbookPart));
  for (const auto& [id, rel] : rels) {
    if (rel.type == "sharedStrings") ReadSharedStrings(rel.target);
    else if (rel.type == "styles") ReadStyles(rel.target);
  }

  ForEachChild(Child(root, "sheets"), "sheet", [&](pugi::xml_node s) {
    auto it = rels.find(RelIdAttr(s).value());
    if (it == rels.end() || it->second.type != "worksheet") return;  // chart sheets, dialogs
    Sheet& sheet = book_.AddSheet(book_.UsableSheetName(Attr(s, "name").value()));
    std::string_view state = Attr(s, "state").value();
    sheet.SetHidden(state == "hidden" || state == "veryHidden");
    ReadWorksheet(it->second.target, sheet);
  });
  if (book_.SheetCount() == 0) throw WorkbookError::NoSheet(path_);
  book_.SetSource(WorkbookFormat::kXlsx, path_);
}

void Reader::ReadSharedStrings(const std::string& part) {
  auto data = parts_.Read(part);
  if (!data) return;
  pugi::xml_document doc;
  ParseXml(*data, doc, path_, part);
  ForEachChild(doc.document_element(), "si", [&](pugi::xml_node si) { strings_.push_back(StringItemText(si)); });
}

void Reader::ReadStyles(const std::string& part) {
  auto data = parts_.Read(part);
  if (!data) return;
  pugi::xml_document doc;
  ParseXml(*data, doc, path_, part);
  pugi::xml_node root = doc.document_element();
  std::map<unsigned, std::string> custom;
  ForEachChild(Child(root, "numFmts"), "numFmt", [&](pugi::xml_node f) {
    custom[Attr(f, "numFmtId").as_uint()] = Attr(f, "formatCode").value();
  });
  ForEachChild(Child(root, "cellXfs"), "xf", [&](pugi::xml_node xf) {
    unsigned id = Attr(xf, "numFmtId").as_uint();
    auto it = custom.find(id);
    styleFormats_.push_back(it != custom.end() ? it->second : BuiltinFormatCode(id));
  });
}

std::string Reader::FormatOfStyle(pugi::xml_attribute s) const {
  if (!s) return {};
  unsigned index = s.as_uint();
  return index < styleFormats_.size() ? styleFormats_[index] : std::string();
}

std::optional<double> ParseDouble(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

void Reader::ReadCell(pugi::xml_node c, uint32_t row, uint32_t col, Sheet& sheet) {
  std::string_view t = Attr(c, "t").value();
  pugi::xml_node v = Child(c, "v");
  Cell cell;
  if (t == "inlineStr") {
    cell = Cell::Text(StringItemText(Child(c, "is")));
  } else if (!v) {
    return;  // a styled empty cell, or a formula never calculated
  } else if (t == "s") {
    auto index = ParseDouble(v.text().get());
    if (!index || *index < 0 || *index >= static_cast<double>(strings_.size()) || *index != std::floor(*index))
      throw WorkbookError::Damaged(path_, "共享字符串索引无效：" + CellRefText({row, col}));
    cell = Cell::Text(strings_[static_cast<size_t>(*index)]);
  } else if (t == "str") {
    cell = Cell::Text(DecodeEscapes(v.text().get()));
  } else if (t == "b") {
    cell = Cell::Boolean(std::string_view(v.text().get()) != "0");
  } else if (t == "e") {
    cell.kind = CellKind::kError;
    cell.text = v.text().get();
  } else if (t == "d") {
    auto serial = ParseIsoDateTime(v.text().get());
    std::string format = FormatOfStyle(Attr(c, "s"));
    if (!serial) cell = Cell::Text(v.text().get());
    else cell = Cell::DateSerial(*serial, IsDateFormat(format) ? format : "yyyy-mm-dd hh:mm:ss");
  } else {
    auto number = ParseDouble(v.text().get());
    std::string format = FormatOfStyle(Attr(c, "s"));
    if (!number) {
      cell = Cell::Text(v.text().get());  // not a number after all: show what the file holds
    } else if (IsDateFormat(format)) {
      cell = Cell::DateSerial(date1904_ ? *number + k1904Offset : *number, std::move(format));
    } else {
      cell = Cell::Number(*number, std::move(format));
    }
  }
  if (cell.empty()) return;
  if (++cells_ > limits_.maxCells)
    throw WorkbookError::Damaged(path_, "单元格数量超过" + std::to_string(limits_.maxCells) + "上限");
  sheet.SetCell(row, col, std::move(cell));
}

void Reader::ReadWorksheet(const std::string& part, Sheet& sheet) {
  auto data = parts_.Read(part);
  if (!data) throw WorkbookError::Damaged(path_, "缺少工作表部件" + part);
  pugi::xml_document doc;
  ParseXml(*data, doc, path_, part);
  pugi::xml_node root = doc.document_element();

  size_t widthColumns = 0;
  ForEachChild(Child(root, "cols"), "col", [&](pugi::xml_node col) {
    if (!XmlBool(Attr(col, "customWidth"))) return;
    unsigned first = Attr(col, "min").as_uint(), last = Attr(col, "max").as_uint();
    double width = Attr(col, "width").as_double();
    if (first == 0 || last < first || last > kMaxColumns || !(width > 0)) return;
    for (unsigned c = first; c <= last && widthColumns < kMaxWidthColumns; ++c, ++widthColumns)
      sheet.SetColumnWidth(c - 1, CharacterWidth(width));
  });

  uint32_t nextRow = 0;
  ForEachChild(Child(root, "sheetData"), "row", [&](pugi::xml_node r) {
    uint32_t row = nextRow;
    if (pugi::xml_attribute ra = Attr(r, "r")) {
      unsigned long long n = ra.as_ullong();
      if (n == 0 || n > kMaxRows) throw WorkbookError::Damaged(path_, std::string("行号无效：") + ra.value());
      row = static_cast<uint32_t>(n - 1);
    }
    uint32_t nextCol = 0;
    ForEachChild(r, "c", [&](pugi::xml_node c) {
      CellPos pos{row, nextCol};
      if (pugi::xml_attribute ref = Attr(c, "r")) {
        auto parsed = ParseCellRef(ref.value());
        if (!parsed) throw WorkbookError::Damaged(path_, std::string("单元格位置无效：") + ref.value());
        pos = *parsed;
      }
      if (pos.col >= kMaxColumns || pos.row >= kMaxRows)
        throw WorkbookError::Damaged(path_, "单元格位置无效：超出工作表范围");
      ReadCell(c, pos.row, pos.col, sheet);
      nextCol = pos.col + 1;
    });
    nextRow = row + 1;
  });

  // Layout records that do not parse are dropped: they never change what the cells say.
  ForEachChild(Child(root, "mergeCells"), "mergeCell", [&](pugi::xml_node m) {
    if (sheet.merges().size() >= kMaxMerges) return;
    auto range = ParseRange(Attr(m, "ref").value());
    if (!range || range->first == range->last) return;
    for (const auto& other : sheet.merges())
      if (other.Intersects(*range)) return;
    sheet.AddMerge(*range);
  });
  size_t validationRanges = 0;
  ForEachChild(Child(root, "dataValidations"), "dataValidation", [&](pugi::xml_node dv) {
    if (std::string_view(Attr(dv, "type").value()) != "list") return;
    auto ranges = ParseRangeList(Attr(dv, "sqref").value());
    std::string formula = Child(dv, "formula1").text().get();
    if (!ranges || ranges->empty() || formula.empty() || formula == "=") return;
    validationRanges += ranges->size();
    if (validationRanges > kMaxValidationRanges) return;
    sheet.AddListValidation(*ranges, formula);
  });
  if (pugi::xml_node pane = Child(Child(Child(root, "sheetViews"), "sheetView"), "pane")) {
    std::string_view state = Attr(pane, "state").value();
    double rows = Attr(pane, "ySplit").as_double();
    if ((state == "frozen" || state == "frozenSplit") && rows >= 1 && rows < kMaxRows)
      sheet.SetFrozenRows(static_cast<uint32_t>(rows));
  }
}

}  // namespace

void ReadXlsx(PartSource& parts, const std::string& displayPath, const ReadLimits& limits, Workbook& out) {
  Reader(parts, displayPath, limits, out).Run();
}

}  // namespace velmor::workbook
