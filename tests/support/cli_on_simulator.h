// A fixture for command-line tests: a fresh data directory initialised by `velmor init` against
// an in-process simulator of one generated payer, and the `velmor` program run on it as a user
// runs it. One per test; not shared between threads.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"

namespace velmor::testing {

inline const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";
inline const std::string kCliDjxh = "10000000000000000001";

class CliOnSimulator : public ::testing::Test {
 protected:
  // `flags` go before every command's own arguments (e.g. "-q").
  explicit CliOnSimulator(int persons, std::vector<std::string> flags = {})
      : CliOnSimulator(Options(persons), std::move(flags)) {}
  // Initialised for `djxh`, one of the simulator's payers.
  CliOnSimulator(taxsim::SimulatorOptions options, std::vector<std::string> flags, const std::string& djxh = kCliDjxh)
      : flags_(std::move(flags)), sim_(std::move(options)) {
    sim_.Start();
    ProcessResult init = Run({"init", "--server", sim_.Url(), "--djxh", djxh});
    EXPECT_EQ(init.exitCode, 0) << init.err;
  }
  ProcessResult Run(std::vector<std::string> args) { return RunProcess(Argv(std::move(args))); }
  // The whole command line of `velmor` with `args` on this fixture's data directory.
  std::vector<std::string> Argv(std::vector<std::string> args) {
    std::vector<std::string> head = {kVelmor, "--data", dir_.File("data")};
    head.insert(head.end(), flags_.begin(), flags_.end());
    args.insert(args.begin(), head.begin(), head.end());
    return args;
  }
  static taxsim::SimulatorOptions Options(int persons) {
    taxsim::SimulatorOptions o;
    o.generate = {.persons = persons, .payers = 1, .seed = 5};
    return o;
  }

  std::vector<std::string> flags_;
  TempDir dir_;
  taxsim::Simulator sim_;
};

}  // namespace velmor::testing
