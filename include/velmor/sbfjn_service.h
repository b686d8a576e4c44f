// ISbfjnService: the host's social-insurance payment service. It asks the tax server, on the
// plug-in's behalf, for the arrears of given levy documents and for the states of the bank-side
// vouchers issued between two days (the reference host forwards both over its network
// interface; docs/wire.md names the service codes).
//
// Texts are UTF-8 JSON. A failure answers false with the reason in `error`. Shared by every
// caller; thread-safe (each call uses its own request).
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ISbfjnService : public IInterface {
 public:
  VELMOR_IID("{6E1D7B3A-92C4-4F0B-8A55-3D71C2E9B0A4}")
  // The arrears of the levy documents `yzpzxhList` (JSON array of texts); `flag` as the caller
  // gives it ("N": unpaid only). `answer`: the server's {"qfxxList": [...]}, as the arrears query.
  virtual bool GetQfxxByYzpzxh(const std::string& djxh, const std::string& yzpzxhList, const std::string& flag,
                               std::string& answer, std::string& error) = 0;
  // The vouchers of `djxh` issued from `kjrqq` to `kjrqz` ("yyyy-mm-dd"), as a JSON array of
  // {"dzsphm", "zt"} (zt "1".."4").
  virtual bool GetDzsphmZt(const std::string& djxh, const std::string& kjrqq, const std::string& kjrqz,
                           std::string& list, std::string& error) = 0;

 protected:
  ~ISbfjnService() = default;
};

}  // namespace velmor
