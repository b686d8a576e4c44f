// The status query of a year ("0056") and the self-declared states ("0210" submit, "0211"
// collect): the lines still to ask about go in batches of at most 1000 xzid, each answered batch
// is stored in its own transaction, in order. A batch that fails, or one the user stops waiting
// for, ends the query: its lines and the later batches' keep the states they had (they are not
// "not declared" just because no answer came).
//
// "0056" keeps a few batches in flight (kSbztBatchesInFlight): while the first is awaited the
// later ones are polled too, so a payer of 100,000 persons (200 batches) does not wait out the
// server's pending answers one batch after the other.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "framework/busy_progress.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/progress.h"
#include "residents/sbzt_query_service.h"
#include "service/async_exchange.h"
#include "service/async_jobs.h"
#include "service/fast_answer.h"
#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/sql_toolkit.h"
#include "store/store_behind.h"

namespace velmor {

using sbzt::Json;
using sbzt::Line;

namespace {

using Answers = std::vector<std::pair<std::string, std::string>>;

// Whether the query asks for the payment state too (the module's platform setting).
bool AsksJfzt() { return GetPlatformManager()->GetModuleSetting("M8", "sbztcxExistsJfzt") == "1"; }

std::string BatchFailure(const std::exception& e) {
  const std::string text = e.what();
  return text.rfind(kSbztFailed, 0) == 0 || text == kSbztNoData ? text : kSbztFailed + text;
}

// The answer of a "0056" job: Base64 of a taxML document read with the fast XML document; an
// empty or "null" answer means the server gave nothing.
Answers ReadStates(const std::string& response) {
  if (response.empty() || response == "null") throw service::OpRefusal(kSbztNoData);
  Answers out;
  for (const Json& row : service::FastListAnswer(response, "sbztList", false))
    out.emplace_back(service::Text(row, "xzid"), service::Text(row, "sbzt"));
  return out;
}

// One "0056" batch in flight: its lines, its serial, and once polled its answer or the reason
// it failed.
struct Batch {
  const std::vector<Line>* lines = nullptr;
  std::string serial;
  std::optional<std::string> response, failure;
  bool Settled() const { return response || failure; }
};

// Polls every unsettled batch once; a poll that fails settles its batch with the reason.
void PollAll(INetCommIntf& net, std::deque<Batch>& flight) {
  for (Batch& b : flight) {
    if (b.Settled()) continue;
    try {
      b.response = service::PollJob(net, "0056", b.serial);
    } catch (const std::exception& e) {
      b.failure = BatchFailure(e);
    }
  }
}

// Waits until the first batch in flight is settled, polling the others meanwhile: polls start
// 5 ms apart and back off to the bound's wait (a server that holds a new job for a poll or two
// answers the first batch after 15 ms rather than 60, both processes idle meanwhile); each time
// the bound's whole time runs out the user is asked whether to go on waiting.
void AwaitFirst(INetCommIntf& net, std::deque<Batch>& flight, IProgressView* progress) {
  using Clock = std::chrono::steady_clock;
  const JobPollBound bound = CurrentJobPollBound();
  const std::chrono::milliseconds longest = std::max(bound.wait, std::chrono::milliseconds{20});
  std::chrono::milliseconds wait{5};
  Clock::time_point deadline = Clock::now() + bound.Total();
  for (;;) {
    PollAll(net, flight);
    if (flight.front().Settled()) return;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
      LogText("[TCXJMSBStatusQueryService.synSbztCx]等待反馈超时：" + flight.front().serial);
      if (!GetUIManager()->AskYesNo(kSbztWaitQuestion))
        throw service::OpRefusal(std::string(kSbztFailed) + "等待服务器反馈超时，已停止查询。");
      deadline = Clock::now() + bound.Total();
      continue;
    }
    StepProgress(progress, 0);
    std::this_thread::sleep_for(std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)));
    wait = std::min(wait * 2, longest);
  }
}

// The query's refusals before any line is read: the year missing, or the payer without lines at
// all. The number of the payer's lines.
int32_t RequireLines(IDBMechanism& db, const std::string& djxh, const Json& q) {
  if (service::Text(q, "jfnd").empty()) throw service::OpRefusal("缴费年度为空。");
  const int32_t count = sbzt::LineCount(db, djxh);
  if (count == 0) throw service::OpRefusal(kSbztNoLines);
  return count;
}

