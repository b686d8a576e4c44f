#include "workbook/workbook.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "velmor/platform.h"
#include "workbook/readers.h"

namespace velmor::workbook {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

size_t Utf8Length(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// The first n characters (code points) of s.
std::string Utf8Prefix(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t count = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && count++ == n) break;
  }
  return std::string(s.substr(0, i));
}

constexpr size_t kMaxSheetName = 31;
constexpr std::string_view kBadSheetChars = "[]:*?/\\";

}  // namespace

Workbook Workbook::Open(const std::string& path, const ReadLimits& limits) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) throw WorkbookError::FileNotFound(path);
  unsigned char magic[8] = {};
  size_t got = 0;
  {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw WorkbookError::CannotOpen(path);
    got = std::fread(magic, 1, sizeof magic, f);
    std::fclose(f);
  }
  static const unsigned char kZip[] = {'P', 'K'};
  static const unsigned char kCompound[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  Workbook book;
  if (got >= 4 && std::memcmp(magic, kZip, 2) == 0) {
    auto parts = ZipPartSource::OpenFile(path, limits);
    ReadXlsx(parts, path, limits, book);
  } else if (got == 8 && std::memcmp(magic, kCompound, 8) == 0) {
    ReadCompoundFile(path, limits, book);
  } else {
    throw WorkbookError::NotAWorkbook(path);
  }
  return book;
}

Workbook Workbook::OpenXlsxMemory(std::string_view bytes, const std::string& displayPath, const ReadLimits& limits) {
  auto parts = ZipPartSource::OpenMemory(bytes, displayPath, limits);
  return ReadXlsxParts(parts, displayPath, limits);
}

Workbook Workbook::ReadXlsxParts(PartSource& parts, const std::string& displayPath, const ReadLimits& limits) {
  Workbook book;
  ReadXlsx(parts, displayPath, limits, book);
  return book;
}

void Workbook::Save(const std::string& path) const {
  namespace fs = std::filesystem;
  if (path.empty()) throw WorkbookError::SaveFailed(path, "文件名为空");
  fs::path target(path);
  fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw WorkbookError::SaveFailed(path, "目录不存在");
  if (fs::is_directory(target, ec)) throw WorkbookError::SaveFailed(path, "目标是一个目录");
  std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) throw WorkbookError::SaveFailed(path, "无法创建临时文件");
  ::close(fd);
  // The writer creates the file itself, so that it gets the usual permissions rather than 0600.
  ::unlink(temp.c_str());
  try {
    WriteXlsx(*this, temp, path);
  } catch (...) {
    fs::remove(temp, ec);
    throw;
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    throw WorkbookError::SaveFailed(path, "无法替换目标文件");
  }
}

std::vector<std::string> Workbook::SheetNames() const {
  std::vector<std::string> names;
  names.reserve(sheets_.size());
  for (const auto& s : sheets_) names.push_back(s->name());
  return names;
}

Sheet& Workbook::sheet(size_t index) {
  return const_cast<Sheet&>(static_cast<const Workbook&>(*this).sheet(index));
}

const Sheet& Workbook::sheet(size_t index) const {
  if (index >= sheets_.size()) throw WorkbookError::SheetNotFound("第" + std::to_string(index + 1) + "个");
  return *sheets_[index];
}

Sheet* Workbook::FindSheet(std::string_view name) {
  return const_cast<Sheet*>(static_cast<const Workbook&>(*this).FindSheet(name));
}

const Sheet* Workbook::FindSheet(std::string_view name) const {
  for (const auto& s : sheets_)
    if (SameName(s->name(), name)) return s.get();
  return nullptr;
}

Sheet& Workbook::SheetByName(std::string_view name) {
  Sheet* s = FindSheet(name);
  if (!s) throw WorkbookError::SheetNotFound(std::string(name));
  return *s;
}

Sheet& Workbook::FirstSheet() { return const_cast<Sheet&>(static_cast<const Workbook&>(*this).FirstSheet()); }

const Sheet& Workbook::FirstSheet() const {
  if (sheets_.empty()) throw WorkbookError::NoSheet(path_);
  return *sheets_.front();
}

std::string Workbook::SheetNameProblem(std::string_view name) {
  if (name.empty()) return "名称为空";
  if (Utf8Length(name) > kMaxSheetName) return "超过31个字符";
  if (name.find_first_of(kBadSheetChars) != std::string_view::npos) return "含有字符[]:*?/\\";
  if (name.front() == '\'' || name.back() == '\'') return "以单引号开头或结尾";
  return {};
}

Sheet& Workbook::AddSheet(const std::string& name) {
  if (!SheetNameProblem(name).empty()) throw WorkbookError::InvalidArgument("工作表名称无效：" + name);
  if (FindSheet(name)) throw WorkbookError::InvalidArgument("工作表名称重复：" + name);
  sheets_.push_back(std::make_unique<Sheet>(name));
  return *sheets_.back();
}

Sheet& Workbook::GetOrAddSheet(const std::string& name) {
  Sheet* s = FindSheet(name);
  return s ? *s : AddSheet(name);
}

std::string Workbook::UsableSheetName(std::string_view wanted) const {
  std::string base;
  for (char c : platform::Utf16ToUtf8(platform::Utf8ToUtf16(wanted))) base += kBadSheetChars.find(c) != std::string_view::npos || c == '\0' ? '_' : c;
  while (!base.empty() && base.front() == '\'') base.erase(0, 1);
  while (!base.empty() && base.back() == '\'') base.pop_back();
  if (base.empty()) base = "Sheet";
  base = Utf8Prefix(base, kMaxSheetName);
  std::string name = base;
  for (int n = 2; FindSheet(name); ++n) {
    std::string suffix = " (" + std::to_string(n) + ")";
    name = Utf8Prefix(base, kMaxSheetName - suffix.size()) + suffix;
  }
  return name;
}

std::vector<std::vector<std::string>> ReadFirstSheetRows(const std::string& path) {
  Workbook book = Workbook::Open(path);
  const Sheet& first = book.FirstSheet();
  first.RequireNotEmpty();
  return first.RowsText();
}

}  // namespace velmor::workbook
