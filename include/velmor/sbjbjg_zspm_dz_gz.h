// ISbjbjgZspmDzGz: which levy sub-items (zspmDm) and details (zszmDm) each social-insurance agency
// handles (rule "sbjbjgzspmdzGz").
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it. Codes are compared ignoring letter case; lists are texts
// of codes, one per line, sorted, without duplicates. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ISbjbjgZspmDzGz : public IInterface {
 public:
  VELMOR_IID("{CB96DF15-263C-4EE8-B1D1-C8B8E0E75ADE}")
  // 1: the sub-items of an agency.
  virtual std::string GetZspmList(const std::string& sbjbjgDm) = 0;
  // 2: the details of an agency's sub-item.
  virtual std::string GetZszmList(const std::string& sbjbjgDm, const std::string& zspmDm) = 0;
  // 3: true when the agency handles the sub-item.
  virtual bool HasZspm(const std::string& sbjbjgDm, const std::string& zspmDm) = 0;
  // 4: true when the agency handles the detail of the sub-item.
  virtual bool HasZszm(const std::string& sbjbjgDm, const std::string& zspmDm, const std::string& zszmDm) = 0;

 protected:
  ~ISbjbjgZspmDzGz() = default;
};

}  // namespace velmor
