// UIManager: the user-interface manager of a host without windows (instance "Default"). A
// question (AskYesNo) goes to the answerer the host's user installed (the command line asks on
// its terminal or answers from a flag; tests answer programmatically) and is recorded. Without
// an answerer every question is answered "no". Thread-safe (one mutex; the answerer itself is
// called outside it).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "velmor/object.h"
#include "velmor/ui_manager.h"

namespace velmor::host {

class UIManager final : public Object<IUIManager> {
 public:
  using Answerer = std::function<bool(const std::string& question)>;

  std::string GetName() override { return "Default"; }
  bool AskYesNo(const std::string& question) override {
    Answerer answerer;
    {
      std::lock_guard lock(mutex_);
      asked_.push_back(question);
      answerer = answerer_;
    }
    return answerer ? answerer(question) : false;
  }

  // Empty: every question is answered "no".
  void SetAnswerer(Answerer answerer) {
    std::lock_guard lock(mutex_);
    answerer_ = std::move(answerer);
  }
  // The questions asked so far, oldest first.
  std::vector<std::string> Asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
  }

 private:
  mutable std::mutex mutex_;
  Answerer answerer_;
  std::vector<std::string> asked_;
};

}  // namespace velmor::host
