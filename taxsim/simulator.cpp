#include "taxsim/simulator.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/net/wire.h"
#include "include/velmor/json_depth.h"
#include "taxsim/job_worker.h"

namespace velmor::taxsim {

struct Simulator::Impl {
  SimulatorOptions options;
  httplib::Server server;
  std::thread thread;
  int port = -1;
  bool started = false;
  bool used = false;  // an httplib server listens once

  std::mutex stateMutex;
  State state;
  HandlerRegistry handlers;
  FaultBook faults;
  AsyncJobs jobs;
  std::atomic<int> pendingPolls{2};
  std::atomic<uint64_t> requests{0};
  std::atomic<int> inFlight{0};
  std::atomic<int> maxInFlight{0};

  // Counts a request as being served for the life of the object.
  struct Serving {
    Impl& m;
    explicit Serving(Impl& impl) : m(impl) {
      ++m.requests;
      int now = ++m.inFlight;
      int seen = m.maxInFlight.load();
      while (now > seen && !m.maxInFlight.compare_exchange_weak(seen, now)) {
      }
    }
    ~Serving() { --m.inFlight; }
  };

  std::mutex seenMutex;
  std::deque<SeenCall> seen;

  std::mutex stopMutex;
  std::condition_variable stopCv;
  bool stopping = false;

  void Routes();
  void ServeCall(const httplib::Request& req, httplib::Response& res, Endpoint at);
  void ServePoll(const httplib::Request& req, httplib::Response& res);
  // Applies the faults that act before any handler runs. True when the response is complete.
  bool PreFaults(const std::vector<Fault>& faults, httplib::Response& res);
  // The faults that change an answer: another code, a dropped list.
  static void ChangeAnswer(const std::vector<Fault>& faults, Answer& answer);
  // `keep` (may be null) lives until a streamed answer has been written: a call whose request
  // tree takes a while to free (a deduction names 100,000 lines) is freed after its answer left.
  static void Send(const std::vector<Fault>& faults, Answer answer, httplib::Response& res,
                   std::shared_ptr<const void> keep = nullptr);
  Answer Run(const Call& call);
  void Record(Call& call);
  void Sleep(int ms);

  // Last, so it stops (and its jobs, which use the members above, end) before they go.
  JobWorker worker;
};

namespace {

std::string YblshOf(const std::string& body) {
  if (!JsonDepthWithin(body)) return {};
  nlohmann::json j = nlohmann::json::parse(body, nullptr, false);
  if (j.is_object() && j.contains("yblsh") && j["yblsh"].is_string()) return j["yblsh"].get<std::string>();
  return {};
}

const Fault* FirstOf(const std::vector<Fault>& faults, FaultKind kind) {
  for (const auto& f : faults)
    if (f.kind == kind) return &f;
  return nullptr;
}

// Answers from this size on are escaped into the envelope as they are sent.
constexpr size_t kStreamedFrom = size_t{1} << 20;
constexpr size_t kStreamPiece = size_t{1} << 20;

// The bad-Base64 fault: the first byte of the response's plain text replaced (an answer in the
// envelope's form is taken back to its JSON first), "****" for an empty one.
void SpoilFirstByte(wire::Envelope& e, bool inEnvelopeForm) {
  if (inEnvelopeForm) e.response = JsonFromEnvelopeForm(e.response);
  e.response = e.response.empty() ? "****" : "*" + e.response.substr(1);
}

// With `inEnvelopeForm` the response is already escaped for the envelope (Answer::inEnvelopeForm).
void SendJson(httplib::Response& res, wire::Envelope e, bool inEnvelopeForm = false,
              std::shared_ptr<const void> keep = nullptr) {
  res.status = 200;
  auto [from, to] = res.headers.equal_range("Content-Type");
  res.headers.erase(from, to);
  if (e.response.size() >= kStreamedFrom && (inEnvelopeForm || EnvelopeStream::Streamable(e))) {
    // A large answer's envelope (40-120 MB) is written in pieces as the socket takes them: no
    // buffer of it all to fill first, and the client reads while the rest is escaped.
    std::shared_ptr<EnvelopeStream> stream = inEnvelopeForm ? EnvelopeStream::FromEnvelopeForm(std::move(e))
                                                            : std::make_shared<EnvelopeStream>(std::move(e));
    auto piece = std::make_shared<std::vector<char>>(kStreamPiece);
    res.set_content_provider(stream->Size(), wire::kJsonContentType,
                             [stream, piece, keep = std::move(keep)](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset != stream->Written()) return false;  // written once, in order
                               const size_t n = stream->Next(piece->data(), piece->size());
                               return n > 0 && sink.write(piece->data(), n);
                             });
    return;
  }
  // Moved in rather than set_content's copy: the copy took as much again in fresh pages.
  res.body = EnvelopeText(e, inEnvelopeForm);
  res.set_header("Content-Type", wire::kJsonContentType);
}

}  // namespace

