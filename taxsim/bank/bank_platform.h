// BankPlatform: the simulated natural-person payment platform of the bank, an HTTPS server on
// 127.0.0.1 (docs/onlinepay.md, "The simulated bank"). It checks every request's SIGN_INF
// (SHA256withRSA over the parameters joined in their fixed order with "&") against the public
// key it is given (read at the first signed request, so the file may be written after Start),
// creates orders, answers their state, and can be told to misbehave.
//
//   taxsim::BankOptions o{certFile, keyFile, publicKeyFile};
//   taxsim::BankPlatform bank(o);
//   bank.Start();                          // "https://127.0.0.1:PORT" from Url()
//   bank.SetOrderState("SP01", "paid");    // the payer paid at the cashier page
//   bank.AddFault({"not-json"});           // the next reply is not JSON
//
// Routes: POST /online/socialorder, POST /online/enquireorder; control: POST /_bank/state
// {"Cmdty_Ordr_No", "state"}, POST /_bank/summary (the orders by state: count and amount),
// POST /_bank/faults {"kind", "count", "delayMs", "message"},
// DELETE /_bank/faults. Every member function may be called from any thread while the server
// runs; Start and Stop belong to one owner thread. Stop (and the destructor) cuts delays short.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::taxsim {

struct BankOptions {
  std::string certFile;       // TLS certificate (PEM)
  std::string keyFile;        // its private key
  std::string publicKeyFile;  // the merchant's signing key, to verify SIGN_INF (read when first needed)
  int port = 0;               // 0: a free port
};

// Order states as the bank answers them in Ordr_StCd.
inline constexpr const char* kBankUnpaid = "1";
inline constexpr const char* kBankPaid = "2";
inline constexpr const char* kBankClosed = "3";
inline constexpr const char* kBankOdd = "9";  // a state the merchant does not know

// A misbehaviour applied to the next `count` order or state requests:
//   reject      the reply says the request failed (Rsp_Inf = message)
//   no-url      a success without the cashier page address
//   tamper      the reply's order numbers differ from those sent
//   not-json    the reply is not JSON
//   http-error  HTTP 500
//   delay       the reply comes after delayMs milliseconds
struct BankFault {
  std::string kind;
  int count = 1;
  int delayMs = 0;
  std::string message = "交易失败";
};

struct BankOrder {
  std::string cmdtyOrdrNo, pyOrdrNo, state, amount;
  nlohmann::ordered_json params;  // as received, SIGN_INF removed
};

class BankPlatform {
 public:
  explicit BankPlatform(BankOptions options);
  ~BankPlatform();
  BankPlatform(const BankPlatform&) = delete;
  BankPlatform& operator=(const BankPlatform&) = delete;

  // Raises std::runtime_error when the certificate or its key cannot be used, no public-key file
  // is named, or the port cannot be bound.
  void Start();
  void Stop();
  int Port() const;
  std::string Url() const;

  void AddFault(BankFault fault);
  void ClearFaults();
  // "unpaid", "paid", "closed" or "odd"; false for an unknown order or state.
  bool SetOrderState(const std::string& cmdtyOrdrNo, const std::string& state);
  std::vector<BankOrder> Orders();
  // The bodies of the last requests on the two bank routes (at most 16), oldest first.
  std::vector<std::string> RecentBodies();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The parameter text the bank verifies: the values of `names` taken from body in that order
// ("null" for a JSON null, "" when absent), each as name=value, joined with "&".
std::string BankSignedText(const nlohmann::ordered_json& body, const std::vector<const char*>& names);
// The names of the order and state requests, in their fixed order.
const std::vector<const char*>& BankOrderNames();
const std::vector<const char*>& BankEnquiryNames();
// True when signature (Base64) verifies text under the PEM public key in publicKeyPem.
bool BankVerify(const std::string& publicKeyPem, const std::string& text, const std::string& signature);

}  // namespace velmor::taxsim
