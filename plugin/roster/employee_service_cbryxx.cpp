// The enrolment download ("0058" per insurance type, "0059" per batch of persons) and the
// refresh of the summary states.
//
// Everything the download writes goes through the bulk processor's writer in one transaction:
// the marking of server persons, the persons, enrolments and items, the sweep, the states. The
// parameters that record how far the download got ("_gxsj" of each type, "last_cxjmry_gxsj",
// "updatedCbztSj", ...) are written only after that transaction has committed, so a download
// that fails half-way leaves both the roster and the next incremental start as they were.
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <unordered_set>

#include "business/date_time.h"
#include "codec/fast_json.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/progress.h"
#include "framework/registry.h"
#include "residents/xnh_mgr.h"
#include "roster/deal_cbxx_ryxx.h"
#include "roster/employee_service.h"
#include "roster/employee_service_guard.h"
#include "service/async_jobs.h"
#include "store/db_access.h"
#include "store/sql.h"
#include "velmor/xnh_mgr.h"

namespace velmor {

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

bool EmptyBody(const std::string& s) { return s.empty() || s == "null"; }

constexpr const char* kBookkeepingFailed = "参保人员已保存，但下载进度参数未能保存，请重新同步：[";
constexpr const char* kRecordsRefused = "部分记录未入库：";
// While person answers arrive, the items are written after each this many new person records.
constexpr int kItemPassPersons = 20000;

// The progress view's position as a share of its maximum (0 when it has none).
void SetShare(IProgressView* view, double share) {
  if (!view) return;
  int32_t max = view->GetMaximum();
  if (max > 0) view->SetPosition(static_cast<int32_t>(std::min(1.0, share) * max));
  StepProgress(nullptr, 0);
}

}  // namespace

