// SysDiffer: the host's ISysDiffer, answering GetDifferValue from the [differ] section of the
// host configuration (keys compare without regard to ASCII case; empty text when not set).
// Immutable after construction, so safe on any thread.
#pragma once

#include <memory>

#include "host/host_config.h"
#include "velmor/object.h"
#include "velmor/sys_differ.h"

namespace velmor::host {

class SysDiffer final : public Object<ISysDiffer> {
 public:
  explicit SysDiffer(std::shared_ptr<const HostConfig> config) : config_(std::move(config)) {}
  std::string GetDifferValue(const std::string& key) override { return config_->Get(HostConfig::kDiffer, key); }

 private:
  const std::shared_ptr<const HostConfig> config_;
};

}  // namespace velmor::host
