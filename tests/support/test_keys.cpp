#include "support/test_keys.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

void Run(const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
    throw std::runtime_error("openssl failed: " + command);
}

void SelfSigned(const std::string& cert, const std::string& key) {
  Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1"
      " -addext subjectAltName=IP:127.0.0.1 -keyout '" + key + "' -out '" + cert + "'");
}

void RsaKey(const std::string& key) {
  Run("openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out '" + key + "'");
}

}  // namespace

const TestKeys& GetTestKeys() {
  static std::mutex mutex;
  static std::unique_ptr<TempDir> dir;
  static TestKeys keys;
  std::lock_guard lock(mutex);
  if (dir) return keys;
  auto d = std::make_unique<TempDir>();
  TestKeys k;
  k.dir = d->path();
  k.tlsCert = d->File("tls-cert.pem");
  k.tlsKey = d->File("tls-key.pem");
  k.otherCert = d->File("other-cert.pem");
  k.signKey = d->File("sign-key.pem");
  k.signPublic = d->File("sign-pub.pem");
  k.otherSignKey = d->File("other-sign-key.pem");
  SelfSigned(k.tlsCert, k.tlsKey);
  SelfSigned(k.otherCert, d->File("other-key.pem"));
  RsaKey(k.signKey);
  Run("openssl pkey -in '" + k.signKey + "' -pubout -out '" + k.signPublic + "'");
  RsaKey(k.otherSignKey);
  keys = k;
  dir = std::move(d);
  return keys;
}

}  // namespace velmor::testing