std::string TEmployeeServiceImpl::DownloadCbryxx(const std::string& djxh, bool incremental, IProgressView* progress) {
  const Clock::time_point started = Clock::now();
  std::string refused;
  std::vector<std::string> types;
  {
    Ref<IXnhMgr> xnh = CreatePluginService<IXnhMgr>("创建平台组件接口[IXnhMgr]失败！");
    if (!xnh->GetXzlxList(djxh, types)) throw taxml::Failure(xnh->GetErrorMessage());
  }
  if (types.empty()) throw service::OpRefusal(kNoXzlx);

  Ref<ISysParamIntf> params = SysParams(djxh);
  Ref<INetCommIntf> net = GetNetComm();
  TFastParseJson cbxx, ryxx;
  Ref<IDBMechanism> db = OpenMainConnection();
  TDealCbxxAndRyxx deal(&cbxx, &ryxx, db, djxh);
  AsyncJobSet enrolJobs("0058", net), personJobs("0059", net);
  try {
    // One job per insurance type.
    std::map<std::string, std::string> gxsjOf;  // type -> new "_gxsj" value
    for (size_t i = 0; i < types.size(); ++i) {
      taxml::Call call;
      call.serviceCode = "0058";
      call.djxh = false;
      call.keys["djxh"] = djxh;
      call.keys["xzlxDm"] = types[i];
      call.keys["gxsj"] = incremental ? params->GetValueDef(types[i] + "_gxsj", kFirstGxsj) : kFirstGxsj;
      const std::string serial = NewSerialNo();
      std::string error;
      if (!enrolJobs.Submit(serial, taxml::BodyText(call, serial, djxh), static_cast<int32_t>(i), error))
        throw taxml::Failure(kCbxxSubmitFailed + error);
    }
    const std::string lastCxjmryGxsj = LocalTimeText("%Y-%m-%d %H:%M:%S");
    if (!incremental) {
      deal.queueSql(FormatSql(" update sb_rycbjgxxb set yxbz = 'Y' where djxh = '%s' and ifnull(yxbz, '') = '' and "
                              "rydjxh in (select rydjxh from sb_ryjbxxb where djxh = '%s' and ly = '1') ",
                              {V(djxh), V(djxh)}));
      deal.queueSql(FormatSql(" update sb_ryjbxxb set updateFlag = 0 where djxh = '%s' and ifnull(ly, '0') in ('', '0') ",
                              {V(djxh)}));
    }

    std::string kept;  // the smallest first xgrq of this run
    std::unordered_set<std::string> usedIds;
    int keyField = -1;
    size_t enrolAnswers = 0;
    auto submitPersons = [&] {
      if (keyField < 0) keyField = cbxx.IndexOfField("cbxxID");
      if (keyField < 0) return;
      usedIds.reserve(static_cast<size_t>(cbxx.RecordCount()));
      for (;;) {
        const std::string serial = NewSerialNo();
        std::string body;
        if (!cbxx.BuildIdBatch(keyField, djxh, serial, usedIds, body)) break;
        // Submitted while the other enrolment answers are read: a refusal fails the next poll.
        personJobs.SubmitInBackground(serial, std::move(body), 0, kRyxxSubmitFailed);
      }
    };
    int itemPassPersons = 0;  // person records in at the last early pass of the items
    // Each answer is taken as soon as it is polled: its persons go to the writer while the rest
    // of the pass is still being fetched (a pass that found thirty answers ready kept the writer
    // idle for a tenth of a second).
    auto takePerson = [&](AsyncJobSet::Done& d) {
      if (EmptyBody(d.response)) return;
      RequireJobData(d.response);
      ryxx.Parse(d.response, true);
      std::string().swap(d.response);
      deal.dealRyxx();
      // The items of the persons in, written while the other answers are still on their way;
      // every so many persons only, since each pass walks the items still waiting.
      if (ryxx.RecordCount() - itemPassPersons >= kItemPassPersons) {
        itemPassPersons = ryxx.RecordCount();
        deal.dealXzxx();
      }
    };
    auto takePersons = [&](int32_t waitMs) {
      personJobs.Poll(waitMs, takePerson);
      const size_t total = personJobs.Submitted();
      if (total) SetShare(progress, 0.1 + 0.6 * double(total - personJobs.Outstanding()) / double(total));
    };
    auto drainPersons = [&] {
      if (personJobs.Outstanding() < drain_.minOutstanding || MsSince(personJobs.FirstSubmitted()) <= drain_.afterMs)
        return;
      const Clock::time_point t = Clock::now();
      while (personJobs.Outstanding() >= drain_.drainBelow && MsSince(t) < drain_.drainForMs) takePersons(50);
    };

    while (enrolJobs.Outstanding() > 0) {
      for (const auto& d : enrolJobs.Poll(100)) {
        ++enrolAnswers;
        SetShare(progress, 0.1 * double(enrolAnswers) / double(types.size()));
        if (EmptyBody(d.response)) continue;
        RequireJobData(d.response);
        const int before = cbxx.RecordCount();
        const int added = cbxx.Parse(d.response, true);
        if (added > 0) {
          const int xgrq = cbxx.IndexOfField("xgrq");
          std::string first = xgrq >= 0 ? std::string(cbxx.Value(before, xgrq)) : std::string();
          if (!first.empty() && (kept.empty() || first < kept)) kept = first;
          if (!kept.empty()) gxsjOf[types[static_cast<size_t>(d.tag)]] = kept;
        }
        submitPersons();
        // Its records checked and indexed now, while the server works on the next answers, rather
        // than in the pass that takes the first persons (a twentieth of a second at 100,000
        // persons, with the writer waiting for its first rows).
        deal.PrepareNewRecords();
      }
      drainPersons();
    }
    LogText("参保信息反馈获取完成：耗时：" + std::to_string(MsSince(started)));
    while (personJobs.Outstanding() > 0) takePersons(100);
    LogText("人员信息反馈获取完成：耗时：" + std::to_string(MsSince(started)));
    // A lost job means part of the roster never arrived: storing the rest would sweep persons
    // the server still has, so the download fails naming the jobs and nothing is committed.
    {
      std::string lost = enrolJobs.LostText();
      const std::string lostPersons = personJobs.LostText();
      if (!lostPersons.empty()) lost += (lost.empty() ? "" : "；") + lostPersons;
      if (!lost.empty()) throw taxml::Failure(lost);
    }

    // Everything is in: the last persons and enrolments, the items, the sweep and the states.
    deal.dealRyxx();
    deal.dealXzxx([&](int count, int max) { SetShare(progress, 0.7 + 0.2 * double(count % (max + 1)) / max); });
    if (const std::string dropped = deal.DroppedSummary(); !dropped.empty()) LogText(dropped);
    refused = deal.RefusedSummary();
    const bool received = cbxx.RecordCount() > 0 || ryxx.RecordCount() > 0;
    if (!incremental) {
      deal.sweepItems();
    }
    // The persons the server no longer has, when there are any (with their enrolments and items).
    if (!incremental && deal.StalePersons()) {
      const char* origin = " (select rydjxh from sb_ryjbxxb where djxh = '%s' and ifnull(ly, '0') in ('', '0') and "
                           "updateFlag = 0) ";
      const std::string stale = FormatSql(origin, {V(djxh)});
      deal.queueSql(FormatSql(" delete from sb_rycbjgxxb where djxh = '%s' and rydjxh in %s",
                              {V(djxh), SqlFragment::Trusted(stale)}));
      deal.queueSql(FormatSql(" delete from sb_rycbxmb where djxh = '%s' and rydjxh in %s",
                              {V(djxh), SqlFragment::Trusted(stale)}));
      deal.queueSql(FormatSql(" delete from sb_ryjbxxb where djxh = '%s' and ifnull(ly, '0') in ('', '0') and "
                              "updateFlag = 0 ",
                              {V(djxh)}));
    }
    if (received) deal.updateCbzt();
    deal.clearInvalid();
    // Everything is queued: the sets of keys go while the writer runs the last statements (at
    // 100,000 persons their freeing took a quarter of a second after the writer had finished).
    deal.ReleaseIndexes();
    std::unordered_set<std::string>().swap(usedIds);
    if (!deal.WaitForIdle(kWriterWaitMs)) throw taxml::Failure("数据保存超时。");
    SetShare(progress, 0.95);
    LogText("数据全部下载并解析完成：耗时：" + std::to_string(MsSince(started)) + "参保条数：" +
            std::to_string(cbxx.RecordCount()) + "人员条数：" + std::to_string(ryxx.RecordCount()));

    // The bookkeeping, now that the roster is stored. A value that could not be written leaves
    // the next download working from the old one: the roster is kept, the call still fails.
    std::string unsaved;
    auto keep = [&](const std::string& key, const std::string& value) {
      if (!params->SetValue(key, value)) unsaved += (unsaved.empty() ? "" : "、") + key;
    };
    keep("last_cxjmry_gxsj", lastCxjmryGxsj);
    for (const auto& [type, value] : gxsjOf) keep(type + "_gxsj", value);
    if (received) {
      keep("updatedCbztSj", Today());
      if (!incremental) {
        keep("ygcbxx_force_update", "1");
        keep("IsUpdatedAllCbxx", "1");
      }
    }
    if (!unsaved.empty()) throw taxml::Failure(kBookkeepingFailed + unsaved + "]");
    SetShare(progress, 1.0);
  } catch (...) {
    deal.RollbackIfOpen();
    throw;
  }
  return refused;
}

