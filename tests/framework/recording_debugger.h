// A host debugger for tests: records every call (operation, texts, level), can report itself
// inactive, and can throw from its write operations. Use with FakeHost:
//   FakeHost host; auto dbg = Make<RecordingDebugger>(); host.factory().debugger = dbg;
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "velmor/debugger.h"
#include "velmor/object.h"
#include "velmor/platform.h"

namespace velmor::testing {

struct DebugCall {
  std::string op;        // "EnterProc", "LeaveProc", "WriteLog", "WriteText", "WriteWideText"
  std::string text;      // name or message (UTF-8; wide texts converted back)
  std::string extra;     // detail or category
  int32_t level = 0;
  bool operator==(const DebugCall&) const = default;
};

class RecordingDebugger : public Object<IDebugger> {
 public:
  bool IsActive() override {
    ++isActiveCalls;
    return active;
  }
  void EnterProc(const std::string& name, const std::string& detail) override { Record("EnterProc", name, detail, 0); }
  void LeaveProc(const std::string& name, const std::string& detail) override { Record("LeaveProc", name, detail, 0); }
  void WriteLog(const char* message, const char* category, int32_t level) override {
    Record("WriteLog", message, category, level);
  }
  void WriteText(const char* message, const char* category, int32_t level) override {
    Record("WriteText", message, category, level);
  }
  void WriteWideText(const std::u16string& message, const std::u16string& category, int32_t level) override {
    Record("WriteWideText", platform::Utf16ToUtf8(message), platform::Utf16ToUtf8(category), level);
  }

  // Messages of the write operations, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const DebugCall& c : calls)
      if (c.op.rfind("Write", 0) == 0) out.push_back(c.text);
    return out;
  }

  bool active = true;
  bool throwOnRecord = false;
  int isActiveCalls = 0;
  std::vector<DebugCall> calls;

 private:
  void Record(const char* op, std::string text, std::string extra, int32_t level) {
    if (throwOnRecord) throw std::runtime_error(std::string("debugger failed in ") + op);
    calls.push_back({op, std::move(text), std::move(extra), level});
  }
};

}  // namespace velmor::testing
