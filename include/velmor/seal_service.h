// ISealService: the host's seal service: applies an electronic seal to a PDF file (an electronic
// payment certificate).
//
// The file must exist and be a PDF. A failure answers false with the reason in `error` and
// leaves the file unsealed. Shared by every caller; thread-safe.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ISealService : public IInterface {
 public:
  VELMOR_IID("{B8F04A6C-1E27-4D93-9C3B-5A7E20D4F816}")
  // Seals `pdfFile` with the seal `sealCode` ("866") described by `description`.
  virtual bool Seal(const std::string& pdfFile, const std::string& sealCode, const std::string& description,
                    std::string& error) = 0;

 protected:
  ~ISealService() = default;
};

}  // namespace velmor
