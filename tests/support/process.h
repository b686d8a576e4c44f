// RunProcess: runs a program to its end and captures what it wrote, for tests of the command
// line. Output goes through temporary files, so a chatty child never blocks on a full pipe.
#pragma once

#include <string>
#include <vector>

namespace velmor::testing {

struct ProcessResult {
  int exitCode = -1;  // the exit status, or 128 + signal number when killed
  std::string out;
  std::string err;
};

// argv[0] is the program's path. Extra environment entries ("NAME=value") are added to the
// current environment. Raises std::runtime_error when the program cannot be started.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});

}  // namespace velmor::testing
