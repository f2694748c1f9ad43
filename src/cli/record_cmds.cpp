// kestrel edit / delete / convert / find: the record commands of a circuit or
// hybrid window on a file. Records are chosen by number, PN= or REFDES=;
// a choice that names several records is refused unless --all is given.
// Each change runs the document's own Edit, Convert Type or Delete, under
// the document's lock, and is saved only when every record took it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>

#include "cli/assignment_report.hpp"
#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/json_result.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/document_json.hpp"
#include "core/keywords/parameters_given.hpp"
#include "core/record_selector.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "core/windows1252.hpp"

namespace kestrel::cli {
namespace {

// "    3  RLR07                      R1": number, part number, designator.
std::string recordRow(const CCircDoc& doc, std::size_t index) {
  const CPart& part = doc.record(index);
  return strprintf("%5d  %-25s  %s", static_cast<int>(index + 1), part.PN.c_str(), part.REFDES.c_str());
}

struct RecordJob {
  std::string file;
  std::vector<std::string> selectors;
  std::string selector;
  std::string partType;
  std::vector<std::string> values;
  std::string text;
  std::string findType;
  std::vector<std::string> fields;
  bool all = false;
  bool strict = false;
  bool defaults = false;
  bool json = false;
};

// The records a change left, by the number the list shows now: "3  RLR07  R1"
// lines, or the JSON document of the command.
void printChanged(const CCircDoc& doc, const std::vector<std::size_t>& positions, std::string_view command, bool json) {
  if (!json) {
    for (std::size_t i : positions) std::cout << recordRow(doc, i) << '\n';
    return;
  }
  JsonWriter out(std::cout);
  out.beginCommandDocument(command);
  out.key("file");
  out.string(mixedToUtf8(doc.path()));
  out.key("count");
  out.integer(static_cast<long long>(doc.count()));
  out.key("records");
  out.beginArray();
  for (std::size_t i : positions) {
    out.beginObject();
    out.key("record");
    out.integer(static_cast<long long>(i + 1));
    out.key("PN");
    out.string(windows1252ToUtf8(doc.record(i).PN));
    out.key("REFDES");
    out.string(windows1252ToUtf8(doc.record(i).REFDES));
    out.endObject();
  }
  out.endArray();
  out.endObject();
  out.finish();
}


// The records the selectors name, each record once; empty after printing
// why when a selector names none, or several without --all.
std::vector<const CPart*> chosenRecords(const CCircDoc& doc, const std::vector<std::string>& selectors,
                                        const std::string& file, bool all) {
  std::vector<const CPart*> chosen;
  for (const std::string& text : selectors) {
    RecordSelector selector;
    if (Status s = parseRecordSelector(text, selector); !s) {
      fileMessage(file, s.message());
      return {};
    }
    const std::vector<std::size_t> hits = selectedRecords(doc, selector);
    if (hits.empty()) {
      fileMessage(file, strprintf("no record matches '%s' (%zu records)", text.c_str(), doc.count()));
      return {};
    }
    if (hits.size() > 1 && !all) {
      fileMessage(file, strprintf("'%s' matches %zu records; name one (by number) or add --all:", text.c_str(),
                                  hits.size()));
      for (std::size_t i : hits) std::cerr << recordRow(doc, i) << '\n';
      return {};
    }
    for (std::size_t i : hits) {
      if (std::find(chosen.begin(), chosen.end(), &doc.record(i)) == chosen.end()) chosen.push_back(&doc.record(i));
    }
  }
  return chosen;
}

std::optional<std::size_t> positionOf(const CCircDoc& doc, const CPart* part) {
  for (std::size_t i = 0; i < doc.count(); ++i) {
    if (&doc.record(i) == part) return i;
  }
  return std::nullopt;
}

// Opens a document for a change under its lock; null after printing why.
std::unique_ptr<CCircDoc> openForChange(const std::string& file, DocumentLock& lock, int& exitCode) {
  exitCode = kExitUserError;
  if (!lockForChange(file, lock)) return nullptr;
  auto doc = openDocument(file);
  if (!doc) exitCode = kExitBadInput;
  return doc;
}

// Edit and Convert: each chosen record is replaced by its changed copy
// (calculated against the header and put in its sorted place).
int runChange(const RecordJob& job, const GlobalOptions& global, bool convert) {
  std::vector<KeywordAssignment> values;
  AssignmentResult parsed;
  if (!parseValues(job.values, job.file, values, parsed)) return kExitUserError;
  DocumentLock lock;
  int rc = kExitOk;
  auto doc = openForChange(job.file, lock, rc);
  if (!doc) return rc;
  const std::vector<const CPart*> chosen = chosenRecords(*doc, {job.selector}, job.file, job.all);
  if (chosen.empty()) return kExitUserError;
  TerminalUi ui(global.assumeYes, global.quiet);
  const bool smtAllowed = !doc->isHybrid() && doc->header().HASSMT != 0;
  const PartType* newType = convert ? partTypeFor(*doc, job.partType, job.file) : nullptr;
  if (convert && newType == nullptr) return kExitUserError;
  std::vector<const CPart*> changed;
  for (const CPart* old : chosen) {
    const std::optional<std::size_t> at = positionOf(*doc, old);
    if (!at) return kExitUserError;
    // A converted record keeps the base fields; its class brings its own parameters.
    std::unique_ptr<CPart> copy = convert ? doc->convertedRecord(*at, newType->id) : old->clone();
    if (!copy) return kExitUserError;
    AssignmentResult result = parsed;
    if (!reportAssignments(assignPartFields(*copy, values, smtAllowed, doc->header().TEMP, result), result,
                           job.file, job.strict)) {
      return kExitUserError;
    }
    if (convert && !job.defaults) {
      const std::vector<std::string> missing = parametersNotGiven(*copy, values);
      if (!missing.empty()) {
        fileMessage(job.file, "the new part type's parameters are not all given (or add --defaults): " +
                                  joinLines(missing, ", "));
        return kExitUserError;
      }
    }
    const CPart* placed = copy.get();
    if (!doc->replaceRecord(at, std::move(copy), ui)) return kExitUserError;
    changed.push_back(placed);
  }
  if (!saveDocumentTo(*doc, job.file)) return kExitUserError;
  std::vector<std::size_t> positions;
  for (const CPart* part : changed) positions.push_back(*positionOf(*doc, part));
  printChanged(*doc, positions, convert ? "convert" : "edit", job.json);
  return kExitOk;
}

int runDelete(const RecordJob& job, const GlobalOptions& global) {
  DocumentLock lock;
  int rc = kExitOk;
  auto doc = openForChange(job.file, lock, rc);
  if (!doc) return rc;
  const std::vector<const CPart*> chosen = chosenRecords(*doc, job.selectors, job.file, job.all);
  if (chosen.empty()) return kExitUserError;
  std::vector<std::size_t> positions;
  for (const CPart* part : chosen) positions.push_back(*positionOf(*doc, part));
  // From the last record up, so every question names the number the list shows.
  std::sort(positions.rbegin(), positions.rend());
  TerminalUi ui(global.assumeYes, global.quiet);
  for (std::size_t at : positions) {
    const std::size_t before = doc->count();
    doc->deleteRecord(at, ui);
    if (doc->count() == before) return kExitUserError;  // answered No: nothing is saved
  }
  if (!saveDocumentTo(*doc, job.file)) return kExitUserError;
  if (job.json) {
    printJsonResult("delete", {{"file", jsonString(mixedToUtf8(job.file))},
                               {"deleted", jsonInteger(static_cast<long long>(positions.size()))},
                               {"count", jsonInteger(static_cast<long long>(doc->count()))}});
  } else {
    std::cout << strprintf("Deleted:%zu  Records:%zu", positions.size(), doc->count()) << '\n';
  }
  return kExitOk;
}

int runFind(const RecordJob& job) {
  auto doc = openDocument(job.file);
  if (!doc) return kExitBadInput;
  RecordFindJob find;
  if (!job.findType.empty()) {
    const PartType* type = resolvePartType(job.findType);
    if (type == nullptr) {
      fileMessage(job.file, "'" + job.findType + "' is not a part type (a class, type id or menu name)");
      return kExitUserError;
    }
    find.mode = RecordFindMode::PartType;
    find.typeId = type->id;
  } else if (job.text.empty()) {
    fileMessage(job.file, "find needs a TEXT or --type CLASS");
    return kExitUserError;
  } else {
    find.text = job.text;
    if (!job.fields.empty()) find.fields = RecordFindFields{false, false, false, false, false, false};
    for (const std::string& f : job.fields) {
      RecordFindFields& w = find.fields;
      (f == "pn" ? w.pn : f == "pn2" ? w.pn2 : f == "refdes" ? w.refDes : f == "descr" ? w.descr
                                      : f == "lcn"           ? w.lcn
                                                             : w.notes) = true;
    }
  }
  std::string notFound;
  const std::vector<std::size_t> hits = findEveryRecord(*doc, find, notFound);
  if (hits.empty()) {
    fileMessage(job.file, notFound);
    return kExitUserError;
  }
  if (!job.json) {
    for (std::size_t i : hits) {
      std::cout << strprintf("%5d", static_cast<int>(i + 1)) << identityLine(doc->record(i), " ") << '\n';
    }
    return kExitOk;
  }
  JsonWriter out(std::cout);
  out.beginCommandDocument("find");
  out.key("file");
  out.string(mixedToUtf8(job.file));
  out.key("matches");
  out.beginArray();
  for (std::size_t i : hits) {
    out.beginObject();
    out.key("record");
    out.integer(static_cast<long long>(i + 1));
    out.key("part");
    writePartJson(out, doc->record(i), *doc);
    out.endObject();
  }
  out.endArray();
  out.endObject();
  out.finish();
  return kExitOk;
}

}  // namespace

void addRecordCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<RecordJob>();
  const char* selectorHelp = "Record number (from 1, as show lists it), PN=... or REFDES=...";

