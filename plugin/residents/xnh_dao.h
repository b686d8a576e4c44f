// TXnhDAO: the scheme-account store (IXnhDAO), registered as row 5 of the service table. The
// statements are those of the account's download and lookups with every value quote-doubled;
// each operation takes its own connection and catches every failure at its boundary (see
// include/velmor/xnh_dao.h). Writes are split off into xnh_dao_save.cpp.
// One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "business/business_object.h"
#include "store/db_access.h"
#include "velmor/xnh_dao.h"

namespace velmor {

inline constexpr const char* kXnhDbExecFailed = "数据库执行失败";
inline constexpr const char* kXnhUpdateException = "数据更新异常";
inline constexpr const char* kXnhDwbhFailed = "查询单位编号失败。";
inline constexpr const char* kXnhXzjdFailed = "查询街道乡镇失败。";

// The stored collection mode of the server's code: "00" -> "01", "01" -> "02", else "00".
std::string TranslateZjms(std::string_view serverCode);

class TXnhDAO : public ServiceImpl<TSBBaseObj, IXnhDAO> {
 public:
  VELMOR_PUBLISHED(TXnhDAO, TSBBaseObj)

  bool HasXnhDjxx(const std::string& djxh) override;
  bool SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) override;
  std::string GetXnhJbxx(const std::string& djxh) override;
  std::string getZgswksDmLb(const std::string& djxh) override;
  std::string getSqhczData(const std::string& djxh, const std::string& xzjddm) override;
  std::string getCbxxData(const std::string& djxh, const std::string& sbjbjgdm, int32_t page,
                          int32_t pageSize) override;
  std::string GetSwjgList(const std::string& djxh) override;
  std::string GetXzjdData(const std::string& djxh, const std::string& sbjbjgdm) override;
  std::string GetZsxmDmList(const std::string& djxh, const std::string& sbjbjgdm) override;
  std::string GetZspmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm) override;
  std::string GetZszmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm,
                            const std::string& zspmdm) override;
  bool saveZjms(const std::string& djxh, const std::vector<XnhZjmsEntry>& entries, std::string& message) override;
  bool getZjms(const std::string& djxh, int32_t& total, int32_t& mode01, int32_t& mode02) override;
  std::string GetSbjbjgList(const std::string& djxh, const std::string& dwbh) override;
  std::string getXzjdZspm(const std::string& djxh) override;
  std::string GetDwbhList(const std::string& djxh, const std::string& yxbz, const std::string& sbjbjgdm) override;
  std::string GetSbjbjgText(const std::string& djxh) override;
  std::string getYxCbxx(const std::string& djxh, const std::string& month) override;
  std::string getJtbzhSwjgDmList(const std::string& djxh) override;
  std::string getAllJfrZsxmList(const std::string& djxh, const std::vector<std::string>& marks,
                                const std::string& dwbh, const std::string& sbjbjgdm) override;
  std::string getSbjbjgDwbhList(const std::string& djxh) override;
  std::string getAllDwbhList(const std::string& djxh, const std::vector<std::string>& marks,
                             const std::string& yxbz) override;
  std::string getJtbzhZspmZszmList(const std::string& djxh, const std::vector<std::string>& units) override;
  std::string queryXnhCbxx(const std::string& djxh, const XnhCbxxFilter& filter) override;
  std::vector<std::string> GetXzlxList(const std::string& djxh) override;
  int32_t CountGlbz(const std::string& djxh) override;
  int32_t CountYbgzdj(const std::string& djxh) override;
  bool SaveXnhDjxxFrom(const std::string& djxh, const std::vector<XnhJbxx>& offices, XnhSource source,
                       std::string& message) override;
  std::string getAllCbxm(const std::string& djxh) override;

 private:
  // Runs one operation: clears the last-error text; on an exception logs
  // "[TXnhDAO.<op>]异常：<text>", keeps the user message (a StoreError's fixed text, else
  // `failText`) and answers `fallback`.
  template <class R, class F>
  R Guard(std::string_view op, const char* failText, R fallback, F&& body);
  // Rows as JSON objects / the first column as a JSON array of texts.
  std::string Rows(std::string_view op, const std::string& sql, const char* failText = kDbQueryFailed);
  std::string Column(std::string_view op, const std::string& sql, const char* failText = kDbQueryFailed);
  int32_t Count(std::string_view op, const std::string& sql);
};

}  // namespace velmor
