// TestKeys: key material the online-payment tests make with the OpenSSL command line at set-up,
// never committed: a self-signed TLS certificate for 127.0.0.1 (its own CA file) and an RSA
// signing key pair. Made once per test program in a temporary folder removed at exit; the
// accessor is thread-safe.
#pragma once

#include <string>

namespace velmor::testing {

struct TestKeys {
  std::string tlsCert;     // PEM certificate for IP 127.0.0.1, also the CA file that trusts it
  std::string tlsKey;      // its private key
  std::string otherCert;   // a second self-signed certificate (a CA that trusts nothing here)
  std::string signKey;     // RSA private key (PEM, plain: the test seals it itself)
  std::string signPublic;  // its public key
  std::string otherSignKey;  // another RSA private key (a signature the bank must refuse)
  std::string dir;         // the folder holding them
};

// The keys, made on the first call. Raises std::runtime_error when openssl fails.
const TestKeys& GetTestKeys();

}  // namespace velmor::testing
