#include "taxsim/bank/bank_platform.h"

#include <httplib.h>

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace velmor::taxsim {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kOk = "00";

// The file's bytes; nothing when it cannot be read.
std::optional<std::string> ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  if (!in || !(s << in.rdbuf())) return std::nullopt;
  return s.str();
}

std::string ReadAll(const std::string& path) {
  std::optional<std::string> text = ReadText(path);
  if (!text) throw std::runtime_error("无法读取文件：" + path);
  return std::move(*text);
}

std::string Now(const char* format) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

std::string Member(const Json& body, const char* name) {
  auto it = body.find(name);
  if (it == body.end()) return "";
  if (it->is_null()) return "null";
  if (it->is_string()) return it->get<std::string>();
  return it->dump();
}

Json Failed(const std::string& code, const std::string& text) { return {{"Rsp_Cd", code}, {"Rsp_Inf", text}}; }

// The public key of a PEM text (the caller frees it), or null when the text holds none.
EVP_PKEY* ReadPublicKey(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  EVP_PKEY* key = bio ? PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr) : nullptr;
  BIO_free(bio);
  return key;
}

bool IsPublicKeyPem(const std::string& pem) {
  EVP_PKEY* key = ReadPublicKey(pem);
  EVP_PKEY_free(key);
  return key != nullptr;
}

}  // namespace

const std::vector<const char*>& BankOrderNames() {
  static const std::vector<const char*> names = {
      "VNo", "Sgn_Algr", "IttParty_Stm_ID", "IttParty_Tms", "IttParty_Jrnl_No", "Py_Chnl_Cd", "OnLn_Ofln_IndCd",
      "Cmdty_Ordr_No", "Opr_No", "Usr_ID", "Cst_Nm", "Crdt_Tp", "Crdt_No", "MblPh_No", "Email", "Ccy",
      "PgFc_Ret_URL_Adr", "Fee_Itm_Cd", "Fee_Itm_Prj_Nm", "RvPyUnt_Cd", "RvPyUnt_Nm", "Fee_Itm_Prj_Usr_No",
      "Fee_Itm_Prj_Amt", "CHNL_FLOW_NO", "Tax_Ahr_Cd", "PyF_Ind", "PyF_Psn_Tp", "Pyf_Dtl_TrcNo", "SocIns_TrcNo",
      "SocIns_Hdl_Inst_Cd", "Entp_Stff_ID", "SocIns_Cvr_Cd", "PyF_Crdnlt", "Strt_YrMo", "End_YrMo", "Rmrk1",
      "Rmrk2"};
  return names;
}

const std::vector<const char*>& BankEnquiryNames() {
  static const std::vector<const char*> names = {"VNo", "Sgn_Algr", "Cmdty_Ordr_No", "Py_Ordr_No"};
  return names;
}

std::string BankSignedText(const Json& body, const std::vector<const char*>& names) {
  std::string text;
  for (const char* name : names) {
    if (!text.empty()) text += '&';
    text += std::string(name) + "=" + Member(body, name);
  }
  return text;
}

bool BankVerify(const std::string& publicKeyPem, const std::string& text, const std::string& signature) {
  std::string raw(signature.size(), '\0');
  int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(raw.data()),
                          reinterpret_cast<const unsigned char*>(signature.data()), static_cast<int>(signature.size()));
  if (n < 0 || signature.empty() || signature.size() % 4) return false;
  for (size_t i = signature.size(); i > 0 && signature[i - 1] == '='; --i) --n;
  raw.resize(static_cast<size_t>(n));
  EVP_PKEY* key = ReadPublicKey(publicKeyPem);
  if (!key) throw std::runtime_error("银行验签公钥无效");
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  bool ok = ctx && EVP_DigestVerifyInit(ctx, nullptr, EVP_sha256(), nullptr, key) == 1 &&
            EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(raw.data()), raw.size(),
                             reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1;
  EVP_MD_CTX_free(ctx);
  EVP_PKEY_free(key);
  return ok;
}

struct BankPlatform::Impl {
  BankOptions options;
  std::string publicKey;  // read at the first signed request; guarded by mutex
  std::unique_ptr<httplib::SSLServer> server;
  std::thread thread;
  int port = 0;
  bool stopping = false;

  std::mutex mutex;
  std::condition_variable wake;  // cuts delays short on Stop
  std::deque<BankFault> faults;
  std::map<std::string, BankOrder> orders;  // by Cmdty_Ordr_No
  std::deque<std::string> bodies;
  int serial = 0;

  // The fault for this request, if any (its count taken).
  std::optional<BankFault> TakeFault() {
    std::lock_guard lock(mutex);
    if (faults.empty()) return std::nullopt;
    BankFault f = faults.front();
    if (--faults.front().count <= 0) faults.pop_front();
    return f;
  }

