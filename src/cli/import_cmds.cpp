// kestrel import / import-def: running an import definition over input
// files, importing a table whose first row names field keywords (--auto),
// and creating, showing and editing definition files.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/doc_file.hpp"
#include "core/file_system.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/strfmt.hpp"
#include "exchange/auto_definition.hpp"
#include "exchange/bom/bom_plan.hpp"
#include "exchange/import_json.hpp"
#include "exchange/import_run.hpp"
#include "store/library/library_location.hpp"

namespace kestrel::cli {
namespace {

struct ImportArgs {
  std::vector<std::string> files;  // DEF.imp INPUT... (or INPUT with --auto)
  std::string output;
  bool autoKeywords = false;
  bool bom = false;  // INPUT is a bill of materials
  std::string library;  // LibraryRecall: the library parts are recalled from
  std::string xref;     // and the cross-reference file searched first
  bool xrefMoveBoth = false;
  bool json = false;  // the outcome of every file as JSON; the review lines go to stderr
  bool strict = false;  // a warning of any record leaves its output unwritten
};

bool endsWithDocExtension(const std::string& path) {
  for (const char* ext : {".CIR", ".HYB", ".LIB", ".XRF"}) {
    if (path.size() > 4 && hasExtension(path, ext)) return true;
  }
  return false;
}

// Runs `job` after the confirmation; the outcome of every file.
bool confirmAndRun(const ImportJob& job, const GlobalOptions& global, const std::vector<std::string>& review,
                   ImportOutcome& outcome, bool json = false) {
  Session& session = global.session();
  session.settings.setText("Import", "ImpFileSpec", job.definitionPath);
  session.settings.setText("Import", "DataFileSpec", job.inputs.front());
  session.settings.setText("Import", "OutDir", job.outputDir);
  session.beginLog("IMPORT");
  TerminalUi ui(global.assumeYes, global.quiet, &session.log);
  for (const std::string& line : review) {
    session.log.line(line);
    (json ? std::cerr : std::cout) << line << '\n';
  }
  std::string question;
  for (const std::string& line : importConfirmation(job)) {
    session.log.line(line);
    question += line + "\n";
  }
  if (!ui.confirm(question)) {
    session.log.end();
    return false;
  }
  outcome = runImport(job, posixFileSystem(), ui);
  ui.finishProgress();
  return true;
}

void printImportJson(const ImportOutcome& outcome) {
  JsonWriter out(std::cout);
  writeImportJson(out, outcome);
}

int runBomCommand(const ImportArgs& args, const GlobalOptions& global) {
  if (args.files.size() != 1 || args.output.size() <= 4 || !hasExtension(args.output, ".CIR")) {
    std::cerr << "kestrel: import --bom takes one INPUT and -o OUT.cir\n";
    return kExitUserError;
  }
  const auto format = formatForPath(args.files[0]);
  if (!format) {
    std::cerr << "kestrel: '" << args.files[0] << "': can not tell the table format from its extension\n";
    return kExitUserError;
  }
  BomPlan plan;
  {
    TerminalUi quiet(true, true, nullptr);
    if (Status s = planBom(args.files[0], *format, args.library, quiet, plan); !s) {
      std::cerr << "kestrel: " << s.message() << '\n';
      return kExitBadInput;
    }
  }
  ImportJob job = bomImportJob(plan, args.output, args.library);
  job.strict = args.strict;
  ImportOutcome outcome;
  if (!confirmAndRun(job, global, bomPlanLines(plan), outcome, args.json)) return kExitUserError;
  Session& session = global.session();
  for (const std::string& line : bomSummary(plan, outcome)) {
    session.log.line(line);
    (args.json ? std::cerr : std::cout) << line << '\n';
  }
  session.log.end();
  if (args.json) printImportJson(outcome);
  return outcome.allOk() ? kExitOk : kExitUserError;
}

int runImportCommand(const ImportArgs& args, const GlobalOptions& global) {
  ImportJob job;
  FileSystem& fs = posixFileSystem();
  if (args.bom) return runBomCommand(args, global);
  if (args.autoKeywords) {
    if (args.files.size() != 1 || args.output.empty()) {
      std::cerr << "kestrel: import --auto takes one INPUT and -o OUT.cir (or OUT.hyb)\n";
      return kExitUserError;
    }
    const std::string up = upperCased(args.output);
    const bool hybrid = up.size() > 4 && up.compare(up.size() - 4, 4, ".HYB") == 0;
    const auto format = formatForPath(args.files[0]);
    if (!format) {
      std::cerr << "kestrel: '" << args.files[0] << "': can not tell the table format from its extension\n";
      return kExitUserError;
    }
    std::vector<std::string> ignored;
    if (Status s = autoDefinition(args.files[0], *format, hybrid ? OutputType::Hybrid : OutputType::Circuit,
                                  job.definition, ignored);
        !s) {
      std::cerr << "kestrel: " << s.message() << '\n';
      return kExitBadInput;
    }
    for (const std::string& i : ignored) std::cerr << "kestrel: warning: " << i << " is not a field keyword: ignored\n";
    job.definitionPath = "(keywords of the first row)";
    job.inputs = args.files;
  } else {
    if (args.files.size() < 2) {
      std::cerr << "kestrel: import takes DEF.imp and at least one INPUT\n";
      return kExitUserError;
    }
    std::vector<std::string> warnings;
    if (Status s = loadDefinition(fs, args.files[0], job.definition, warnings); !s) {
      std::cerr << "kestrel: " << s.message() << '\n';
      return kExitBadInput;
    }
    for (const std::string& w : warnings) std::cerr << "kestrel: " << w << '\n';
    job.definitionPath = args.files[0];
    job.inputs.assign(args.files.begin() + 1, args.files.end());
  }
  if (endsWithDocExtension(args.output) || isDatabaseAddress(args.output)) {
    if (job.inputs.size() != 1) {
      std::cerr << "kestrel: -o names one output file: give one INPUT, or -o a folder\n";
      return kExitUserError;
    }
    job.outputPath = args.output;
  } else {
    job.outputDir = args.output;
  }

  job.libraryPath = args.library;
  job.xrefPath = args.xref;
  job.xrefMoveBoth = args.xrefMoveBoth;
  job.strict = args.strict;

  ImportOutcome outcome;
  if (!confirmAndRun(job, global, {}, outcome)) return kExitUserError;
  if (args.json) {
    printImportJson(outcome);
  } else {
    for (const FileOutcome& f : outcome.files) {
      const ImportCounters& n = f.counters;
      std::cout << strprintf("'%s' -> '%s': %s, %ld records read, %ld built, %ld updated, %ld not found, %ld failed, %ld skipped\n",
                             f.input.c_str(), f.output.c_str(), f.ok ? "done" : "NOT DONE", n.read, n.built, n.updated,
                             n.notFound, n.failed, n.skipped);
    }
  }
  global.session().log.end();
  return outcome.allOk() ? kExitOk : kExitUserError;
}

template <std::size_t N>
bool pickName(const std::string& text, const std::string_view (&names)[N], std::uint8_t& out, const char* what) {
  if (text.empty()) return true;
  for (std::size_t i = 1; i < N; ++i) {
    if (upperCased(names[i]) == upperCased(text)) {
      out = static_cast<std::uint8_t>(i);
      return true;
    }
  }
  std::cerr << "kestrel: --" << what << ": '" << text << "' is not one of";
  for (std::size_t i = 1; i < N; ++i) std::cerr << ' ' << names[i];
  std::cerr << '\n';
  return false;
}

struct DefArgs {
  std::string file;
  std::string type, mode, recordMode, format, skip, description, table, separator, translate;
  float headerRecord = -1;
  std::vector<std::string> mappings;  // KEYWORD=FIELD[:START:LENGTH][@OPTION]
  bool all = false;
};

bool applyHeader(const DefArgs& a, CImportHeader& h) {
  if (!pickName(a.type, kOutputTypeNames, h.fileType, "type") || !pickName(a.mode, kOutputModeNames, h.fileMode, "mode") ||
      !pickName(a.recordMode, kRecordModeNames, h.recordMode, "record-mode") ||
      !pickName(a.format, kInputFormatNames, h.inputFormat, "format")) {
    return false;
  }
  if (!a.skip.empty()) {
    float first = 0, last = 0;
    if (std::sscanf(a.skip.c_str(), "%f-%f", &first, &last) < 1) {
      std::cerr << "kestrel: --skip takes FIRST-LAST (0 = none)\n";
      return false;
    }
    h.skipFirst = first;
    h.skipLast = last < first ? first : last;
  }
  if (a.headerRecord >= 0) h.headerRecord = a.headerRecord;
  if (!a.description.empty()) h.description = a.description;
  if (!a.table.empty()) h.tableName = a.table;
  if (!a.separator.empty()) h.separator = a.separator;
  if (!a.translate.empty()) h.translateCode = a.translate == "OFF" ? std::string() : a.translate;
  return true;
}

bool applyMapping(const std::string& text, CImportDoc& doc) {
  const auto eq = text.find('=');
  CKwd* k = eq == std::string::npos ? nullptr : doc.find(trimmed(text.substr(0, eq)));
  if (k == nullptr) {
    std::cerr << "kestrel: '" << text << "' is not KEYWORD=FIELD[:START:LENGTH][@OPTION] with a field keyword\n";
    return false;
  }
  std::string value = text.substr(eq + 1);
  std::uint8_t option = 0;
  if (const auto at = value.find('@'); at != std::string::npos) {
    const auto names = optionNames(k->name);
    const std::string wanted = upperCased(value.substr(at + 1));
    for (std::size_t i = 1; i < names.size(); ++i) {
      if (names[i] == wanted) option = static_cast<std::uint8_t>(i);
    }
    if (option == 0) {
      std::cerr << "kestrel: '" << k->name << "' has no value option '" << wanted << "'\n";
      return false;
    }
    value.resize(at);
  }
  float field = 0, start = 0, length = 0;
  const int n = std::sscanf(value.c_str(), "%f:%f:%f", &field, &start, &length);
  if (n < 1 || field < 0 || field > static_cast<float>(kMaxTableFields) || (n >= 2 && (start < 1 || n < 3 || length < 1))) {
    std::cerr << "kestrel: '" << text << "': the field is 0 (unmapped) or 1..256, a subfield START:LENGTH from 1\n";
    return false;
  }
  k->fieldNumber = field;
  k->subStart = n >= 2 ? start : 0;
  k->subLength = n >= 3 ? length : 0;
  k->valueOption = option;
  return true;
}

void printDefinition(const CImportDoc& doc, bool all) {
  std::cout << "Description: " << doc.header.description << '\n';
  for (const std::string& line : headerLines(doc)) std::cout << line << '\n';
  for (const CKwd& k : doc.keywords) {
    if (all || k.fieldNumber != 0.0f) std::cout << keywordLine(k) << '\n';
  }
}

int runDefinition(const std::string& action, const DefArgs& a) {
  FileSystem& fs = posixFileSystem();
  CImportDoc doc;
  DocumentLock lock;
  if (action != "show" && !lockForChange(a.file, lock)) return kExitUserError;
  if (action != "new") {
    std::vector<std::string> warnings;
    if (Status s = loadDefinition(fs, a.file, doc, warnings); !s) {
      std::cerr << "kestrel: " << s.message() << '\n';
      return kExitBadInput;
    }
    for (const std::string& w : warnings) std::cerr << "kestrel: " << w << '\n';
  } else if (fs.exists(a.file)) {
    std::cerr << "kestrel: '" << a.file << "' exists already (use import-def set to change it)\n";
    return kExitUserError;
  }
  if (action == "show") {
    printDefinition(doc, a.all);
    return kExitOk;
  }
  if (!applyHeader(a, doc.header)) return kExitUserError;
  for (const std::string& m : a.mappings) {
    if (!applyMapping(m, doc)) return kExitUserError;
  }
  if (Status s = saveDefinition(fs, doc, a.file); !s) {
    std::cerr << "kestrel: '" << a.file << "': " << s.message() << '\n';
    return kExitUserError;
  }
  printDefinition(doc, false);
  return kExitOk;
}

}  // namespace

void addImportCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto args = std::make_shared<ImportArgs>();
  CLI::App* imp = app.add_subcommand("import", "Build or update circuits, hybrids, libraries and cross-reference files from CSV, dBASE, worksheet, workbook and database tables");
  imp->add_option("files", args->files, "DEF.imp INPUT... (INPUT may hold wildcards), or INPUT with --auto")->required();
  imp->add_option("-o,--output", args->output, "Output file (one INPUT) or folder (default: each input's folder)");
  imp->add_flag("--auto", args->autoKeywords, "The first row of INPUT names a field keyword in each column");
  imp->add_flag("--bom", args->bom,
                "INPUT is a bill of materials (Reference, Value, Qty, MPN... columns): review the mapping, then build -o OUT.cir");
  imp->add_option("--library", args->library, "Library to recall parts from by PN (record mode LibraryRecall)");
  imp->add_option("--xref", args->xref, "Cross-reference file searched first when recalling");
  imp->add_flag("--xref-move-both", args->xrefMoveBoth,
                "Recalled through --xref: XRefPN-->PN,PN-->PN2 (default XRefPN-->PN2)");
  imp->add_flag("--json", args->json, "Write the outcome of every file as JSON");
  imp->add_flag("--strict", args->strict, "A value clamped, cut or defaulted fails its file (nothing is written)");
  imp->callback([args, &global, &exitCode] { exitCode = runImportCommand(*args, global); });

