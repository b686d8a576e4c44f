// Small interfaces and class references for the host tests: a class answering IProbe, one that
// answers only IInterface, and one whose constructor throws.
#pragma once

#include <atomic>
#include <stdexcept>
#include <string_view>

#include "velmor/class_ref.h"
#include "velmor/object.h"

namespace velmor::testing {

class IProbe : public IInterface {
 public:
  VELMOR_IID("{11111111-2222-3333-4444-555555555555}")
  virtual int Answer() = 0;
};

class IOther : public IInterface {
 public:
  VELMOR_IID("{66666666-7777-8888-9999-AAAAAAAAAAAA}")
};

inline std::atomic<int> g_liveProbes{0};

class Probe final : public Object<IProbe> {
 public:
  Probe() { ++g_liveProbes; }
  ~Probe() override { --g_liveProbes; }
  int Answer() override { return 42; }
};

class Other final : public Object<IOther> {};

template <class T>
class TestClass final : public ClassRef {
 public:
  explicit constexpr TestClass(std::string_view name) : name_(name) {}
  std::string_view ClassName() const override { return name_; }
  Ref<IInterface> CreateInstance() const override {
    Ref<T> obj = Make<T>();
    return Query<IInterface>(obj);
  }

 private:
  std::string_view name_;
};

class ThrowingClass final : public ClassRef {
 public:
  std::string_view ClassName() const override { return "TThrowing"; }
  Ref<IInterface> CreateInstance() const override { throw std::runtime_error("no memory for TThrowing"); }
};

inline const TestClass<Probe> kProbeClass{"TProbe"};
inline const TestClass<Other> kOtherClass{"TOther"};
inline const ThrowingClass kThrowingClass;

}  // namespace velmor::testing

#include <mutex>
#include <string>
#include <vector>

#include "velmor/debugger.h"

namespace velmor::testing {

// Keeps every WriteLog record as "<level>|<category>|<message>".
class RecordingDebugger final : public Object<IDebugger> {
 public:
  bool IsActive() override { return true; }
  void EnterProc(const std::string&, const std::string&) override {}
  void LeaveProc(const std::string&, const std::string&) override {}
  void WriteLog(const char* message, const char* category, int32_t level) override {
    std::lock_guard lock(mutex);
    records.push_back(std::to_string(level) + "|" + category + "|" + message);
  }
  void WriteText(const char* message, const char* category, int32_t level) override {
    WriteLog(message, category, level);
  }
  void WriteWideText(const std::u16string&, const std::u16string&, int32_t) override {}

  std::mutex mutex;
  std::vector<std::string> records;
};

}  // namespace velmor::testing