  // The merchant's public key, read at the first signed request rather than at start: a
  // merchant may hand its key over after the bank is up (the demo makes its key while the
  // server builds its payers). Kept once it reads as a public key; empty until then (a file
  // missing or half written is read again at the next request).
  std::string MerchantKey() {
    std::lock_guard lock(mutex);
    if (publicKey.empty()) {
      std::optional<std::string> text = ReadText(options.publicKeyFile);
      if (text && IsPublicKeyPem(*text)) publicKey = std::move(*text);
    }
    return publicKey;
  }

  // The verified body, or a failure reply in `refusal`.
  bool Accept(const std::string& text, const std::vector<const char*>& names, Json& body, Json& refusal) {
    {
      std::lock_guard lock(mutex);
      bodies.push_back(text);
      if (bodies.size() > 16) bodies.pop_front();
    }
    body = Json::parse(text, nullptr, false);
    if (!body.is_object()) {
      refusal = Failed("E100", "请求报文不是JSON对象");
      return false;
    }
    const std::string key = MerchantKey();
    if (key.empty()) {
      refusal = Failed("E105", "商户公钥不可用：" + options.publicKeyFile);
      return false;
    }
    const std::string signature = Member(body, "SIGN_INF");
    if (signature.empty() || !BankVerify(key, BankSignedText(body, names), signature)) {
      refusal = Failed("E101", "验签失败");
      return false;
    }
    body.erase("SIGN_INF");
    return true;
  }

  Json Order(const Json& body) {
    const std::string no = Member(body, "Cmdty_Ordr_No");
    if (no.empty()) return Failed("E102", "缺少商户订单号");
    if (Member(body, "Fee_Itm_Prj_Amt").empty()) return Failed("E102", "缺少缴费金额");
    std::lock_guard lock(mutex);
    if (orders.count(no)) return Failed("E103", "商户订单号重复：" + no);
    BankOrder o;
    o.cmdtyOrdrNo = no;
    o.pyOrdrNo = "PY" + Now("%Y%m%d") + std::to_string(100000 + ++serial);
    o.state = kBankUnpaid;
    o.amount = Member(body, "Fee_Itm_Prj_Amt");
    o.params = body;
    orders[no] = o;
    return {{"Rsp_Cd", kOk},
            {"Rsp_Inf", "交易成功"},
            {"Cmdty_Ordr_No", no},
            {"Py_Ordr_No", o.pyOrdrNo},
            {"CshDk_URL", "https://127.0.0.1:" + std::to_string(port) + "/cashier?order=" + o.pyOrdrNo},
            {"Ordr_Gen_Tm", Now("%Y%m%d%H%M%S")}};
  }

  Json Enquire(const Json& body) {
    const std::string no = Member(body, "Cmdty_Ordr_No"), py = Member(body, "Py_Ordr_No");
    std::lock_guard lock(mutex);
    auto it = orders.find(no);
    if (it == orders.end() || it->second.pyOrdrNo != py) return Failed("E104", "订单不存在：" + no + "/" + py);
    return {{"Rsp_Cd", kOk}, {"Rsp_Inf", "查询成功"}, {"Cmdty_Ordr_No", no}, {"Py_Ordr_No", py},
            {"Ordr_StCd", it->second.state}};
  }

  void Serve(const httplib::Request& req, httplib::Response& res, bool order) {
    std::optional<BankFault> fault = TakeFault();
    if (fault && fault->kind == "delay") {
      std::unique_lock lock(mutex);
      wake.wait_for(lock, std::chrono::milliseconds(fault->delayMs), [&] { return stopping; });
    }
    if (fault && fault->kind == "http-error") {
      res.status = 500;
      res.set_content("internal error", "text/plain");
      return;
    }
    if (fault && fault->kind == "not-json") {
      res.set_content("<html>系统繁忙</html>", "text/html");
      return;
    }
    Json body, reply;
    if (fault && fault->kind == "reject") reply = Failed("E199", fault->message);
    else if (Accept(req.body, order ? BankOrderNames() : BankEnquiryNames(), body, reply))
      reply = order ? Order(body) : Enquire(body);
    if (fault && fault->kind == "no-url") reply.erase("CshDk_URL");
    if (fault && fault->kind == "tamper") {
      reply["Cmdty_Ordr_No"] = Member(reply, "Cmdty_Ordr_No") + "X";
      reply["Py_Ordr_No"] = Member(reply, "Py_Ordr_No") + "X";
    }
    res.set_content(reply.dump(), "application/json; charset=utf-8");
  }

  Json Control(const std::string& text, bool faultsRoute) {
    Json j = Json::parse(text, nullptr, false);
    if (!j.is_object()) return {{"ok", false}, {"error", "not a JSON object"}};
    if (faultsRoute) {
      BankFault f{j.value("kind", ""), j.value("count", 1), j.value("delayMs", 0), j.value("message", "交易失败")};
      static const char* kinds[] = {"reject", "no-url", "tamper", "not-json", "http-error", "delay"};
      bool known = false;
      for (const char* k : kinds) known = known || f.kind == k;
      if (!known) return {{"ok", false}, {"error", "unknown fault kind: " + f.kind}};
      std::lock_guard lock(mutex);
      faults.push_back(f);
      return {{"ok", true}};
    }
    return {{"ok", false}, {"error", "unknown"}};
  }
};