bool TEmployeeServiceImpl::updateCbryxx(const std::string& djxh, bool incremental, IProgressView* progress,
                                        std::string& message) {
  std::string refused;
  const bool ok = Run("updateCbryxx", "同步异常：", true, message, [&] { refused = DownloadCbryxx(djxh, incremental, progress); });
  // Stored, but not all of it: the result says which records were refused.
  if (ok && !refused.empty()) message = ErrorMessage = kRecordsRefused + refused;
  return ok;
}

int32_t TEmployeeServiceImpl::refreshCbzt(const std::string& djxh, bool downloadFirst, bool force,
                                          IProgressView* progress, std::string& message) {
  int32_t result = 0;
  bool ok = Run("refreshCbzt", "同步异常：", false, message, [&] {
    Ref<ISysParamIntf> params = SysParams(djxh);
    if (downloadFirst && params->GetValue("IsUpdatedAllCbxx") != "1") {
      result = 1;
      std::string text;
      // The download's message already carries its prefix.
      if (!updateCbryxx(djxh, false, progress, text)) throw service::OpRefusal(text);
      params->SetValue("IsUpdatedAllCbxx", "1");
      return;
    }
    if (params->GetValue("updatedCbztSj") == Today() && !force) return;
    // The host's wait notice is the progress view's message while the states are recomputed.
    if (progress) progress->SetMessage("正在更新人员参保状态，请稍候……");
    TDealCbxxAndRyxx deal(nullptr, nullptr, OpenMainConnection(), djxh);
    deal.updateCbzt();
    if (!deal.WaitForIdle(kWriterWaitMs)) throw taxml::Failure("数据保存超时。");
    if (progress) progress->SetMessage("");
    params->SetValue("updatedCbztSj", Today());
    result = 2;
  });
  return ok ? result : -1;
}

}  // namespace velmor