void Simulator::Impl::Sleep(int ms) {
  std::unique_lock lock(stopMutex);
  stopCv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping; });
}

namespace {
// Headers promise a body that never comes: the client sees the connection close mid-answer.
void DropAnswer(httplib::Response& res) {
  res.set_content_provider(4096, wire::kJsonContentType, [](size_t offset, size_t, httplib::DataSink& sink) {
    if (offset == 0) sink.write("{\"status\":", 10);
    return false;
  });
}
}  // namespace

bool Simulator::Impl::PreFaults(const std::vector<Fault>& list, httplib::Response& res) {
  for (const auto& f : list)
    if (f.kind == FaultKind::kDelay) Sleep(f.delayMs);
  if (FirstOf(list, FaultKind::kDrop)) {
    DropAnswer(res);
    return true;
  }
  if (const Fault* f = FirstOf(list, FaultKind::kHttpError)) {
    res.status = f->httpStatus;
    res.set_content("taxsim: injected HTTP error", "text/plain; charset=utf-8");
    return true;
  }
  if (FirstOf(list, FaultKind::kNotJson)) {
    res.status = 200;
    res.set_content("taxsim: this is not an envelope", "text/plain; charset=utf-8");
    return true;
  }
  return false;
}

void Simulator::Impl::ChangeAnswer(const std::vector<Fault>& list, Answer& answer) {
  for (const auto& f : list) {
    if (f.kind == FaultKind::kCode) {
      if (answer.document)
        answer.document->SetCode(f.code, f.message);
      else
        answer = Answer::Error(f.code, f.message);
    } else if (f.kind == FaultKind::kDropList && answer.document) {
      answer.document->RemoveFirst(f.list);
    } else if (f.kind == FaultKind::kInstruction && answer.document) {
      answer.document->AddInstruction();
    } else if (f.kind == FaultKind::kOmitRows && answer.document) {
      answer.document->RemoveRows(f.list, f.every);
    } else if (f.kind == FaultKind::kEmptyAnswer && answer.envelope.status == wire::kAnswered) {
      answer.document.reset();
      answer.envelope.response = f.text;
      answer.inEnvelopeForm = false;
    }
  }
}

void Simulator::Impl::Send(const std::vector<Fault>& list, Answer answer, httplib::Response& res,
                           std::shared_ptr<const void> keep) {
  ChangeAnswer(list, answer);
  bool inEnvelopeForm = answer.inEnvelopeForm;
  wire::Envelope e;
  try {
    e = std::move(answer).Encode();
  } catch (const std::exception& ex) {
    e = Answer::Refuse("10009", std::string("服务端应答编码失败：") + ex.what()).envelope;
    inEnvelopeForm = false;
  }
  if (FirstOf(list, FaultKind::kBadBase64)) {
    SpoilFirstByte(e, inEnvelopeForm);
    inEnvelopeForm = false;
  }
  SendJson(res, std::move(e), inEnvelopeForm, std::move(keep));
}

// Takes the call's body and the document's data as sent (a declaration's are a hundred
// megabytes; handlers read the document's DOM, never its text), so call it once the handler has
// run. The document's text is made from the data when the record is read.
void Simulator::Impl::Record(Call& call) {
  SeenCall s;
  s.endpoint = call.endpoint == Call::Endpoint::kService ? "service" : "submit";
  s.serviceCode = call.serviceCode;
  s.serial = call.serialHeader;
  s.body = std::move(call.rawBody);
  if (call.document) {
    s.documentType = std::string(call.document->type->name);
    s.documentData = std::move(call.body[std::string(call.document->type->bodyKey)].get_ref<std::string&>());
    s.gbk = call.document->gbk;
    s.gzip = call.document->gzip;
  }
  std::lock_guard lock(seenMutex);
  seen.push_back(std::move(s));
  while (seen.size() > kRecentCalls) seen.pop_front();
}

