// Running the stores' SQL on the host connection "VELMORMainCon": asking for the connection,
// statements that raise on failure (inside an operation; the store's boundary catches them),
// reading fields, and the two forms of update-else-insert.
//
// A connection is asked for afresh in every operation and dropped at its end (hold the Ref in a
// local). Nothing here locks: each thread uses its own connection.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "velmor/db.h"
#include "velmor/exceptions.h"

namespace velmor {

// The cause a user can act on in a database failure text: "磁盘空间不足" (the disk is full),
// "数据库文件已损坏：<file>" (a damaged database file, named when the host names it), "文本含NUL字符"
// or "文本不是有效的UTF-8" (a value the database refuses); empty for any other text.
std::string StorageCause(std::string_view engineText);
// `text` followed by "（cause）" when `engineText` has a cause, else `text`.
std::string WithStorageCause(std::string text, std::string_view engineText);

// The one error of the stores: the text a user receives (the store's fixed text, "数据库查询失败。",
// followed by the cause when the engine's message has one: "数据库执行异常（磁盘空间不足）") and the
// engine's message; what() is both joined, for the log.
class StoreError : public Exception {
 public:
  StoreError(std::string userText, std::string engineText)
      : Exception(userText + engineText),
        userText_(WithStorageCause(std::move(userText), engineText)),
        engineText_(std::move(engineText)) {}
  const char* ClassName() const noexcept override { return "EDatabaseError"; }
  const std::string& UserText() const { return userText_; }
  const std::string& EngineText() const { return engineText_; }

 private:
  std::string userText_;
  std::string engineText_;
};

// The fixed texts the stores hand back.
inline constexpr const char* kDbQueryFailed = "数据库查询失败。";
inline constexpr const char* kDbUpdateFailed = "数据库更新失败。";
inline constexpr const char* kDbDeleteFailed = "数据库删除失败。";
inline constexpr const char* kQueryFailed = "查询失败。";
inline constexpr const char* kQueryException = "查询异常：";
// Raised when the platform manager hands out no connection.
inline constexpr const char* kNoConnection = "获取数据库连接[VELMORMainCon]失败！";

// A new connection from the platform manager. Raises the platform manager's own message when
// there is none ("创建门户代理平台组件接口失败！"), or kNoConnection.
Ref<IDBMechanism> OpenMainConnection();

// ExecSQL; raises StoreError(failureText, engine message) when it answers false.
void ExecOrThrow(IDBMechanism& db, const std::string& sql, const char* failureText = kDbUpdateFailed);
// OpenQuery; raises StoreError(failureText, engine message) when it answers false.
Ref<IDBDataSet> QueryOrThrow(IDBMechanism& db, const std::string& sql, const char* failureText = kDbQueryFailed);

// The text of a column of the current row; raises Exception "字段[<name>]不存在" when the
// result has no such column.
std::string FieldText(IDBDataSet& ds, const std::string& name);
// The same as an integer (counts); 0 for text that is no number.
int32_t FieldInt(IDBDataSet& ds, const std::string& name);

// Update-else-insert, first form: runs `update`; when it changed no row, runs `insert`. False
// with *error (the engine's message) when a statement failed.
bool UpdateElseInsert(IDBMechanism& db, const std::string& update, const std::string& insert, std::string* error);

// Second form: opens `keyedSelect` (a SELECT of one table by the row's key), appends a row when
// it finds none and edits the one found otherwise, sets `fields` (column, text) and posts. False
// with *error when a step failed.
using FieldValue = std::pair<std::string_view, std::string_view>;
bool SaveKeyedRow(IDBMechanism& db, const std::string& keyedSelect, std::span<const FieldValue> fields,
                  std::string* error);

}  // namespace velmor
