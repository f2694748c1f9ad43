// kestrel: the command line. Every batch job of the system runs from here.
// Built twice: kestrel-io (KESTREL_ALL_COMMANDS) holds every command, kestrel
// the commands that need no import, export, report or chart library; it
// hands every other command line, and the list of commands, to kestrel-io.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/io_program.hpp"
#include "cli/terminal_ui.hpp"
#include "core/document_lock.hpp"
#include "core/file_system.hpp"
#include "models/register_all.hpp"
#include "shell/utf8_output.hpp"

namespace {

// Each subcommand, when the parser reaches it, names itself to the terminal's
// questions: "lib merge needs confirmation".
void nameCommandsForQuestions(CLI::App& app, const kestrel::cli::GlobalOptions& global, const std::string& prefix = "") {
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    const std::string name = prefix.empty() ? sub->get_name() : prefix + " " + sub->get_name();
    sub->preparse_callback([name, &global](std::size_t) { kestrel::cli::TerminalUi::setCommand(name, &global.verbose); });
    nameCommandsForQuestions(*sub, global, name);
  }
}

#ifdef KESTREL_ALL_COMMANDS
constexpr bool kWholeCommandLine = true;
#else
constexpr bool kWholeCommandLine = false;
#endif

constexpr const char* kQuickStart =
    "\n\nQuick start:\n"
    "  kestrel new circuit board.cir                        an empty circuit\n"
    "  kestrel add board.cir Resistor REFDES=R1 RES_PD=0.1  a part, its fields as KEYWORD=VALUE\n"
    "  kestrel calc board.cir                               failure rate, MTBF and part count\n"
    "  kestrel show board.cir; kestrel report board.cir     the parts; a printed report\n"
    "  kestrel help Resistor                                a class's keywords and an example\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel::cli;
  // Whatever is printed reaches the terminal as UTF-8.
  const kestrel::Utf8Output utf8Out(std::cout), utf8Err(std::cerr);
  kestrel::registerAllParts();

  CLI::App app{
      "Kestrel: reliability prediction of electronic equipment by the part-stress models of "
      "MIL-HDBK-217F, Notice 2." +
          std::string(kQuickStart),
      "kestrel"};
  app.set_version_flag("--version", std::string("kestrel ") + KESTREL_VERSION);
  app.require_subcommand(1);

  GlobalOptions global;
  app.add_flag("-y,--yes", global.assumeYes, "Answer Yes to every question");
  app.add_flag("-q,--quiet", global.quiet, "No progress lines on stderr (messages and warnings still show)");
  app.add_flag("-v,--verbose", global.verbose, "Print a question's whole text when it can not be asked");
  app.add_option("--settings", global.settingsPath, "Settings file (default: the user's 217F2.INI)");
  app.add_option("--log", global.logPath, "Operation log file of batch jobs (default: kestrel.log beside the settings)");
  app.add_flag("--no-log", global.noLog, "Write no operation log file");
  app.add_option_function<double>(
         "--lock-wait",
         [](double seconds) { kestrel::setDocumentLockWait(std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0))); },
         "Seconds to wait for a file another program is changing (default 5)")
      ->check(CLI::Range(0.0, 3600.0))
      ->trigger_on_parse();

  int exitCode = kExitOk;
  addKeywordsCommand(app, global, exitCode);
  addTypesCommand(app, global, exitCode);
  addHelpCommand(app, global, exitCode);
  addDocumentCommands(app, global, exitCode);
  addRecordCommands(app, global, exitCode);
  addShowCalcCommands(app, global, exitCode);
#ifdef KESTREL_ALL_COMMANDS
  addReportCommand(app, global, exitCode);
#endif
  addWhatIfMergeCommands(app, global, exitCode);
#ifdef KESTREL_ALL_COMMANDS
  addGraphCommand(app, global, exitCode);
  addProfileCommand(app, global, exitCode);
#endif
  addStoreCommand(app, global, exitCode);
  addLibraryCommands(app, global, exitCode);
#ifdef KESTREL_ALL_COMMANDS
  addProjectCommand(app, global, exitCode);
  addExportCommand(app, global, exitCode);
  addImportCommands(app, global, exitCode);
#endif
  addDemoCommand(app, global, exitCode);
#ifdef KESTREL_ALL_COMMANDS
  // Needs the whole list of commands.
  addCompletionCommand(app, global, exitCode);
#endif

  nameCommandsForQuestions(app, global);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    // The list of every command is kestrel-io's to print.
    if (!kWholeCommandLine && app.get_subcommands().empty()) return runIoProgram(argv);
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    if (!kWholeCommandLine) return runIoProgram(argv);
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // A command this program does not hold (or a mistake, which kestrel-io
    // reports with the whole list in view).
    if (!kWholeCommandLine) return runIoProgram(argv);
    app.exit(e);
    return kExitUserError;
  }
  if (global.openSession) {
    // A log file that was wanted and lost lines makes the job a failure.
    if (global.openSession->log.troubled() && exitCode == kExitOk) exitCode = kExitUserError;
    if (kestrel::Status s = global.openSession->settings.save(kestrel::posixFileSystem()); !s) {
      std::cerr << "kestrel: settings not saved: " << s.message() << '\n';
    }
  }
  return exitCode;
}