Answer Simulator::Impl::Run(const Call& call) {
  Handler handler = handlers.Find(call.serviceCode);
  if (!handler) return Answer::Refuse("10003", "服务代码" + call.serviceCode + "未实现");
  try {
    std::lock_guard lock(stateMutex);
    return handler(call, state);
  } catch (const Refusal& r) {
    return Answer::Refuse(r.code(), r.what());
  } catch (const std::exception& e) {
    return Answer::Refuse("10009", std::string("服务端处理异常：") + e.what());
  }
}

void Simulator::Impl::ServeCall(const httplib::Request& req, httplib::Response& res, Endpoint at) {
  Serving serving(*this);
  std::string code = req.matches[1];
  std::string serialHeader = req.get_header_value(wire::kSerialHeader);
  std::string serial = serialHeader.empty() ? YblshOf(req.body) : serialHeader;
  std::vector<Fault> list;
  try {
    if (req.has_header(wire::kFaultHeader)) list = ParseFaultHeader(req.get_header_value(wire::kFaultHeader));
  } catch (const FaultError& e) {
    res.status = 400;
    res.set_content(std::string("taxsim: ") + e.what(), "text/plain; charset=utf-8");
    return;
  }
  for (auto& f : faults.Take(at, code, serial)) list.push_back(std::move(f));
  if (PreFaults(list, res)) return;
  if (const Fault* f = FirstOf(list, FaultKind::kRefuse)) return SendJson(res, Answer::Refuse(f->code, f->message).envelope);

  Call call;
  try {
    call = DecodeCall(at == Endpoint::kService ? Call::Endpoint::kService : Call::Endpoint::kSubmit, code,
                      serialHeader, req.body);
  } catch (const Refusal& r) {
    return SendJson(res, Answer::Refuse(r.code(), r.what()).envelope);
  }
  if (at == Endpoint::kService) {
    Answer answer = Run(call);
    Record(call);
    if (FirstOf(list, FaultKind::kDropAnswer)) return DropAnswer(res);  // acted on, answer lost
    return Send(list, std::move(answer), res, std::make_shared<const Call>(std::move(call)));
  }

  // Submission: accepted now, its answer worked out by the worker after the jobs submitted before
  // it, and handed out once ready and its pending polls are used up.
  std::string yblsh = call.Yblsh();
  if (yblsh.empty()) {
    Record(call);
    return SendJson(res, Answer::Refuse("10005", "异步请求缺少yblsh").envelope);
  }
  const Fault* pending = FirstOf(list, FaultKind::kPending);
  const int polls = pending ? pending->polls : pendingPolls.load();
  // Handlers read the body's members and the document's tree, never the texts Record takes.
  Record(call);
  std::packaged_task<Answer()> job([this, work = std::make_shared<Call>(std::move(call)), list = std::move(list)] {
    Answer answer = Run(*work);
    ChangeAnswer(list, answer);
    if (FirstOf(list, FaultKind::kBadBase64)) {
      // Encode now so the corruption travels with the job.
      try {
        wire::Envelope e = answer.Encode();
        SpoilFirstByte(e, answer.inEnvelopeForm);
        answer.document.reset();
        answer.envelope = e;
        answer.inEnvelopeForm = false;
      } catch (const std::exception& ex) {
        answer = Answer::Refuse("10009", std::string("服务端应答编码失败：") + ex.what());
      }
    }
    return answer;
  });
  switch (jobs.Add(code, yblsh, job.get_future(), polls)) {
    case AsyncJobs::Added::kDuplicate:
      return SendJson(res, Answer::Refuse("10005", "异步任务已存在：" + yblsh).envelope);
    case AsyncJobs::Added::kFull:
      return SendJson(res, Answer::Refuse("10005", "异步任务过多").envelope);
    case AsyncJobs::Added::kAdded:
      break;
  }
  worker.Post(std::move(job));
  wire::Envelope accepted;
  accepted.status = wire::kAnsweredOne;
  SendJson(res, accepted);
}

