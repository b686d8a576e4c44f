// BankKeys: throwaway key material for the demo's simulated bank, made with OpenSSL's libcrypto
// into a folder of the caller: a self-signed TLS certificate for 127.0.0.1 with its EC key (the
// certificate is also the CA file the client trusts), an RSA signing key pair (the client signs
// its orders with the private key, the bank checks them with the public one), and a random
// envelope key (64 hex digits) for sealing the private key where the plug-in reads it.
// Nothing here is secret beyond the demo's run. Raises HostError when OpenSSL or a file fails.
//
// The signing pair is made apart (MakeSigningKeys): finding an RSA key takes a third of a second
// or so, which the demo spends on its own thread while the simulator builds its payers (the
// bank reads the public key at the first signed request). Both functions may run on any thread.
#pragma once

#include <string>

namespace velmor::cli {

struct BankKeys {
  std::string tlsCert, tlsKey;         // PEM files
  std::string signKey, signPublicKey;  // PEM files (the private key plain, for sealing)
  std::string envelopeKeyHex;          // 64 hex digits
};

// The TLS pair and the envelope key written, the signing pair's file names chosen.
BankKeys MakeBankKeys(const std::string& folder);
// Writes the signing pair to keys.signKey and keys.signPublicKey (the public key last).
void MakeSigningKeys(const BankKeys& keys);

}  // namespace velmor::cli