BankPlatform::BankPlatform(BankOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
}

BankPlatform::~BankPlatform() { Stop(); }

void BankPlatform::Start() {
  Impl& m = *impl_;
  if (m.server) throw std::runtime_error("银行平台已启动");
  if (m.options.publicKeyFile.empty()) throw std::runtime_error("银行平台缺少商户公钥文件");
  ReadAll(m.options.certFile);
  ReadAll(m.options.keyFile);
  m.server = std::make_unique<httplib::SSLServer>(m.options.certFile.c_str(), m.options.keyFile.c_str());
  if (!m.server->is_valid()) throw std::runtime_error("银行平台证书无效：" + m.options.certFile);
  // An answer goes out as two small records (head, then body). With Nagle's rule the body waits
  // for the client's delayed acknowledgement of the head: 40 ms on every exchange.
  m.server->set_tcp_nodelay(true);
  m.server->Post("/online/socialorder",
                 [&m](const httplib::Request& q, httplib::Response& r) { m.Serve(q, r, true); });
  m.server->Post("/online/enquireorder",
                 [&m](const httplib::Request& q, httplib::Response& r) { m.Serve(q, r, false); });
  m.server->Post("/_bank/faults", [&m](const httplib::Request& q, httplib::Response& r) {
    r.set_content(m.Control(q.body, true).dump(), "application/json");
  });
  m.server->Delete("/_bank/faults", [this](const httplib::Request&, httplib::Response& r) {
    ClearFaults();
    r.set_content("{\"ok\":true}", "application/json");
  });
  m.server->Post("/_bank/state", [this](const httplib::Request& q, httplib::Response& r) {
    Json j = Json::parse(q.body, nullptr, false);
    bool ok = j.is_object() && SetOrderState(j.value("Cmdty_Ordr_No", ""), j.value("state", ""));
    r.set_content(Json{{"ok", ok}}.dump(), "application/json");
  });
  // The orders by state ("1" unpaid, "2" paid, "3" closed) with their amounts, for reports.
  m.server->Post("/_bank/summary", [this](const httplib::Request&, httplib::Response& r) {
    Json byState = Json::object();
    for (const BankOrder& o : Orders()) {
      Json& one = byState[o.state];
      if (!one.is_object()) one = Json::object();
      one["count"] = one.value("count", 0) + 1;
      one["amount"] = std::round((one.value("amount", 0.0) + std::atof(o.amount.c_str())) * 100) / 100;
    }
    r.set_content(Json{{"orders", byState}}.dump(), "application/json");
  });
  if (m.options.port == 0) m.port = m.server->bind_to_any_port("127.0.0.1");
  else if (m.server->bind_to_port("127.0.0.1", m.options.port)) m.port = m.options.port;
  if (m.port <= 0) {
    m.server.reset();
    throw std::runtime_error("无法监听127.0.0.1:" + std::to_string(m.options.port));
  }
  m.thread = std::thread([&m] { m.server->listen_after_bind(); });
  for (int i = 0; i < 2000 && !m.server->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void BankPlatform::Stop() {
  Impl& m = *impl_;
  if (!m.server) return;
  {
    std::lock_guard lock(m.mutex);
    m.stopping = true;
  }
  m.wake.notify_all();
  m.server->stop();
  if (m.thread.joinable()) m.thread.join();
  m.server.reset();
}

int BankPlatform::Port() const { return impl_->port; }
std::string BankPlatform::Url() const { return "https://127.0.0.1:" + std::to_string(impl_->port); }

void BankPlatform::AddFault(BankFault fault) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.push_back(std::move(fault));
}

void BankPlatform::ClearFaults() {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.clear();
}

bool BankPlatform::SetOrderState(const std::string& cmdtyOrdrNo, const std::string& state) {
  static const std::map<std::string, const char*> codes = {
      {"unpaid", kBankUnpaid}, {"paid", kBankPaid}, {"closed", kBankClosed}, {"odd", kBankOdd}};
  auto code = codes.find(state);
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->orders.find(cmdtyOrdrNo);
  if (code == codes.end() || it == impl_->orders.end()) return false;
  it->second.state = code->second;
  return true;
}

std::vector<BankOrder> BankPlatform::Orders() {
  std::lock_guard lock(impl_->mutex);
  std::vector<BankOrder> out;
  for (auto& [no, o] : impl_->orders) out.push_back(o);
  return out;
}

std::vector<std::string> BankPlatform::RecentBodies() {
  std::lock_guard lock(impl_->mutex);
  return {impl_->bodies.begin(), impl_->bodies.end()};
}

}  // namespace velmor::taxsim
