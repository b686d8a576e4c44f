// `velmor`: the command-line host. Parses the command line and hands over to one subcommand;
// every failure ends with one line on stderr and a non-zero exit (1 failure, 2 usage).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "cli/declare_command.h"
#include "cli/failure.h"
#include "cli/fees_command.h"
#include "cli/residents_command.h"
#include "velmor/utf8.h"
#include "velmor/version.h"

int main(int argc, char** argv) {
  using namespace velmor::cli;
  CLI::App app{"velmor: command-line host of the Velmor service plug-in", "velmor"};
  app.footer("Example:\n  velmor --data /tmp/velmor-data services");
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
  ResidentsOptions residents;
  BasicInfoOptions basicInfo;
  StreetChangeOptions streetChange;
  app.add_option("--data", global.dataDir, "data directory (default: $VELMOR_DATA, else ~/.local/share/velmor)")
      ->type_name("DIR");
  app.add_option("--plugin", global.pluginPath, "plug-in library (default: libVelmorService.so in ../lib/ or ../lib/velmor/ of the program)")
      ->type_name("PATH");
  app.set_version_flag("--version", "velmor " VELMOR_VERSION, "print the version and exit");
  app.add_flag("-v,--verbose", global.verbose, "echo the debug log to stderr");
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
  CLI::App* residentsCmd = AddResidentsCommand(app, residents);
  CLI::App* basicInfoCmd = AddBasicInfoCommand(app, basicInfo);
  CLI::App* streetChangeCmd = AddStreetChangeCommand(app, streetChange);

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
    // A word that names no command is left over; say so rather than "a subcommand is required".
    for (const std::string& word : app.remaining()) {
      if (!word.empty() && word[0] != '-') {
        const char* what = app.get_subcommands().empty() ? "unknown command" : "unexpected argument";
        std::fprintf(stderr, "velmor: %s \"%s\" (see velmor --help)\n", what, word.c_str());
        return 2;
      }
    }
    std::fprintf(stderr, "velmor: %s (see velmor --help)\n", e.what());
    return 2;
  }
  try {
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
    if (residentsCmd->parsed()) return RunResidentsCommand(global, residents);
    if (basicInfoCmd->parsed()) return RunBasicInfoCommand(global, basicInfo);
    if (streetChangeCmd->parsed()) return RunStreetChangeCommand(global, streetChange);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor: %s\n", DescribeFailure(e.what()).c_str());
    return 1;
  }
  return 2;
}
