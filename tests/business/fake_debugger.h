// A host service factory that hands out a recording debugger, installed behind the
// service-library window class for the life of a FakeDebugHost.
#pragma once

#include <stdexcept>
#include <tuple>  // velmor/object.h uses std::tuple_element without including it
#include <string>
#include <vector>

#include "velmor/object.h"
#include "velmor/service_factory.h"

namespace velmor::testing {

class FakeDebugger : public Object<IDebugger> {
 public:
  bool IsActive() override {
    ++activeQueries;
    return active;
  }
  void EnterProc(const std::string&, const std::string&) override {}
  void LeaveProc(const std::string&, const std::string&) override {}
  void WriteLog(const char* message, const char* category, int32_t) override {
    if (throwOnWrite) throw std::runtime_error("debugger down");
    lines.emplace_back(message);
    categories.emplace_back(category);
  }
  void WriteText(const char*, const char*, int32_t) override {}
  void WriteWideText(const std::u16string&, const std::u16string&, int32_t) override {}

  bool active = true;
  bool throwOnWrite = false;
  int activeQueries = 0;
  std::vector<std::string> lines;
  std::vector<std::string> categories;
};

class FakeDebugHost {
 public:
  FakeDebugHost();
  ~FakeDebugHost();
  FakeDebugger& debugger() { return *debugger_; }

 private:
  Ref<FakeDebugger> debugger_;
};

}  // namespace velmor::testing