void Simulator::Impl::ServePoll(const httplib::Request& req, httplib::Response& res) {
  Serving serving(*this);
  std::string code = req.matches[1];
  std::string serial = YblshOf(req.body);
  std::vector<Fault> list;
  try {
    if (req.has_header(wire::kFaultHeader)) list = ParseFaultHeader(req.get_header_value(wire::kFaultHeader));
  } catch (const FaultError& e) {
    res.status = 400;
    res.set_content(std::string("taxsim: ") + e.what(), "text/plain; charset=utf-8");
    return;
  }
  for (auto& f : faults.Take(Endpoint::kPoll, code, serial)) list.push_back(std::move(f));
  if (PreFaults(list, res)) return;
  wire::Envelope e;
  if (const Fault* f = FirstOf(list, FaultKind::kRefuse)) {
    e.status = wire::kFailed;
    e.returnCode = "FAIL";
    e.responseData = f->code;
    e.returnMessage = f->message;
    return SendJson(res, e);
  }
  if (serial.empty()) {
    e.status = wire::kFailed;
    e.returnCode = "FAIL";
    e.returnMessage = "查询请求缺少yblsh";
    return SendJson(res, e);
  }
  Answer answer;
  switch (jobs.Poll(code, serial, &answer, options.pollWaitsForAnswer)) {
    case AsyncJobs::Polled::kUnknown:
      e.status = wire::kFailed;
      e.returnCode = "FAIL";
      e.returnMessage = "异步任务不存在：" + serial;
      return SendJson(res, e);
    case AsyncJobs::Polled::kPending:
      e.status = wire::kPending;
      e.returnMessage = "处理中";
      return SendJson(res, e);
    case AsyncJobs::Polled::kReady:
      break;
  }
  if (answer.envelope.status == wire::kRefused) {
    answer.envelope.status = wire::kFailed;
    return SendJson(res, answer.envelope);
  }
  answer.envelope.status = wire::kAnsweredOne;
  Send(list, std::move(answer), res);
}

void Simulator::Impl::Routes() {
  server.Post(R"(/service/(\d{4}))",
              [this](const httplib::Request& q, httplib::Response& r) { ServeCall(q, r, Endpoint::kService); });
  server.Post(R"(/async/(\d{4}))",
              [this](const httplib::Request& q, httplib::Response& r) { ServeCall(q, r, Endpoint::kSubmit); });
  server.Post(R"(/async/(\d{4})/poll)", [this](const httplib::Request& q, httplib::Response& r) { ServePoll(q, r); });

  server.Get("/_taxsim/health", [this](const httplib::Request&, httplib::Response& r) {
    std::lock_guard lock(stateMutex);
    nlohmann::json j = {{"ok", true}, {"payers", state.payers.size()}, {"persons", state.persons.size()}};
    r.set_content(j.dump(), wire::kJsonContentType);
  });
  // Who the server knows and what it holds per payer: persons and declarations by state.
  server.Post("/_taxsim/summary", [this](const httplib::Request&, httplib::Response& r) {
    std::lock_guard lock(stateMutex);
    r.set_content(Summary(state).dump(), wire::kJsonContentType);
  });
  server.Post("/_taxsim/faults", [this](const httplib::Request& q, httplib::Response& r) {
    try {
      if (!JsonDepthWithin(q.body)) throw FaultError("故障" + JsonTooDeepText());
      nlohmann::json j = nlohmann::json::parse(q.body, nullptr, false);
      if (j.is_discarded()) throw FaultError("故障不是有效的JSON");
      std::vector<Fault> parsed;
      if (j.is_array())
        for (const auto& one : j) parsed.push_back(ParseFault(one));
      else
        parsed.push_back(ParseFault(j));
      for (auto& f : parsed) faults.Add(std::move(f));
      r.set_content(R"({"ok":true})", wire::kJsonContentType);
    } catch (const FaultError& e) {
      r.status = 400;
      r.set_content(nlohmann::json({{"ok", false}, {"message", e.what()}}).dump(), wire::kJsonContentType);
    }
  });
  server.Delete("/_taxsim/faults", [this](const httplib::Request&, httplib::Response& r) {
    faults.Clear();
    r.set_content(R"({"ok":true})", wire::kJsonContentType);
  });
  server.Post("/_taxsim/config", [this](const httplib::Request& q, httplib::Response& r) {
    nlohmann::json j = JsonDepthWithin(q.body) ? nlohmann::json::parse(q.body, nullptr, false) : nlohmann::json();
    if (!j.is_object() || !j.contains("asyncPendingPolls") || !j["asyncPendingPolls"].is_number_integer() ||
        j["asyncPendingPolls"].get<int>() < AsyncJobs::kPendingForever) {
      r.status = 400;
      r.set_content(R"({"ok":false,"message":"asyncPendingPolls必须为非负整数或-1（永远未反馈）"})",
                    wire::kJsonContentType);
      return;
    }
    pendingPolls = j["asyncPendingPolls"].get<int>();
    r.set_content(R"({"ok":true})", wire::kJsonContentType);
  });
}

