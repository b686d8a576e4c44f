// TJfjeqrDAOImpl: the store of confirmations, authorisations and online-signed agreements
// (IJfjeqrDAO), registered as row 26 of the service table. Every value is quote-doubled; each
// operation takes its own connection and catches every failure at its boundary. The agreement
// rows are written in jfjeqr_dao_xy.cpp. One object is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "store/sql.h"
#include "velmor/jfjeqr_dao.h"

namespace velmor {

inline constexpr const char* kJfjeqrSaveFailed = "数据库保存失败。";
inline constexpr const char* kJfjeqrSaveError = "数据库保存异常：";
inline constexpr const char* kSbfkfsqDeleteFailed = "删除社保费扣费授权失败。";
inline constexpr const char* kSbfkfsqSaveFailed = "保存社保费扣费授权失败。";
inline constexpr const char* kSbfkfsqSaveError = "保存社保费扣费授权异常。";
inline constexpr const char* kSbfkfsqZfFailed = "作废社保费扣费授权失败。";
inline constexpr const char* kSbfkfsqZfError = "作废社保费扣费授权异常。";
inline constexpr const char* kXySaveFailed = "保存居民养老网签三方协议失败。";
inline constexpr const char* kXySaveError = "保存居民养老网签三方协议异常：";
inline constexpr const char* kXyStateFailed = "更新三方协议状态失败。";
inline constexpr const char* kXyDateFailed = "更新三方协议验证通过日期失败。";
inline constexpr const char* kXyQueryFailed = "数据查询失败。";
inline constexpr const char* kXyCountError = "获取居民养老网签三方协议数量异常：";
inline constexpr const char* kXyDataError = "获取居民养老网签三方协议数据异常：";

class TJfjeqrDAOImpl : public ServiceImpl<TSBBaseObj, IJfjeqrDAO> {
 public:
  VELMOR_PUBLISHED(TJfjeqrDAOImpl, TSBBaseObj)

  bool SaveJfjeqr(const std::string& djxh, const std::string& lines) override;
  int32_t GetJfjeqrCount(const std::string& djxh, const std::string& filter) override;
  std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) override;
  bool SaveSbfkfsq(const std::string& djxh, const std::string& authorisation) override;
  int32_t GetSbfkfsqCount(const std::string& djxh, const std::string& filter) override;
  std::string GetSbfkfsqData(const std::string& djxh, const std::string& filter, int32_t page,
                             int32_t pageSize) override;
  bool SbfkfsqZf(int32_t id) override;
  bool SaveJmylwqsfxy(const std::string& djxh, const std::string& rydjxh, const std::string& xm,
                      const std::string& agreement) override;
  int32_t GetJmylwqsfxyCount(const std::string& djxh, const std::string& filter) override;
  std::string GetJmylwqsfxyDAta(const std::string& djxh, const std::string& filter, int32_t page,
                                int32_t pageSize) override;
  bool UpdateSfyxztDm(const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
                      const std::string& sfxyztDm) override;
  bool UpdateSfxyyztgrq(const std::string& djxh, const std::string& rydjxh, const std::string& sfxyh,
                        const std::string& sfxyyztgRq) override;

  // The boundary of an operation: "[TJfjeqrDAOImpl.<op>]异常：" in the log; the user text is
  // rule.prefix (+ the failure's text when rule.appendText).
  template <class R, class F>
  R Guard(std::string_view op, const char* prefix, bool appendText, R fallback, F&& body);

 private:
  // One of the three filtered lists: its table, the conditions of a filter, the texts of its
  // failures (prefix of an exception's text; the text of a failed query).
  struct ListQuery {
    const char* table;
    SqlFragment (*where)(const nlohmann::ordered_json& filter);
    const char* prefixError;
    const char* failText;
  };
  // A page (newest first) of the payer's rows matching the filter text / their count.
  std::string Page(std::string_view op, const ListQuery& q, const std::string& djxh, const std::string& filter,
                   int32_t page, int32_t pageSize);
  int32_t CountOf(std::string_view op, const ListQuery& q, const std::string& djxh, const std::string& filter);

  static const ListQuery kJfjeqrList, kSbfkfsqList, kXyList;
};

}  // namespace velmor
