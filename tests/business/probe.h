// A counted interface object for list tests: knows its id, counts live instances, and can run a
// callback from its destructor (to see what the list looks like while an item dies).
#pragma once

#include <functional>

#include "velmor/object.h"

namespace velmor::testing {

class IProbe : public IInterface {
 public:
  VELMOR_IID("{6A0C1E52-7B1D-4F38-9E55-0D7C2A61B001}")
  virtual int Id() = 0;
};

class Probe : public Object<IProbe> {
 public:
  Probe(int id, int* alive) : id_(id), alive_(alive) { ++*alive_; }
  ~Probe() override {
    --*alive_;
    if (onDestroy) onDestroy();
  }
  int Id() override { return id_; }
  int32_t Count() const { return RefCountForTest(); }
  std::function<void()> onDestroy;

 private:
  int id_;
  int* alive_;
};

}  // namespace velmor::testing
