#include "cli/demo/demo_day.h"

#include <chrono>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velmor::cli {

void HandBackFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

DemoDay::DemoDay(const std::string& title, LongOperation& op) : op_(op) {
  std::printf("\n=== %s\n", title.c_str());
  std::fflush(stdout);
}

void DemoDay::Step(const std::string& heading, const std::function<std::string(IProgressView*)>& body) {
  std::printf("\n== %d. %s\n", ++step_, heading.c_str());
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  IProgressView* view = op_.Start(heading);
  std::string result;
  try {
    result = body(view);
  } catch (...) {
    op_.Finished(false);  // raises Interrupted when Ctrl-C stopped the step
    throw;
  }
  op_.Finished(true);
  // A step's large texts are freed when it ends; handed back, the next step's peak is its own
  // and not the sum of the day's.
  HandBackFreedMemory();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("   %s（%.1f 秒）\n", result.c_str(), seconds);
  std::fflush(stdout);
}

}  // namespace velmor::cli