  auto def = std::make_shared<DefArgs>();
  auto action = std::make_shared<std::string>();
  CLI::App* d = app.add_subcommand("import-def", "Create, show or edit an import definition (.imp)");
  d->add_option("action", *action, "new, show or set")->required()->check(CLI::IsMember({"new", "show", "set"}));
  d->add_option("file", def->file, "Definition file (.imp)")->required();
  d->add_option("mappings", def->mappings, "KEYWORD=FIELD[:START:LENGTH][@OPTION] (FIELD 0 unmaps)");
  d->add_option("--type", def->type, "Output file type: HeaderRecDefine, Circuit, Hybrid, Library, Cross-Reference");
  d->add_option("--mode", def->mode, "Output file mode: Build or Update");
  d->add_option("--record-mode", def->recordMode, "LibraryRecall or BuildFromScratch");
  d->add_option("--format", def->format, "Input format: CSV, WKS, DBF, XLS (.xls, .xlsx) or MDB (.mdb, SQLite)");
  d->add_option("--skip", def->skip, "Records to skip: FIRST-LAST (0 = none)");
  d->add_option("--header-rec", def->headerRecord, "Header record number (0 = none)");
  d->add_option("--description", def->description, "Description")->transform(storedText());
  d->add_option("--table", def->table, "Worksheet or table to read (default: the first)");
  d->add_option("--separator", def->separator, "CSV separator: , ; or TAB");
  d->add_option("--translate", def->translate, "Translate code (X31217F1), OFF for none");
  d->add_flag("--all", def->all, "show: list every keyword, not only the mapped ones");
  d->callback([def, action, &exitCode] { exitCode = runDefinition(*action, *def); });
}

}  // namespace kestrel::cli
