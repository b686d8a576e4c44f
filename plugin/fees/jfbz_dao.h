// TJfbzDAOImpl: the fee-standard store (IJfbzDAO), registered as row 19 of the service table. The
// rule lookups use the conditions of fees/jfbz_rule.h (catch-all rows found and ranked after the
// specific ones); every value is quote-doubled. Each operation takes its own connection and
// catches every failure at its boundary. One object is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "velmor/jfbz_dao.h"

namespace velmor {

inline constexpr const char* kJfbzNullRule = "缴费标准规则对象为null。";
inline constexpr const char* kJfbzSaveFailed = "数据库保存异常。";
inline constexpr const char* kPmlxEmpty = "品目类型规则对象为空。";
inline constexpr const char* kPmlxClearFailed = "清空品目类型规则表失败。";
inline constexpr const char* kPmlxInsertFailed = "插入品目类型规则失败。";
inline constexpr const char* kPmlxListFailed = "TJfbzDAOImpl.GetAllPmlxList获取失败。";

class TJfbzDAOImpl : public ServiceImpl<TSBBaseObj, IJfbzDAO> {
 public:
  VELMOR_PUBLISHED(TJfbzDAOImpl, TSBBaseObj)

  bool SaveJfbz(const std::string& rule) override;
  std::string GetAllPmlxList() override;
  bool GetJfdcList(const JfbzKey& key, std::string& rows) override;
  bool GetJfsxxList(const JfbzKey& key, std::string& rows) override;
  bool GetJffsList(const JfbzKey& key, std::string& rows) override;
  bool GetZspmList(const std::string& pmlx, const std::string& sbjbjgdm, std::string& rows) override;

 private:
  // A query answered as rows (ordered by `order`, ranking sex when bySex), on the boundary of
  // operation `op`.
  bool Query(std::string_view op, const std::string& sql, std::string& rows, int order, bool bySex);
};

}  // namespace velmor
