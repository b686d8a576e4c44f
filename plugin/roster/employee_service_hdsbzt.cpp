// The declaration states of assessed declarations ("0108"): a count, then pages of 2000 records
// as asynchronous jobs, written by a counting writer in one transaction.
//
// The writer opens its transaction before the first page is written, and the keys the payer's
// table holds are read then: a state of a new key is written by the insert alone (the update
// would change nothing), an existing key by the full update-else-insert. The same rows as the
// full statements for every record, with about half the statements.
//
// Pages are read record by record (roster/hdsbzt_page.h).
#include <nlohmann/json.hpp>

#include <algorithm>

#include "business/date_time.h"
#include "codec/json_parse.h"
#include "codec/taxml_exchange.h"
#include "codec/text_set.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/progress.h"
#include "roster/employee_service.h"
#include "roster/employee_service_guard.h"
#include "roster/hdsbzt_page.h"
#include "service/async_jobs.h"
#include "store/background/base_asyn_exec_sql.h"
#include "store/background/bulk_rows.h"
#include "store/db_access.h"
#include "store/sql.h"

namespace velmor {

namespace {

constexpr int kPageSize = 2000;
constexpr int64_t kHdsbztWaitMs = 3600000;
constexpr int64_t kBarrierTimeoutMs = 600000;
constexpr size_t kRowsPerItem = 100;

// The upsert of one declaration state keyed by (djxh, jfnd, xzid); its values, in this order:
// djxh, jfnd, xzid, sbrq, ybtfe, sbzt, jfzt.
constexpr size_t kHdsbztWidth = 7;
constexpr std::string_view kHdsbztDelete = " delete from ds_rysbztb where djxh = ?1 and jfnd = ?2 and xzid = ?3 ";
constexpr std::string_view kHdsbztUpdate =
    " update ds_rysbztb set sbrq = ?4, ybtfe = ?5, sbzt = ?6, jfzt = ?7 where djxh = ?1 and jfnd = ?2 and xzid = ?3 ";
constexpr std::string_view kHdsbztInsert =
    " insert into ds_rysbztb (djxh, jfnd, xzid, sbrq, ybtfe, sbzt, jfzt) values (?1, ?2, ?3, ?4, ?5, ?6, ?7) ";

std::string Key(std::string_view jfnd, std::string_view xzid) {
  std::string k(jfnd);
  k.push_back('\x1f');
  k.append(xzid);
  return k;
}

// The keys (jfnd, xzid) of the payer's stored states, read on the writer's connection once it
// holds its transaction, so that nothing but what it is given changes them afterwards; with room
// for the `answered` states the server has besides.
TextSet StoredKeys(SqlWriter& writer, const std::string& djxh, size_t answered) {
  if (!writer.Barrier(true, kBarrierTimeoutMs)) throw taxml::Failure("等待写库线程超时");
  TextSet keys;
  keys.Reserve(answered);
  Ref<IDBDataSet> ds =
      QueryOrThrow(writer.Connection(), FormatSql("select jfnd, xzid from ds_rysbztb where djxh = '%s'", {V(djxh)}));
  Ref<IDBFields> f = ds->Fields();
  Ref<IDBField> jfnd = f->FieldByName("jfnd"), xzid = f->FieldByName("xzid");
  for (; !ds->Eof(); ds->Next()) keys.Insert(Key(jfnd->AsString(), xzid->AsString()));
  return keys;
}

taxml::Call HdsbztCall(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz) {
  taxml::Call call;
  call.serviceCode = "0108";
  call.djxh = false;
  call.keys["djxh"] = djxh;
  call.keys["isQueryCount"] = "Y";
  call.keys["fkssqq"] = fkssqq;
  call.keys["fkssqz"] = fkssqz;
  call.keys["useFkssqParam"] = "Y";
  return call;
}

}  // namespace

bool TEmployeeServiceImpl::QueryHdsbztCx(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                                         IProgressView* progress, int32_t& stored, std::string& message) {
  stored = 0;
  return Run("QueryHdsbztCx", "查询异常：", false, message, [&] {
    LogText("开始批量城乡居民申报状态查询（核定申报） ");
    Ref<ISysParamIntf> params = SysParams(djxh);
    const std::string paramKey = "cxjmsbzt_xgrq_" + fkssqq.substr(0, 4);
    const std::string last = params->GetValue(paramKey);
    LogText("上次更新时间：" + last);

    taxml::Call count = HdsbztCall(djxh, fkssqq, fkssqz);
    count.progress = progress;
    count.progressValue = 10;
    taxml::Reply reply = taxml::Send(count);
    reply.RequireSuccess();
    nlohmann::json answer = ParseOutsideJson<nlohmann::json>(reply.request->GetResponse(), false);
    if (!answer.is_object()) throw taxml::Failure("反馈数据异常：应答不是JSON对象");
    const int64_t total = answer.value("jltj", int64_t{0});
    const int64_t pages = total / kPageSize + (total % kPageSize ? 1 : 0);
    LogText(" iPageCount =" + std::to_string(pages));
    if (total <= 0) {
      message = kNoHdsbztData;
      return;
    }

    WriterPtr<TBaseAsynExecSql> writer = MakeWriter<TBaseAsynExecSql>(OpenMainConnection());
    writer->StartCounting();
    AsyncJobSet jobs("0108", GetNetComm());
    for (int64_t p = 0; p < pages; ++p) {
      taxml::Call call = HdsbztCall(djxh, fkssqq, fkssqz);
      call.keys["isQueryCount"] = "N";
      call.keys["recBeginNo"] = std::to_string(p * kPageSize + 1);
      call.keys["recEndNo"] = std::to_string((p + 1) * kPageSize);
      const std::string serial = NewSerialNo();
      // Submitted while the stored keys are read and the first pages' answers stored.
      jobs.SubmitInBackground(serial, taxml::BodyText(call, serial, djxh), static_cast<int32_t>(p), "");
    }
    LogText("[批量城乡居民申报状态查询（核定申报）]异步请求发送结束, 开始获取反馈");
    // The updates the known keys spared: counted in the log line as run, so that it reads as
    // when every state was written by update-else-insert.
    int64_t spared = 0;
    try {
      // Room for the states the server counted (bounded: the count is the server's word).
      TextSet keys = StoredKeys(*writer, djxh, static_cast<size_t>(std::min<int64_t>(total, 4000000)));
      BulkRows rows(kHdsbztWidth, kRowsPerItem, [&](SqlItem item) { writer->AddSql(std::move(item)); });
      while (jobs.Outstanding() > 0) {
        for (const auto& d : jobs.Poll(100)) {
          StepProgress(progress, 0);
          if (d.response.empty() || d.response == "null") continue;
          RequireJobData(d.response);  // the server's "【code】message" rather than "not JSON"
          roster::ForEachState(d.response, [&](std::string_view jfnd, std::string_view xzid, std::string_view sbrq,
                                               std::string_view ybtfe, std::string_view sbzt, std::string_view jfzt) {
            const bool known = !keys.Insert(Key(jfnd, xzid));
            if (!known) ++spared;
            rows.Row(known ? kHdsbztDelete : std::string_view(), known ? kHdsbztUpdate : std::string_view(),
                     kHdsbztInsert)
                .Add(djxh).Add(jfnd).Add(xzid).Add(sbrq).Add(ybtfe).Add(sbzt).Add(jfzt);
          });
        }
      }
      if (!jobs.Lost().empty()) throw taxml::Failure(jobs.LostText());
      rows.Flush();
    } catch (const AsyncJobSet::SubmitRefused&) {
      // A page the server would not take: nothing of this query is kept.
      writer->FinishRollback();
      throw service::OpRefusal(kBatchRequestFailed);
    } catch (...) {
      writer->FinishRollback();
      throw;
    }
    if (!writer->WaitForIdle(true, progress, kHdsbztWaitMs, 100)) throw taxml::Failure("数据保存超时。");
    LogText("更新完毕，新增" + std::to_string(writer->InsertCount()) + "条，更新" + std::to_string(writer->UpdateCount()) +
            "条，处理记录总数" + std::to_string(writer->ExecCount() + spared) + "条");
    stored = static_cast<int32_t>(writer->InsertCount() + writer->UpdateCount());
    params->SetValue(paramKey, LocalTimeText("%Y-%m-%d %H:%M:%S"));
    LogText("结束批量城乡居民申报状态查询（核定申报） 。");
  });
}

}  // namespace velmor
