// PartSource: the parts of an XLSX package by name, and ReadLimits, the caps that keep a hostile
// or damaged file from exhausting memory. ZipPartSource reads them from a zip archive on disk or
// in memory through libzip; tests and the fuzz target can feed parts directly.
//
// A source is used by one thread at a time; it owns its archive and closes it when destroyed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct zip;

namespace velmor::workbook {

struct ReadLimits {
  uint64_t maxPartBytes = 64ull << 20;    // one uncompressed part (a sheet's XML)
  uint64_t maxTotalBytes = 256ull << 20;  // all parts of one package together
  uint64_t maxCells = 2000000;            // non-empty cells of the whole workbook
};

class PartSource {
 public:
  virtual ~PartSource() = default;
  // The bytes of part `name` (a package path without a leading "/", matched without regard to
  // case), nullopt when the package has no such part. Throws WorkbookError kDamaged when the part
  // cannot be read or exceeds the limits, kEncrypted when it is encrypted.
  virtual std::optional<std::string> Read(const std::string& name) = 0;
};

class ZipPartSource final : public PartSource {
 public:
  // Opens an archive; `displayPath` names it in messages. Throws WorkbookError kNotAWorkbook
  // when the data is no zip archive, kDamaged when the archive is inconsistent.
  static ZipPartSource OpenFile(const std::string& path, const ReadLimits& limits);
  // The bytes must outlive the source.
  static ZipPartSource OpenMemory(std::string_view bytes, const std::string& displayPath, const ReadLimits& limits);

  ZipPartSource(ZipPartSource&& other) noexcept;
  ZipPartSource& operator=(ZipPartSource&&) = delete;
  ZipPartSource(const ZipPartSource&) = delete;
  ~ZipPartSource() override;

  std::optional<std::string> Read(const std::string& name) override;

 private:
  ZipPartSource(::zip* archive, std::string displayPath, const ReadLimits& limits)
      : archive_(archive), path_(std::move(displayPath)), limits_(limits) {}

  ::zip* archive_;
  std::string path_;
  ReadLimits limits_;
  uint64_t totalRead_ = 0;
};

}  // namespace velmor::workbook
