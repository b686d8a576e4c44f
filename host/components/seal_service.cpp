#include "host/components/seal_service.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

namespace velmor::host::components {

namespace {

std::string NowText() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

}  // namespace

bool SealService::Seal(const std::string& pdfFile, const std::string& sealCode, const std::string& description,
                       std::string& error) {
  namespace fs = std::filesystem;
  if (!failure_.empty()) {
    error = failure_;
    return false;
  }
  std::error_code ec;
  if (pdfFile.empty() || !fs::is_regular_file(pdfFile, ec)) {
    error = "电子签章失败，文件不存在：" + pdfFile;
    return false;
  }
  char head[5] = {};
  std::ifstream in(pdfFile, std::ios::binary);
  in.read(head, sizeof head);
  if (in.gcount() != 5 || std::string(head, 5) != "%PDF-") {
    error = "电子签章失败，文件不是PDF文档：" + pdfFile;
    return false;
  }
  const std::string record = pdfFile + kRecordSuffix;
  const std::string temp = record + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << nlohmann::ordered_json{{"code", sealCode}, {"description", description}, {"time", NowText()}}.dump();
    if (!out.flush()) {
      fs::remove(temp, ec);
      error = "电子签章失败，无法写入签章记录：" + record;
      return false;
    }
  }
  fs::rename(temp, record, ec);
  if (ec) {
    fs::remove(temp, ec);
    error = "电子签章失败，无法写入签章记录：" + record;
    return false;
  }
  return true;
}

}  // namespace velmor::host::components
