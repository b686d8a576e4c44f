// DemoContext: what the two days of `velmor demo` share: the plug-in session, the payer, the
// simulated server's addresses and what it said of itself at the start, the folders, and the
// tallies each day keeps for the report (what the plug-in's stores cannot tell afterwards).
// Owned by RunDemoCommand for the run; main thread only.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/long_operation.h"
#include "cli/plugin_session.h"

namespace velmor::cli {

// What the employer's day did beyond what its stores hold.
struct EmployerTally {
  bool ran = false;
  int outsideImported = 0, outsideRejected = 0;  // the outside persons' workbook
  int payableRows = 0;
  double payableAmount = 0;
  std::map<int, int> voucherStates;  // jkzt -> vouchers, as the server answered
  int receiptsImported = 0;
  double receiptsAmount = 0;
  std::string certificate;  // pzhm of the issued certificate
  int certificateLines = 0;
  double certificateAmount = 0;
};

// What the residents' payer's day did: per step the count (and amount) the server accepted.
struct ResidentsTally {
  bool ran = false;
  int registered = 0, accepted = 0, rejected = 0, submissions = 0;
  int basicInfo = 0;
  int streetChangesSubmitted = 0, streetChangesStored = 0;
  int confirmed = 0;
  double confirmedAmount = 0;
  std::string orderState;  // ddzt of the online order
  int orders = 0;
  double orderAmount = 0;
  int statesLines = 0, statesDeclared = 0, statesUndeclared = 0;  // the insured lines' declaration states
  int collectionUnits = 0, collectionInsured = 0, collectionPaid = 0, collectionUnpaid = 0;
  std::string groupState;  // sbzt of the collective payer's declaration
  int groupLines = 0;
  double groupAmount = 0;
};

struct DemoContext {
  explicit DemoContext(PluginSession& s) : session(s) {}

  PluginSession& session;
  std::string djxh;          // the employer, also the residents' payer
  nlohmann::json server;     // the simulator's summary at the start (payers, groups)
  std::string url, bankUrl;  // the simulated server and bank
  std::string caFile;        // trusts the bank's certificate
  std::string workDir;       // the demo's own files (workbooks it imports, keys)
  int persons = 0;           // --persons: scales both days
  int year = 0;
  std::string month;  // yyyy-mm
  std::string today;  // yyyy-mm-dd
  EmployerTally employer;
  ResidentsTally residents;

  // The first payer of the server's summary, and its first collective account.
  const nlohmann::json& Payer() const { return server.at("payers").at(0); }
  const nlohmann::json& Group() const { return server.at("groups").at(0); }
};

// The two days (cli/demo/employer_day.cpp, cli/demo/residents_day.cpp); each raises on the first
// failed step.
void RunEmployerDay(DemoContext& context, LongOperation& op);
void RunResidentsDay(DemoContext& context, LongOperation& op);

}  // namespace velmor::cli
