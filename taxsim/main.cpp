// velmor-taxsim: the simulated tax server as a program, for the demo and for people.
//   velmor-taxsim --port 0 --persons 1000      prints "listening on http://127.0.0.1:PORT"
// Runs until interrupted (SIGINT, SIGTERM).
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

#include <CLI/CLI.hpp>

#include "taxsim/simulator.h"
#include "velmor/version.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"velmor-taxsim: a simulated tax-administration server on 127.0.0.1"};
  velmor::taxsim::SimulatorOptions options;
  std::string writeScenario;
  app.set_version_flag("--version", "velmor-taxsim " VELMOR_VERSION, "print the version and exit");
  app.add_option("--port", options.port, "TCP port on 127.0.0.1 (0: a free one)")->check(CLI::Range(0, 65535));
  app.add_option("--persons", options.generate.persons, "generated insured persons")->check(CLI::Range(0, 10000000));
  app.add_option("--payers", options.generate.payers, "generated payers sharing the persons")->check(CLI::Range(1, 100000));
  app.add_option("--seed", options.generate.seed, "seed of the generated state");
  app.add_option("--scenario", options.scenarioPath, "scenario file (JSON) instead of a generated state")
      ->check(CLI::ExistingFile);
  app.add_option("--async-pending", options.asyncPendingPolls, "polls a job answers pending first (-1: forever)")
      ->check(CLI::Range(0, 1000));
  app.add_flag("--queue-declarations", options.queueDeclarations,
               "answer every declaration later under its serial (\"10042\"), as a busy server does");
  app.add_option("--threads", options.threads, "server threads")->check(CLI::Range(1, 256));
  app.add_option("--write-scenario", writeScenario, "write the state as a scenario file and exit");
  CLI11_PARSE(app, argc, argv);

  try {
    velmor::taxsim::Simulator sim(options);
    if (!writeScenario.empty()) {
      std::ofstream out(writeScenario, std::ios::binary | std::ios::trunc);
      out << sim.WithState([](velmor::taxsim::State& s) { return velmor::taxsim::ToScenario(s).dump(1); }) << '\n';
      if (!out) {
        std::fprintf(stderr, "velmor-taxsim: cannot write %s\n", writeScenario.c_str());
        return 1;
      }
      return 0;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    sim.Start();
    std::printf("listening on %s\n", sim.Url().c_str());
    std::fflush(stdout);
    while (!g_stop) {
      struct timespec ts{0, 100 * 1000 * 1000};
      nanosleep(&ts, nullptr);
    }
    sim.Stop();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor-taxsim: %s\n", e.what());
    return 1;
  }
}