// The lines of the query, refused as RequireLines refuses.
std::vector<Line> QueryLines(IDBMechanism& db, const std::string& djxh, const Json& q) {
  RequireLines(db, djxh, q);
  return sbzt::LinesToQuery(db, djxh, q, Today());
}

Json XzidArray(std::span<const Line> lines) {
  Json list = Json::array();
  for (const Line& l : lines) list.push_back(l.xzid);
  return list;
}

// The lines of a status query read on a thread of its own, on a connection given to it alone,
// into batches of kSbztBatchSize while the caller asks about the batches already read: 200,000
// lines at 100,000 persons take a fifth of a second to read, and the asking mostly waits on the
// network. The reading sees the lines as they stood when it began, whatever is stored meanwhile
// on other connections.
//
// Thread rule: one caller thread calls Ready, Wait and Stop. The destructor stops the reading
// and joins the thread. A batch handed out stays in place until the reader is destroyed.
class LineReader {
 public:
  LineReader(Ref<IDBMechanism> db, const std::string& djxh, const Json& q, const std::string& today) {
    thread_ = std::thread([this, db, djxh, q, today] {
      std::vector<Line> filling;
      auto hand = [&] {
        std::lock_guard lock(mutex_);
        batches_.push_back(std::move(filling));
        ready_.notify_one();
      };
      try {
        sbzt::ReadLinesToQuery(*db, djxh, q, today, [&](Line&& line) {
          filling.push_back(std::move(line));
          if (filling.size() == kSbztBatchSize) {
            hand();
            filling = {};
          }
          return !stop_.load();
        });
        if (!filling.empty() && !stop_.load()) hand();
      } catch (...) {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      done_ = true;
      ready_.notify_one();
    });
  }
  ~LineReader() {
    Stop();
    thread_.join();
  }
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Batch `index` when it has been read, else null.
  const std::vector<Line>* Ready(size_t index) {
    std::lock_guard lock(mutex_);
    return index < batches_.size() ? &batches_[index] : nullptr;
  }
  // Batch `index`, waiting for it; null when the reading ended before it, raising what ended it
  // when that was a failure.
  const std::vector<Line>* Wait(size_t index) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return index < batches_.size() || done_; });
    if (index < batches_.size()) return &batches_[index];
    if (failure_) std::rethrow_exception(failure_);
    return nullptr;
  }
  void Stop() { stop_ = true; }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::vector<Line>> batches_;  // a deque keeps each batch in place as others come
  bool done_ = false;
  std::exception_ptr failure_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

bool TCXJMSBStatusQueryService::synSbztCx(const std::string& djxh, const std::string& query,
                                          IProgressView* progress, int32_t& answered) {
  answered = 0;
  return sbzt::Run(ErrorMessage, "synSbztCx", LogForm::kBracketed, kSbztShownPrefix, [&] {
    const Json q = FilterObject(query);
    const std::string jfnd = service::Text(q, "jfnd");
    Ref<IDBMechanism> db = OpenMainConnection();
    const size_t expected =
        std::max<size_t>(1, (static_cast<size_t>(RequireLines(*db, djxh, q)) + kSbztBatchSize - 1) / kSbztBatchSize);
    const bool jfzt = AsksJfzt();
    // The lines are read on `db`, which is the reader's from here on; the answers are stored on a
    // connection of their own.
    LineReader reader(db, djxh, q, Today());
    Ref<IDBMechanism> stores = OpenMainConnection();
    Ref<INetCommIntf> net;  // taken, with the busy notice, when the first batch is asked about
    std::optional<BusyProgress> busy;
    std::deque<Batch> flight;
    size_t next = 0;                     // the reader's batch to ask about next
    std::optional<std::string> refused;  // a refused submission: the batches before it still count
    // Each answered batch is read and stored behind the loop, on `stores`, while the loop asks for
    // the next ones.
    WithStoresBehind([&](StoreBehind& behind) {
      for (;;) {
        // Every batch read is asked about while there is room in flight; with nothing in flight
        // the loop waits for the next batch (or the end of the lines).
        while (!refused && flight.size() < kSbztBatchesInFlight) {
          const std::vector<Line>* lines = flight.empty() ? reader.Wait(next) : reader.Ready(next);
          if (!lines) break;
          if (!net) {
            Ref<INetCommIntf> shared = GetNetComm();
            net = shared->CreateConnection();
            if (!net) net = shared;
            busy.emplace(progress, "正在查询");
          }
          Batch b;
          b.lines = lines;
          try {
            taxml::Call call;
            call.serviceCode = "0056";
            call.djxh = false;
            call.keys["jfnd"] = jfnd;
            call.keys["djxh"] = djxh;
            call.keys["xzidList"] = XzidArray(*lines);
            call.keys[jfzt ? "jfzt" : "noJfzt"] = "Y";
            b.serial = service::SubmitJob(*net, call, djxh);
          } catch (const std::exception& e) {
            refused = BatchFailure(e);
            reader.Stop();  // nothing more is asked about
            break;
          }
          flight.push_back(std::move(b));
          ++next;
        }
        if (flight.empty()) {
          if (refused) throw service::OpRefusal(*refused);
          break;
        }
        AwaitFirst(*net, flight, progress);
        Batch done = std::move(flight.front());
        flight.pop_front();
        if (done.failure) throw service::OpRefusal(*done.failure);
        behind.Post([&, batch = std::span<const Line>(*done.lines), response = std::move(*done.response)] {
          Answers states;
          try {
            states = ReadStates(response);
          } catch (const service::OpRefusal&) {
            throw;
          } catch (const std::exception& e) {
            throw service::OpRefusal(BatchFailure(e));
          }
          answered += sbzt::StoreBatch(*stores, djxh, jfnd, batch, states, true);
        });
        StepProgress(progress, static_cast<int32_t>(100 / expected));
      }
    });
  });
}

