// velmor-taxsim: the simulated tax server as a program, for the demo and for people.
//   velmor-taxsim --port 0 --persons 1000      prints "listening on http://127.0.0.1:PORT"
// Runs until interrupted (SIGINT, SIGTERM).
#include <pthread.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <CLI/CLI.hpp>

#include "taxsim/bank/bank_platform.h"
#include "taxsim/simulator.h"
#include "velmor/version.h"

namespace {

// SIGINT and SIGTERM, blocked in every thread and waited for by the main one.
sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

constexpr const char* kFooter =
    R"(Fault modes (queued while the server runs; each applies to `count` matching requests):
  refuse      the request is refused: "code" (default 10042) and "message"
  code        the answer carries result "code" and "message" instead of data
  drop-list   the answer lacks the list named "list"
  bad-base64  the answer's data is not Base64
  delay       the answer comes after "delayMs" milliseconds (at most 60000)
  drop        the connection is closed without an answer
  http-error  the answer is an HTTP error "httpStatus" (default 500)
  not-json    the answer is not JSON
  drop-answer the request is served, then the connection is closed before the answer
  empty-answer the answer's data is "text": "" or "null"
  pending     a submitted job answers "pending" for "polls" polls (-1: forever)
  omit-rows   every "every"-th row (default 2) of the list "list" is left out
  instruction the answer's document begins its root with a processing instruction
  Matching: "serviceCode" (empty: any), "serial", "endpoint" (service, submit, poll, any);
  "skip": matching requests let through before the fault applies.

The simulated bank (with --bank-cert): faults by POST /_bank/faults {"kind", "count", "delayMs",
"message"}: reject, no-url, tamper, not-json, http-error, delay; an order paid or closed by
POST /_bank/state {"Cmdty_Ordr_No": "...", "state": "paid|closed|unpaid|odd"}.

Examples:
  velmor-taxsim --port 18080 --persons 1000
  velmor-taxsim --port 18080 --bank-cert cert.pem --bank-key key.pem --bank-public-key sign-pub.pem
  curl -s -X POST http://127.0.0.1:18080/_taxsim/faults        -d '{"kind":"refuse","serviceCode":"0001","code":"10042","message":"busy","count":1}'
  curl -s -X DELETE http://127.0.0.1:18080/_taxsim/faults      # clear every fault

Exit status: 0 stopped by SIGINT or SIGTERM (or --write-scenario done), 1 failure, 2 usage error.)";

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // A pool of threads serves the calls (their handlers one at a time, under the state's lock).
  // With an allocation arena per thread, each kept the memory of the large answers it once
  // built, and the process tripled its peak (1.4 GB instead of 0.47 GB while paying 50,000
  // lines). One arena serves them all.
  mallopt(M_ARENA_MAX, 1);
  // What it frees is kept for the next answer. Handed back to the system after each large answer,
  // it was taken again page by page for the next one, the kernel clearing every page first: at
  // 100,000 persons half the time of the first roster answer, while the client waited.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
#endif
  CLI::App app{"velmor-taxsim: a simulated tax-administration server on 127.0.0.1", "velmor-taxsim"};
  app.footer(kFooter);
  app.option_defaults()->always_capture_default();
  velmor::taxsim::SimulatorOptions options;
  std::string writeScenario;
  velmor::taxsim::BankOptions bank;
  app.set_version_flag("--version", "velmor-taxsim " VELMOR_VERSION, "print the version and exit");
  app.add_option("--port", options.port, "TCP port on 127.0.0.1 (0: a free one)")->check(CLI::Range(0, 65535));
  app.add_option("--persons", options.generate.persons, "generated insured persons")->check(CLI::Range(0, 10000000));
  app.add_option("--payers", options.generate.payers, "generated payers sharing the persons")->check(CLI::Range(1, 100000));
  app.add_option("--seed", options.generate.seed, "seed of the generated state");
  app.add_option("--scenario", options.scenarioPath, "scenario file (JSON) instead of a generated state")
      ->check(CLI::ExistingFile);
  app.add_option("--async-pending", options.asyncPendingPolls, "polls a job answers pending first (-1: forever)")
      ->check(CLI::Range(-1, 1000));
  options.pollWaitsForAnswer = false;
  app.add_flag("--poll-waits-for-answer", options.pollWaitsForAnswer,
               "a poll past a job's pending polls waits for its answer instead of answering \"pending\" "
               "until the answer is ready")
      ->default_str("off");
  app.add_flag("--queue-declarations", options.queueDeclarations,
               "answer every declaration later under its serial (\"10042\"), as a busy server does");
  const std::map<std::string, velmor::taxsim::State::PersonRules> rules = {
      {"none", velmor::taxsim::State::PersonRules::kNone},
      {"basic", velmor::taxsim::State::PersonRules::kBasic},
      {"roster", velmor::taxsim::State::PersonRules::kRoster}};
  app.add_option("--person-rules", options.personRules,
                 "how declared persons are checked: none, basic (no negative amount, a person number), "
                 "roster (basic, and the number is on the payer's roster); refused persons are answered in cwmxList")
      ->transform(CLI::CheckedTransformer(rules, CLI::ignore_case))
      ->default_str("basic");
  app.add_option("--threads", options.threads, "server threads")->check(CLI::Range(1, 256));
  app.add_option("--bank-cert", bank.certFile, "TLS certificate of the simulated bank platform (starts it)")
      ->check(CLI::ExistingFile);
  app.add_option("--bank-key", bank.keyFile, "private key of that certificate")->check(CLI::ExistingFile);
  // Not checked here: the bank reads the merchant's key at the first signed request.
  app.add_option("--bank-public-key", bank.publicKeyFile,
                 "public key that verifies the merchant's signatures (read when the first order comes)");
  app.add_option("--bank-port", bank.port, "TCP port of the bank on 127.0.0.1 (0: a free one)")
      ->check(CLI::Range(0, 65535));
  app.add_option("--write-scenario", writeScenario, "write the state as a scenario file and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    std::fprintf(stderr, "velmor-taxsim: %s (see velmor-taxsim --help)\n", e.what());
    return 2;
  }

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
    std::signal(SIGPIPE, SIG_IGN);
    if (!bank.certFile.empty() && (bank.keyFile.empty() || bank.publicKeyFile.empty())) {
      std::fprintf(stderr, "velmor-taxsim: --bank-cert needs --bank-key and --bank-public-key\n");
      return 2;
    }
    // Blocked before the first thread starts, so that every thread inherits the mask and only the
    // main one, waiting for them, sees the stop signals (until now they end the program at once).
    const sigset_t stop = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    sim.Start();
    std::printf("listening on %s\n", sim.Url().c_str());
    velmor::taxsim::BankPlatform bankPlatform(bank);
    if (!bank.certFile.empty()) {
      bankPlatform.Start();
      std::printf("bank listening on %s\n", bankPlatform.Url().c_str());
    }
    std::fflush(stdout);
    int signal = 0;
    while (sigwait(&stop, &signal) != 0) {
    }
    bankPlatform.Stop();
    sim.Stop();
    // The servers are stopped and their threads joined; the state (some 500 MB after a day at
    // 100,000 persons, a quarter of a second to free) goes with the process.
    std::fflush(nullptr);
    std::_Exit(0);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor-taxsim: %s\n", e.what());
    return 1;
  }
}
