// Reading XLSX parts through libzip with size caps (the zip-bomb guard).
#include <zip.h>

#include <algorithm>

#include "workbook/part_source.h"
#include "workbook/workbook_error.h"

namespace velmor::workbook {
namespace {

std::string ZipErrorText(int code) {
  switch (code) {
    case ZIP_ER_NOZIP: return "压缩包不完整";
    case ZIP_ER_INCONS: return "压缩包结构不一致";
    case ZIP_ER_CRC: return "数据校验失败";
    case ZIP_ER_COMPRESSED_DATA: return "压缩数据错误";
    case ZIP_ER_COMPNOTSUPP: return "不支持的压缩方式";
    case ZIP_ER_MEMORY: return "内存不足";
    default: break;
  }
  zip_error_t e;
  zip_error_init_with_code(&e, code);
  std::string s = zip_error_strerror(&e);
  zip_error_fini(&e);
  return s;
}

// A file that begins like a zip archive but does not open as one is a damaged package.
[[noreturn]] void ThrowOpenError(int code, const std::string& path, bool looksLikeZip) {
  if (code == ZIP_ER_NOZIP && !looksLikeZip) throw WorkbookError::NotAWorkbook(path);
  if (code == ZIP_ER_NOENT) throw WorkbookError::FileNotFound(path);
  if (code == ZIP_ER_OPEN) throw WorkbookError::CannotOpen(path);
  throw WorkbookError::Damaged(path, ZipErrorText(code));
}

bool LooksLikeZip(std::string_view bytes) { return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K'; }

std::string SizeText(uint64_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + "MB";
  return std::to_string(bytes) + "字节";
}

}  // namespace

ZipPartSource ZipPartSource::OpenFile(const std::string& path, const ReadLimits& limits) {
  int err = 0;
  ::zip* za = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!za) ThrowOpenError(err, path, true);  // the caller saw the zip signature
  return ZipPartSource(za, path, limits);
}

ZipPartSource ZipPartSource::OpenMemory(std::string_view bytes, const std::string& displayPath,
                                        const ReadLimits& limits) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!src) {
    zip_error_fini(&error);
    throw WorkbookError::Damaged(displayPath, "内存不足");
  }
  ::zip* za = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!za) {
    int code = zip_error_code_zip(&error);
    zip_source_free(src);
    zip_error_fini(&error);
    ThrowOpenError(code, displayPath, LooksLikeZip(bytes));
  }
  zip_error_fini(&error);
  return ZipPartSource(za, displayPath, limits);
}

ZipPartSource::ZipPartSource(ZipPartSource&& other) noexcept
    : archive_(other.archive_), path_(std::move(other.path_)), limits_(other.limits_), totalRead_(other.totalRead_) {
  other.archive_ = nullptr;
}

ZipPartSource::~ZipPartSource() {
  if (archive_) zip_discard(archive_);
}

std::optional<std::string> ZipPartSource::Read(const std::string& name) {
  zip_int64_t index = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
  if (index < 0) return std::nullopt;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &st) != 0)
    throw WorkbookError::Damaged(path_, "部件" + name + "无法读取");
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
    throw WorkbookError::Encrypted(path_);
  // The declared size is checked first; the read below enforces the cap whatever the header says.
  uint64_t cap = std::min(limits_.maxPartBytes, limits_.maxTotalBytes - std::min(totalRead_, limits_.maxTotalBytes));
  auto tooLarge = [&] {
    if (cap < limits_.maxPartBytes)
      return WorkbookError::Damaged(path_, "工作簿解压后超过" + SizeText(limits_.maxTotalBytes) + "上限");
    return WorkbookError::Damaged(path_, "部件" + name + "解压后超过" + SizeText(limits_.maxPartBytes) + "上限");
  };
  if ((st.valid & ZIP_STAT_SIZE) && st.size > cap) throw tooLarge();
  zip_file_t* f = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
  if (!f) {
    int code = zip_error_code_zip(zip_get_error(archive_));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
      throw WorkbookError::Encrypted(path_);
    throw WorkbookError::Damaged(path_, "部件" + name + "无法读取：" + ZipErrorText(code));
  }
  std::string data;
  data.resize(static_cast<size_t>(std::min<uint64_t>((st.valid & ZIP_STAT_SIZE) ? st.size : 0, cap)) + 1);
  size_t used = 0;
  for (;;) {
    if (used == data.size()) {
      if (used > cap) break;
      data.resize(std::min<uint64_t>(std::max<size_t>(used * 2, 4096), cap + 1));
    }
    zip_int64_t n = zip_fread(f, data.data() + used, data.size() - used);
    if (n < 0) {
      int code = zip_error_code_zip(zip_file_get_error(f));
      zip_fclose(f);
      throw WorkbookError::Damaged(path_, "部件" + name + "数据错误：" + ZipErrorText(code));
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  zip_fclose(f);
  if (used > cap) throw tooLarge();
  totalRead_ += used;
  data.resize(used);
  return data;
}

}  // namespace velmor::workbook
