// kestrel new / set / add: make a document, change its header, add records.
// Values are KEYWORD=VALUE texts read through the keyword readers.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

#include "cli/assignment_report.hpp"
#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/terminal_ui.hpp"
#include "core/circ_file.hpp"
#include "core/keywords/keyword_assignments.hpp"
#include "core/registry.hpp"
#include "core/text_lines.hpp"

namespace kestrel::cli {
namespace {

struct DocumentJob {
  std::string kind;  // new: "circuit" or "hybrid"
  std::string file;
  std::string partType;  // add: class name, type id or menu name
  std::vector<std::string> values;
  bool force = false;
  bool strict = false;  // every warning refuses the change
};

int runNew(const DocumentJob& job) {
  const DocKind kind = job.kind == "hybrid" ? DocKind::Hybrid : DocKind::Circuit;
  DocumentLock lock;  // two makers of one new file: the second one finds it made
  if (!lockForChange(job.file, lock)) return kExitUserError;
  if (std::filesystem::exists(job.file) && !job.force) {
    fileMessage(job.file, "the file exists already (use --force to replace it; it is kept as .BAK)");
    return kExitUserError;
  }
  std::vector<KeywordAssignment> values;
  AssignmentResult result;
  if (!parseValues(job.values, job.file, values, result)) return kExitUserError;
  CCircDoc doc(kind);
  if (!reportAssignments(assignHeaderFields(doc.header(), doc.isHybrid(), values, result), result, job.file,
                         false)) {
    return kExitUserError;
  }
  return saveDocumentTo(doc, job.file) ? kExitOk : kExitUserError;
}

int runSet(const DocumentJob& job) {
  std::vector<KeywordAssignment> values;
  AssignmentResult result;
  if (!parseValues(job.values, job.file, values, result)) return kExitUserError;
  DocumentLock lock;
  if (!lockForChange(job.file, lock)) return kExitUserError;
  auto doc = openDocument(job.file);
  if (!doc) return kExitBadInput;
  if (!reportAssignments(assignHeaderFields(doc->header(), doc->isHybrid(), values, result), result, job.file,
                         job.strict)) {
    return kExitUserError;
  }
  // Records are recalculated against the new header at once; totals wait
  // for the next calculation.
  doc->header().CalcFlags = 0;
  doc->recalculateRecords();
  return saveDocumentTo(*doc, job.file) ? kExitOk : kExitUserError;
}

int runAdd(const DocumentJob& job, const GlobalOptions& global) {
  std::vector<KeywordAssignment> values;
  AssignmentResult result;
  if (!parseValues(job.values, job.file, values, result)) return kExitUserError;
  DocumentLock lock;
  if (!lockForChange(job.file, lock)) return kExitUserError;
  auto doc = openDocument(job.file);
  if (!doc) return kExitBadInput;
  const PartType* type = partTypeFor(*doc, job.partType, job.file);
  if (type == nullptr) return kExitUserError;
  auto part = PartRegistry::instance().create(type->id, doc->isHybrid());
  const bool smtAllowed = !doc->isHybrid() && doc->header().HASSMT != 0;
  if (!reportAssignments(assignPartFields(*part, values, smtAllowed, doc->header().TEMP, result), result,
                         job.file, job.strict)) {
    return kExitUserError;
  }
  TerminalUi ui(global.assumeYes, global.quiet);
  const auto pos = doc->addRecord(std::move(part), ui);
  if (!pos) return kExitUserError;
  if (!saveDocumentTo(*doc, job.file)) return kExitUserError;
  std::cout << identityLine(doc->record(*pos), "") << '\n';
  return kExitOk;
}

}  // namespace

void addDocumentCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<DocumentJob>();

  CLI::App* create = app.add_subcommand("new", "Create a circuit or hybrid file");
  create->add_option("kind", job->kind, "circuit or hybrid")
      ->required()
      ->check(CLI::IsMember({"circuit", "hybrid"}));
  create->add_option("file", job->file, "The new file (.cir or .hyb)")->required();
  create->add_option("values", job->values, "Header fields as HEADER_KEYWORD=VALUE");
  create->add_flag("--force", job->force, "Replace an existing file (the old one is kept as .BAK)");
  create->callback([job, &exitCode] { exitCode = runNew(*job); });

  CLI::App* set = app.add_subcommand("set", "Change header fields of a circuit or hybrid file");
  set->add_option("file", job->file, "The file")->required();
  set->add_option("values", job->values, "Header fields as HEADER_KEYWORD=VALUE")->required();
  set->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  set->callback([job, &exitCode] { exitCode = runSet(*job); });

  CLI::App* add = app.add_subcommand("add", "Add a part record to a circuit or hybrid file");
  add->add_option("file", job->file, "The file")->required();
  add->add_option("type", job->partType, "Part class, type id or menu name (CResistor, 401, Resistor)")
      ->required();
  add->add_option("values", job->values, "Fields as KEYWORD=VALUE (see kestrel keywords)");
  add->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  add->callback([job, &global, &exitCode] { exitCode = runAdd(*job, global); });
}

}  // namespace kestrel::cli