bool TCXJMSBStatusQueryService::synZzsbztCx_098(const std::string& djxh, const std::string& query,
                                                IProgressView* progress, int32_t& answered) {
  answered = 0;
  return sbzt::Run(ErrorMessage, "synZzsbztCx_098", LogForm::kTrailing, kSbztShownPrefix, [&] {
    const Json q = FilterObject(query);
    const std::string jfnd = service::Text(q, "jfnd");
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::vector<Line> lines = QueryLines(*db, djxh, q);
    BusyProgress busy(progress, "正在查询");
    const JobPollBound bound = CurrentJobPollBound();
    for (size_t from = 0; from < lines.size(); from += kSbztBatchSize) {
      const size_t to = std::min(lines.size(), from + kSbztBatchSize);
      taxml::Call submit;
      submit.serviceCode = "0210";
      submit.djxh = false;
      submit.keys["jfnd"] = jfnd;
      submit.keys["djxh"] = djxh;
      submit.keys["xzidList"] = XzidArray(std::span(lines).subspan(from, to - from));
      taxml::Reply sent = taxml::Send(submit);
      sent.RequireSuccess();
      service::JsonAnswer(sent.request->GetResponse(), "");  // a refused submission fails here
      // "0211" under the submission's serial: "10042" while the answer is not ready.
      Json answer;
      for (int32_t pass = 0;; ++pass) {
        taxml::Call collect;
        collect.serviceCode = "0211";
        collect.djxh = false;
        collect.serial = taxml::Call::Serial::kGiven;
        collect.yblsh = sent.yblsh;
        taxml::Reply reply = taxml::Send(collect);
        if (reply.Refused() && reply.RefusalCode() == "10042") {
          if (pass + 1 >= bound.passes) throw service::OpRefusal(std::string(kSbztFailed) + "等待反馈超时");
          StepProgress(progress, 0);
          std::this_thread::sleep_for(std::min(bound.wait, std::chrono::milliseconds{200}));
          continue;
        }
        reply.RequireSuccess();
        answer = service::JsonAnswer(reply.request->GetResponse(), "");
        break;
      }
      // "SUCCESS" answers carry their lines as a bracketed list in "data" (text or array).
      Json data = answer.contains("data") ? answer["data"] : Json::array();
      if (data.is_string()) data = Json::parse(data.get<std::string>(), nullptr, false);
      if (!data.is_array()) throw service::OpRefusal(kSbztNoData);
      Answers states;
      for (const Json& row : data) states.emplace_back(service::Text(row, "xzid"), service::Text(row, "sbzt"));
      answered += sbzt::StoreBatch(*db, djxh, jfnd, std::span(lines).subspan(from, to - from), states, false);
    }
  });
}

}  // namespace velmor
