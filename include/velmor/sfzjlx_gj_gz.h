// ISfzjlxGjGzIntf: which identity-document types (sfzjlxDm) go with which countries (gjDm),
// rule "sfzjlxGjGz", looked up in both directions.
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it. Lists are codes, one per line, sorted, without
// duplicates. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ISfzjlxGjGzIntf : public IInterface {
 public:
  VELMOR_IID("{AED85D11-1DFD-41A4-8790-D63F24D184C9}")
  // 1: the countries paired with a document type (exact match); empty when none.
  virtual std::string GetGjList(const std::string& sfzjlxDm) = 0;
  // 2: the document types paired with a country (exact match); empty when none.
  virtual std::string GetSfzjlxList(const std::string& gjDm) = 0;

 protected:
  ~ISfzjlxGjGzIntf() = default;
};

}  // namespace velmor
