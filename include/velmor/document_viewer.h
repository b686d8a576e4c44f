// IDocumentViewer: the host's document preview: opens a file the plug-in wrote (a workbook) in
// the program the user views such documents with.
//
// Shared by every caller; thread-safe. Open returns at once (the viewer runs on its own).
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IDocumentViewer : public IInterface {
 public:
  VELMOR_IID("{4D2C9E81-6B3F-47A5-B0E1-8F93A56C2D17}")
  // False when no viewer is configured: the caller keeps the file and says so.
  virtual bool IsAvailable() = 0;
  // Hands `path` to the viewer; false with the reason in `error` when it cannot be started.
  virtual bool Open(const std::string& path, std::string& error) = 0;

 protected:
  ~IDocumentViewer() = default;
};

}  // namespace velmor
