// TempDir: a fresh directory under the system temporary folder, removed with its contents when
// the object dies. Not thread-safe; one per test.
#pragma once

#include <string>

namespace velmor::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes a whole file; false on failure.
bool WriteFile(const std::string& path, const std::string& content);

}  // namespace velmor::testing