Simulator::Simulator(SimulatorOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  impl_->pendingPolls = impl_->options.asyncPendingPolls;
  impl_->state = impl_->options.scenarioPath.empty() ? Generate(impl_->options.generate)
                                                     : LoadScenario(impl_->options.scenarioPath);
  impl_->state.queueDeclarations = impl_->options.queueDeclarations;
  impl_->state.personRules = impl_->options.personRules;
  RegisterBuiltinHandlers(impl_->handlers);
  impl_->Routes();
}

Simulator::~Simulator() { Stop(); }

void Simulator::Start() {
  Impl& m = *impl_;
  if (m.used) throw std::runtime_error("模拟服务已启动过");
  m.used = true;
  int threads = m.options.threads < 1 ? 1 : m.options.threads;
  m.server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  // The library's default socket options include SO_REUSEPORT, which would let two simulators
  // share a port silently; SO_REUSEADDR alone lets a restarted one rebind at once.
  m.server.set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  // Idle keep-alive connections hold a server thread; let them go quickly.
  m.server.set_keep_alive_timeout(1);
  const char* host = "127.0.0.1";
  if (m.options.port == 0) {
    m.port = m.server.bind_to_any_port(host);
  } else {
    m.port = m.server.bind_to_port(host, m.options.port) ? m.options.port : -1;
  }
  if (m.port < 0) throw std::runtime_error("无法监听127.0.0.1:" + std::to_string(m.options.port));
  {
    std::lock_guard lock(m.stopMutex);
    m.stopping = false;
  }
  m.started = true;
  m.thread = std::thread([&m] { m.server.listen_after_bind(); });
  // Serve only once the listener runs, so a client connecting right after Start is answered.
  for (int i = 0; i < 2000 && !m.server.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void Simulator::Stop() {
  Impl& m = *impl_;
  if (!m.started) return;
  {
    std::lock_guard lock(m.stopMutex);
    m.stopping = true;
  }
  m.stopCv.notify_all();
  m.server.stop();
  if (m.thread.joinable()) m.thread.join();
  m.worker.Stop();
  m.started = false;
}

int Simulator::Port() const { return impl_->port; }
std::string Simulator::Url() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }
HandlerRegistry& Simulator::Handlers() { return impl_->handlers; }
FaultBook& Simulator::Faults() { return impl_->faults; }
AsyncJobs& Simulator::Jobs() { return impl_->jobs; }
void Simulator::WaitForAsyncWork() { impl_->worker.WaitIdle(); }
void Simulator::SetAsyncPendingPolls(int polls) { impl_->pendingPolls = polls < 0 ? AsyncJobs::kPendingForever : polls; }
std::mutex& Simulator::StateMutex() { return impl_->stateMutex; }
State& Simulator::StateRef() { return impl_->state; }
uint64_t Simulator::RequestCount() const { return impl_->requests.load(); }
int Simulator::MaxConcurrentRequests() const { return impl_->maxInFlight.load(); }

std::vector<SeenCall> Simulator::RecentCalls() {
  std::lock_guard lock(impl_->seenMutex);
  for (SeenCall& s : impl_->seen) {
    if (s.documentData.empty()) continue;
    s.documentText = DocumentText(s.documentData, s.gzip, s.gbk);  // decoded before, so it decodes
    s.documentData.clear();
  }
  return {impl_->seen.begin(), impl_->seen.end()};
}

}  // namespace velmor::taxsim
