// DemoDay: one day of `velmor demo`, a title and numbered steps. Each step prints its heading,
// runs under a progress display, and prints its one-line result with the time it took; a step
// that raises ends the day (and the demo) with that failure. Main thread only.
#pragma once

#include <functional>
#include <string>

#include "cli/long_operation.h"

namespace velmor::cli {

// Hands the pages of freed memory back to the system (the allocator keeps them for the process
// otherwise): between steps, and inside a step between two large parts of it.
void HandBackFreedMemory();

class DemoDay {
 public:
  // Prints the day's title; `op` is the demo's one progress display.
  DemoDay(const std::string& title, LongOperation& op);
  // Runs `body` with the view to hand to the plug-in; its answer is the step's result line.
  void Step(const std::string& heading, const std::function<std::string(IProgressView*)>& body);

 private:
  int step_ = 0;
  LongOperation& op_;
};

}  // namespace velmor::cli
