// TCXJMSBStatusQueryService: the declaration state of residents' insured lines
// (ICXJMSBStatusQueryService), registered as row 27 of the service table. The local lines and
// their listing live in sbzt_query_service.cpp, the batched "0056" query in sbzt_query_batches.cpp,
// the two-step queries ("0210"/"0211", "0108", "0270") in sbzt_query_two_step.cpp, the export in
// sbzt_query_export.cpp; the background year check (TAsynQueryYctxData, "0223") in
// sbzt_year_check.h. One object is used by the host's main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "framework/boundary.h"
#include "store/bound_sql.h"
#include "store/sql.h"
#include "velmor/cxjm_sbzt_query.h"
#include "velmor/db.h"

namespace velmor {

inline constexpr const char* kSbztClass = "TCXJMSBStatusQueryService";
inline constexpr const char* kSbztNoLines =
    "本地不存在城乡居民参保登记信息，请在城乡居民参保信息更新菜单下载更新城乡居民信息；或在外部参保城乡居民导入菜单，"
    "导入城乡居民参保信息。";
inline constexpr const char* kSbztWaitQuestion = "申报状态查询超时，是否继续等待？";
inline constexpr const char* kSbztFailed = "申报状态查询失败：";
inline constexpr const char* kSbztNoData = "申报状态查询失败，失败原因：系统未返回数据。";
inline constexpr const char* kSbztShownPrefix = "城乡居民申报状态查询异常：";
inline constexpr size_t kSbztBatchSize = 1000;
// "0056" batches submitted ahead of the one awaited.
inline constexpr size_t kSbztBatchesInFlight = 8;

namespace sbzt {

using Json = nlohmann::ordered_json;

// One line to ask about: its server identity and its row in sb_rycbxmb.
struct Line {
  std::string xzid, id;
};

// The lines of the payer matching the query that were not asked today for the query's year.
std::vector<Line> LinesToQuery(IDBMechanism& db, const std::string& djxh, const Json& query, const std::string& today);
// The same lines handed to `line` one at a time as the engine steps to them (`line` must not use
// `db`; false stops the reading).
void ReadLinesToQuery(IDBMechanism& db, const std::string& djxh, const Json& query, const std::string& today,
                      const std::function<bool(Line&&)>& line);
// The number of the payer's enrolment lines (any state).
int32_t LineCount(IDBMechanism& db, const std::string& djxh);
// The list statement (page) or the count statement of the query.
std::string ListSql(const std::string& djxh, const Json& query, int32_t page, int32_t pageSize);
std::string CountSql(const std::string& djxh, const Json& query);

// The statements that store answers, each a bound statement prepared once: an answered line,
// and a line the server did not return. `scratch` holds the values between calls.
void StoreAnswered(IDBMechanism& db, BoundValues& scratch, int32_t sbzt, const std::string& today,
                   const std::string& jfnd, std::string_view id);
void StoreNotReturned(IDBMechanism& db, BoundValues& scratch, const std::string& djxh, const std::string& today,
                      const std::string& jfnd, const std::string& id);

// Stores the answer of one batch in one transaction: the lines the answer holds with its state
// ("Y" declared), every other line of the batch as not declared. The number of answered lines.
int32_t StoreBatch(IDBMechanism& db, const std::string& djxh, const std::string& jfnd, std::span<const Line> batch,
                   const std::vector<std::pair<std::string, std::string>>& answers, bool markOthers);

// Runs body at the operation's boundary: logs "[TCXJMSBStatusQueryService.<op>]异常：" (or the
// bracketed form), hands the user text (refusals as they stand, other failures after `prefix`).
bool Run(std::string& message, std::string_view op, LogForm form, const char* prefix,
         const std::function<void()>& body);

}  // namespace sbzt

class TCXJMSBStatusQueryService : public ServiceImpl<TSBBaseObj, ICXJMSBStatusQueryService> {
 public:
  VELMOR_PUBLISHED(TCXJMSBStatusQueryService, TSBBaseObj)

  std::string xzidList(const std::string& djxh, const std::string& query) override;
  int32_t getCount(const std::string& djxh, const std::string& query) override;
  std::string getData(const std::string& djxh, const std::string& query, int32_t page, int32_t pageSize) override;
  bool exportData(const std::string& djxh, const std::string& query, const std::string& filePath) override;
  bool synSbztCx(const std::string& djxh, const std::string& query, IProgressView* progress,
                 int32_t& answered) override;
  bool DoSaveSBZT(const std::string& jfnd, const std::string& lines) override;
  bool DoSaveOtherSBZT(const std::string& djxh, const std::string& jfnd, const std::string& ids) override;
  bool synZzsbztCx_098(const std::string& djxh, const std::string& query, IProgressView* progress,
                       int32_t& answered) override;
  bool synHdsbztCx(const std::string& djxh, const std::string& params, std::string& serial) override;
  bool synHdsbztCxFk(const std::string& serial, bool& ready, std::string& result) override;
  bool synCxjmzzSbjfztCx(const std::string& djxh, const std::string& cxjmList, std::string& serial) override;
  bool synCxjmzzSbjfztCxFk(const std::string& serial, bool& ready, std::string& result) override;
};

}  // namespace velmor
