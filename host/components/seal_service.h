// SealService: the host's ISealService. It checks that the file exists and is a PDF, then records
// the seal beside it in "<file>.seal.json" ({"code", "description", "time"}); the PDF itself is
// left as it is (the reference host has no signing key). Configured to fail ([seal] fail), every
// call fails with that text and records nothing.
//
// Immutable after construction; thread-safe (a record is written to a temporary name and renamed).
#pragma once

#include <string>

#include "velmor/object.h"
#include "velmor/seal_service.h"

namespace velmor::host::components {

class SealService final : public Object<ISealService> {
 public:
  static constexpr const char* kRecordSuffix = ".seal.json";

  explicit SealService(std::string failure) : failure_(std::move(failure)) {}

  bool Seal(const std::string& pdfFile, const std::string& sealCode, const std::string& description,
            std::string& error) override;

 private:
  const std::string failure_;
};

}  // namespace velmor::host::components