  CLI::App* c = app.add_subcommand("edit", "Change fields of records of a circuit or hybrid file");
  c->add_option("file", job->file, "The file")->required();
  c->add_option("selector", job->selector, selectorHelp)->transform(storedText())->required();
  c->add_option("values", job->values, "Fields as KEYWORD=VALUE (see kestrel keywords)")->required();
  c->add_flag("--all", job->all, "Change every record the selector matches");
  c->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  c->add_flag("--json", job->json, "Write the changed records' numbers as JSON");
  c->callback([job, &global, &exitCode] { exitCode = runChange(*job, global, false); });

  c = app.add_subcommand("convert", "Convert records to another part type (base fields are kept)");
  c->add_option("file", job->file, "The file")->required();
  c->add_option("selector", job->selector, selectorHelp)->transform(storedText())->required();
  c->add_option("type", job->partType, "The new part class, type id or menu name")->required();
  c->add_option("values", job->values, "The new type's fields as KEYWORD=VALUE");
  c->add_flag("--defaults", job->defaults, "Start from the new type's default parameters");
  c->add_flag("--all", job->all, "Convert every record the selector matches");
  c->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  c->add_flag("--json", job->json, "Write the converted records' numbers as JSON");
  c->callback([job, &global, &exitCode] { exitCode = runChange(*job, global, true); });

  c = app.add_subcommand("delete", "Delete records of a circuit or hybrid file (asks, or --yes)");
  c->add_option("file", job->file, "The file")->required();
  c->add_option("selectors", job->selectors, selectorHelp)->transform(storedText())->required();
  c->add_flag("--all", job->all, "Delete every record a selector matches");
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &global, &exitCode] { exitCode = runDelete(*job, global); });

  c = app.add_subcommand("find", "List the records holding a text (case ignored), or of a part type");
  c->add_option("file", job->file, "The file")->required();
  c->add_option("text", job->text, "Text (its first 25 characters count)")->transform(storedText());
  c->add_option("--type", job->findType, "A part class, type id or menu name instead of a text");
  c->add_option("--fields", job->fields, "Where to look: pn pn2 refdes descr lcn notes (default pn)")
      ->check(CLI::IsMember({"pn", "pn2", "refdes", "descr", "lcn", "notes"}));
  c->add_flag("--json", job->json, "Write every matching record (fields, factors, results) as JSON");
  c->callback([job, &exitCode] { exitCode = runFind(*job); });
}

}  // namespace kestrel::cli
