// IProgressView: the host's progress display, passed into long service operations.
//
// Operations are in slot order; the first three are those the services call. Used on the thread
// that created it (the host's main thread).
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IProgressView : public IInterface {
 public:
  VELMOR_IID("{561CB6B8-48AF-45E4-8D55-826A5F8A4BF3}")
  virtual int32_t GetPosition() = 0;
  virtual void SetPosition(int32_t position) = 0;
  virtual void StartProgress(const std::string& message, int32_t maximum, const std::string& caption) = 0;
  virtual void EndProgress() = 0;
  virtual void SetMessage(const std::string& message) = 0;
  virtual int32_t GetMaximum() = 0;
  // -1 when the view cannot tell (the null view answers -1 here).
  virtual int32_t GetHandle() = 0;
  // Whether the user asked to cancel (Ctrl-C on the command line). Long operations may test it
  // after each step and stop cleanly; the null view answers false.
  virtual bool IsCancelled() = 0;

 protected:
  ~IProgressView() = default;
};

}  // namespace velmor
