// DocumentViewer: the host's IDocumentViewer. Runs the configured program ([preview] command)
// with the file as its one argument, without a shell, and does not wait for it. With no program
// configured it is not available.
//
// Immutable after construction; thread-safe.
#pragma once

#include <string>

#include "velmor/document_viewer.h"
#include "velmor/object.h"

namespace velmor::host::components {

class DocumentViewer final : public Object<IDocumentViewer> {
 public:
  explicit DocumentViewer(std::string command) : command_(std::move(command)) {}

  bool IsAvailable() override { return !command_.empty(); }
  bool Open(const std::string& path, std::string& error) override;

 private:
  const std::string command_;
};

}  // namespace velmor::host::components
