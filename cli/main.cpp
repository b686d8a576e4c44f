// `velmor`: the command-line host. Parses the command line and hands over to one subcommand;
// every failure ends with one line on stderr and a non-zero exit (1 failure, 2 usage).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "cli/declare_command.h"
#include "cli/group_command.h"
#include "cli/failure.h"
#include "cli/fees_command.h"
#include "cli/pay_command.h"
#include "cli/residents_command.h"
#include "cli/accounts_command.h"
#include "cli/online_command.h"
#include "cli/special_command.h"
#include "cli/payable_command.h"
#include "cli/receipts_command.h"
#include "cli/help.h"
#include "cli/long_operation.h"
#include "cli/output.h"
#include "velmor/utf8.h"
#include "velmor/version.h"

int main(int argc, char** argv) {
  using namespace velmor::cli;
  CLI::App app{"velmor: command-line host of the Velmor service plug-in", "velmor"};
  GlobalOptions global;
  InitOptions init;
  ParamOptions param;
  CodeNameOptions codename;
  DictOptions dict;
  DeclareOptions declare;
  RosterOptions roster;
  LogOptions log;
  DemoOptions demo;
  FeesOptions fees;
  PayOptions pay;
  ResidentsOptions residents;
  CollectionOptions collection;
  MedicalAccountsOptions medicalAccounts;
  BasicInfoOptions basicInfo;
  StreetChangeOptions streetChange;
  GroupOptions group;
  SpecialOptions special;
  ReceiptsOptions receipts;
  CertificateOptions certificate;
  PayableOptions payable;
  OnlineOptions online;
  RegionalOptions regional;
  app.add_option("--data", global.dataDir, "data directory (default: $VELMOR_DATA, else ~/.local/share/velmor)")
      ->type_name("DIR");
  app.add_option("--plugin", global.pluginPath, "plug-in library (default: libVelmorService.so in ../lib/ or ../lib/velmor/ of the program)")
      ->type_name("PATH");
  app.set_version_flag("--version", "velmor " VELMOR_VERSION, "print the version and exit");
  app.add_flag("-v,--verbose", global.verbose, "echo the debug log to stderr");
  app.add_flag("-q,--quiet", global.quiet, "no progress display on stderr");
  app.add_option("--log-level", global.logLevel, "the log's detail for this run (0 errors .. 3 debug; default: [log] level)")
      ->type_name("N")->check(CLI::Range(0, 9));
  for (int i = 0; i < argc; ++i) global.commandLine += (i ? " " : "") + std::string(argv[i]);
  app.require_subcommand(1);
  app.fallthrough();  // the options above are accepted after the subcommand too
  CLI::App* services = AddServicesCommand(app);
  CLI::App* initCmd = AddInitCommand(app, init);
  CLI::App* paramCmd = AddParamCommand(app, param);
  CLI::App* codenameCmd = AddCodeNameCommand(app, codename);
  CLI::App* dictCmd = AddDictCommand(app, dict);
  CLI::App* declareCmd = AddDeclareCommand(app, declare);
  CLI::App* schemeCmd = AddSchemeCommand(app, roster);
  CLI::App* rosterCmd = AddRosterCommand(app, roster);
  CLI::App* logCmd = AddLogCommand(app, log);
  CLI::App* demoCmd = AddDemoCommand(app, demo);
  CLI::App* feesCmd = AddFeesCommand(app, fees);
  CLI::App* confirmCmd = AddConfirmCommand(app, fees);
  CLI::App* agreementCmd = AddAgreementCommand(app, fees);
  CLI::App* payCmd = AddPayCommand(app, pay);
  CLI::App* residentsCmd = AddResidentsCommand(app, residents);
  AddCollectionCommand(*residentsCmd, collection);
  AddMedicalAccountsCommand(*residentsCmd, medicalAccounts);
  CLI::App* basicInfoCmd = AddBasicInfoCommand(app, basicInfo);
  CLI::App* streetChangeCmd = AddStreetChangeCommand(app, streetChange);
  CLI::App* groupCmd = AddGroupCommand(app, group);
  CLI::App* specialCmd = AddSpecialCommand(app, special);
  CLI::App* receiptsCmd = AddReceiptsCommand(app, receipts);
  CLI::App* certificateCmd = AddCertificateCommand(app, certificate);
  CLI::App* payableCmd = AddPayableCommand(app, payable);
  CLI::App* onlineCmd = AddOnlineCommand(app, online);
  CLI::App* regionalCmd = AddRegionalCommand(app, regional);
  std::vector<std::string> helpTopic;
  CLI::App* helpCmd = AddHelpCommand(app, helpTopic);
  app.footer(
      "Examples:\n  velmor demo\n  velmor --data /tmp/velmor-data init --server http://127.0.0.1:18080"
      " --djxh 10114403000012345678\n  velmor --data /tmp/velmor-data roster sync --full\n"
      "  velmor help roster sync\n\n"
      "Exit status: 0 success, 1 failure, 2 usage error, 130 interrupted.");
  GiveEveryCommandItsExamples(app);

  // Text that is not UTF-8 is refused here, where it enters, rather than stored as bytes that
  // read back as other text.
  for (int i = 1; i < argc; ++i) {
    if (!velmor::IsWellFormedUtf8(argv[i])) {
      std::fprintf(stderr, "velmor: argument %d is not valid UTF-8 text\n", i);
      return 2;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    // A word that names no command is left over; say so rather than "a subcommand is required",
    // with the nearest command of the level the parse reached.
    const CLI::App* level = DeepestParsed(app);
    std::string see = level->get_name();
    for (const CLI::App* p = level->get_parent(); p; p = p->get_parent()) see = p->get_name() + " " + see;
    for (const std::string& word : app.remaining()) {
      if (!word.empty() && word[0] != '-') {
        const bool expectsCommand = level->get_require_subcommand_min() > 0;
        const char* what = expectsCommand ? "unknown command" : "unexpected argument";
        std::fprintf(stderr, "velmor: %s \"%s\"%s (see %s --help)\n", what, word.c_str(),
                     expectsCommand ? Suggestion(*level, word).c_str() : "", see.c_str());
        return 2;
      }
    }
    std::fprintf(stderr, "velmor: %s (see %s --help)\n", e.what(), see.c_str());
    return 2;
  }
  LongOperation::SetQuiet(global.quiet);
  try {
    if (helpCmd->parsed()) return RunHelpCommand(app, helpTopic);
    if (services->parsed()) return RunServicesCommand(global);
    if (initCmd->parsed()) return RunInitCommand(global, init);
    if (paramCmd->parsed()) return RunParamCommand(global, param);
    if (codenameCmd->parsed()) return RunCodeNameCommand(global, codename);
    if (dictCmd->parsed()) return RunDictCommand(global, dict);
    if (declareCmd->parsed()) return RunDeclareCommand(global, declare);
    if (schemeCmd->parsed()) return RunSchemeCommand(global, roster);
    if (rosterCmd->parsed()) return RunRosterCommand(global, roster);
    if (logCmd->parsed()) return RunLogCommand(global, log);
    if (demoCmd->parsed()) return RunDemoCommand(global, demo);
    if (feesCmd->parsed()) return RunFeesCommand(global, fees);
    if (confirmCmd->parsed()) return RunConfirmCommand(global, fees);
    if (agreementCmd->parsed()) return RunAgreementCommand(global, fees);
    if (collection.cmd->parsed()) return RunCollectionCommand(global, collection);
    if (medicalAccounts.cmd->parsed()) return RunMedicalAccountsCommand(global, medicalAccounts);
    if (residentsCmd->parsed()) return RunResidentsCommand(global, residents);
    if (basicInfoCmd->parsed()) return RunBasicInfoCommand(global, basicInfo);
    if (streetChangeCmd->parsed()) return RunStreetChangeCommand(global, streetChange);
    if (groupCmd->parsed()) return RunGroupCommand(global, group);
    if (payCmd->parsed()) return RunPayCommand(global, pay);
    if (specialCmd->parsed()) return RunSpecialCommand(global, special);
    if (receiptsCmd->parsed()) return RunReceiptsCommand(global, receipts);
    if (certificateCmd->parsed()) return RunCertificateCommand(global, certificate);
    if (payableCmd->parsed()) return RunPayableCommand(global, payable);
    if (onlineCmd->parsed()) return RunOnlineCommand(global, online);
    if (regionalCmd->parsed()) return RunRegionalCommand(global, regional);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "velmor: %s\n", e.what());
    return 2;
  } catch (const Interrupted& e) {
    std::fprintf(stderr, "velmor: %s\n", e.what());
    return LongOperation::kExitInterrupted;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor: %s\n", DescribeFailure(e.what()).c_str());
    return 1;
  }
  return 2;
}
