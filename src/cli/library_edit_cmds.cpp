// kestrel lib edit / convert / delete and xref edit / delete: the Edit,
// Convert and Delete of the library and cross-reference windows on a file.
// A record is changed under the store's record lock, so a record another
// program holds is refused with the library's own three-part message.
#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

#include "cli/assignment_report.hpp"
#include "cli/exit_codes.hpp"
#include "cli/json_result.hpp"
#include "cli/library_cli.hpp"
#include "cli/stored_text_arg.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/parameters_given.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "store/library/library_convert.hpp"
#include "store/library/library_json.hpp"
#include "store/library/library_list.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::cli {
namespace {

using library::Outcome;

struct LibEditJob {
  std::string file;
  std::string pn;
  std::vector<std::string> pns;
  std::string partType;
  std::vector<std::string> values;
  bool strict = false;
  bool defaults = false;
  bool hybrid = false;   // lib add: a hybrid part
  bool replace = false;  // lib add: replace the part of the same number
  std::optional<std::string> libPn, notesTitle, notes;
  bool json = false;
};

// "Deleted:2  Records:40" of delete, or its JSON document.
void printDeleteCounts(const LibEditJob& job, std::string_view command, long deleted, long count) {
  if (job.json) {
    printJsonResult(command, {{"file", jsonString(mixedToUtf8(job.file))},
                              {"deleted", jsonInteger(deleted)},
                              {"count", jsonInteger(count)}});
  } else {
    std::cout << "Deleted:" << deleted << "  Records:" << count << '\n';
  }
}

// "kestrel: Can not edit record: 'FILE'... ...can not lock record... ...why."
void printFailure(const std::string& failure, const library::StoreMessage& m) {
  std::cerr << "kestrel: " << failure << ": " << library::oneLine(m.text()) << '\n';
}

void printNotFound(const std::string& file, const char* format, const std::string& pn) {
  std::cerr << "kestrel: '" << file << "': " << library::oneLine(strprintf(format, pn.c_str())) << '\n';
}

// Library parts carry the results of a calculation against the default header.
void calculateForLibrary(CPart& part) {
  CCircHeader header;
  part.Calculate(header);
}

// A new library part of the class named by a class, type id or menu name;
// null after printing why.
std::unique_ptr<CPart> newLibraryPart(const std::string& typeName, bool hybrid) {
  const PartType* type = resolvePartType(typeName);
  if (type == nullptr || (hybrid && !type->inHybridMenu)) {
    std::cerr << "kestrel: '" << typeName << "' is not a " << (hybrid ? "hybrid " : "") << "part type\n";
    return nullptr;
  }
  auto part = PartRegistry::instance().create(type->id, hybrid);
  if (!part) std::cerr << "kestrel: " << type->menuName << " parts are not available in this version\n";
  return part;
}

std::unique_ptr<library::PartLibrary> openWritable(const std::string& path) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(path, true, error);
  if (!lib) printFailure("Can not open library file", error);
  return lib;
}

// The record of a part number as typed, or as the readers store it (upper case).
Outcome findPart(library::PartLibrary& lib, const std::string& pn, library::LibEntry& entry) {
  const Outcome o = lib.findPn(pn, entry);
  return o == Outcome::NotFound ? lib.findPn(upperCased(pn), entry) : o;
}

// Reads the values into a part inside the record's lock; false (the record
// is left as it was) when they could not be read or, strictly, warned.
bool assignForLibrary(CPart& part, const std::vector<KeywordAssignment>& values, AssignmentResult result,
                      const LibEditJob& job, bool convert) {
  CCircHeader header;
  if (!reportAssignments(assignPartFields(part, values, false, header.TEMP, result), result, job.file,
                         job.strict)) {
    return false;
  }
  if (convert && !job.defaults) {
    const std::vector<std::string> missing = parametersNotGiven(part, values);
    if (!missing.empty()) {
      std::cerr << "kestrel: '" << job.file << "': the new part type's parameters are not all given (or add --defaults): "
                << joinLines(missing, ", ") << '\n';
      return false;
    }
  }
  calculateForLibrary(part);
  return true;
}

int runLibChange(const LibEditJob& job, bool convert) {
  std::vector<KeywordAssignment> values;
  AssignmentResult parsed;
  if (!parseValues(job.values, job.file, values, parsed)) return kExitUserError;
  auto lib = openWritable(job.file);
  if (!lib) return kExitBadInput;
  library::LibEntry entry;
  const Outcome found = findPart(*lib, job.pn, entry);
  if (found == Outcome::NotFound) {
    printNotFound(job.file, "PN: '%s'\nMatching record was not found.", job.pn);
    return kExitUserError;
  }
  if (found != Outcome::Ok) {
    printFailure(convert ? "Can not convert record" : "Can not edit record", lib->error());
    return kExitBadInput;
  }
  bool refused = false;  // the values, not the library, stopped the change
  std::string newPn;
  std::string failure;
  Outcome o = Outcome::Ok;
  if (convert) {
    library::ConvertSteps steps;
    steps.chooseType = [&](const CPart& old, bool& defaults) {
      defaults = job.defaults;
      std::unique_ptr<CPart> part = newLibraryPart(job.partType, old.IS_HYBRID != 0);
      refused = part == nullptr;
      return part;
    };
    steps.edit = [&](CPart& part, bool) {
      refused = !assignForLibrary(part, values, parsed, job, true);
      newPn = part.PN;
      return !refused;
    };
    const library::ConvertResult r = library::convertRecord(*lib, entry.record, steps);
    o = r.outcome;
    failure = r.failure;
  } else {
    bool reached = false;
    o = lib->edit(entry.record, [&](CPart& part) {
      reached = true;
      refused = !assignForLibrary(part, values, parsed, job, false);
      newPn = part.PN;
      return !refused;
    });
    failure = reached ? "Can not update record" : "Can not edit record";
  }
  if (refused) return kExitUserError;
  if (o != Outcome::Ok) {
    printFailure(failure, lib->error());
    return kExitUserError;
  }
  library::LibEntry now;
  if (lib->findPn(newPn, now) == Outcome::Ok) {
    if (job.json) {
      JsonWriter out(std::cout);
      library::beginLibraryJson(out, convert ? "lib convert" : "lib edit", *lib);
      out.key("entry");
      library::writeLibraryEntryJson(out, now);
      out.endObject();
      out.finish();
    } else {
      std::cout << library::libraryListLine(now, 2) << '\n';
    }
  }
  return lib->close() ? kExitOk : kExitUserError;
}

int runLibAdd(const LibEditJob& job) {
  std::vector<KeywordAssignment> values;
  AssignmentResult parsed;
  if (!parseValues(job.values, job.file, values, parsed)) return kExitUserError;
  auto part = newLibraryPart(job.partType, job.hybrid);
  if (!part) return kExitUserError;
  if (!assignForLibrary(*part, values, parsed, job, false)) return kExitUserError;
  if (part->PN.empty()) {
    std::cerr << "kestrel: '" << job.file << "': a library part needs a part number (PN=...)\n";
    return kExitUserError;
  }
  auto lib = openWritable(job.file);
  if (!lib) return kExitBadInput;
  library::StoreCounters counters;
  const Outcome o = lib->put(*part, job.replace, counters);
  if (o == Outcome::Failed) printFailure("Can not add record", lib->error());
  printAddCounts(job.file, job.replace, job.json, "lib add", counters);
  if (o == Outcome::Duplicate) std::cerr << "kestrel: '" << job.file << "': PN '" << part->PN << "': duplicate part number\n";
  if (o != Outcome::Ok) return kExitUserError;
  return lib->close() ? kExitOk : kExitUserError;
}

int runLibDelete(const LibEditJob& job) {
  auto lib = openWritable(job.file);
  if (!lib) return kExitBadInput;
  long deleted = 0;
  int rc = kExitOk;
  for (const std::string& pn : job.pns) {
    library::LibEntry entry;
    const Outcome o = lib->remove(findPart(*lib, pn, entry) == Outcome::Ok ? entry.pn : pn);
    if (o == Outcome::Ok) {
      ++deleted;
    } else {
      printFailure("Can not delete record", lib->error());
      rc = kExitUserError;
    }
  }
  printDeleteCounts(job, "lib delete", deleted, lib->count());
  return lib->close() ? rc : kExitUserError;
}

std::unique_ptr<library::XRefFile> openXRefWritable(const std::string& path) {
  library::StoreMessage error;
  auto x = library::XRefFile::open(path, true, error);
  if (!x) printFailure("Can not open cross-reference file", error);
  return x;
}

int runXRefEdit(const LibEditJob& job) {
  auto x = openXRefWritable(job.file);
  if (!x) return kExitBadInput;
  library::XRefEntry entry;
  if (x->findPn(job.pn, entry) == Outcome::NotFound) {
    printNotFound(job.file, "Cross-Ref PN: '%s'\nMatching record was not found.", job.pn);
    return kExitUserError;
  }
  bool reached = false;
  const Outcome o = x->edit(job.pn, [&](library::CXRef& xref) {
    reached = true;
    if (job.libPn) xref.libPn = upperCased(*job.libPn);
    if (job.notesTitle) xref.notesTitle = *job.notesTitle;
    if (job.notes) xref.notes = *job.notes;
    for (const std::string& line : library::holdXRefTexts(xref)) std::cerr << line << '\n';
    return true;
  });
  if (o != Outcome::Ok) {
    printFailure(reached ? "Can not update record" : "Can not edit record", x->error());
    return kExitUserError;
  }
  if (x->findPn(job.pn, entry) == Outcome::Ok) {
    if (job.json) {
      JsonWriter out(std::cout);
      library::beginLibraryJson(out, "xref edit", *x);
      out.key("entry");
      library::writeXRefEntryJson(out, entry);
      out.endObject();
      out.finish();
    } else {
      std::cout << library::xrefListLine(entry) << '\n';
    }
  }
  return x->close() ? kExitOk : kExitUserError;
}

int runXRefDelete(const LibEditJob& job) {
  auto x = openXRefWritable(job.file);
  if (!x) return kExitBadInput;
  long deleted = 0;
  int rc = kExitOk;
  for (const std::string& pn : job.pns) {
    const Outcome o = x->remove(pn);
    if (o == Outcome::Ok) {
      ++deleted;
    } else {
      printFailure("Can not delete record", x->error());
      rc = kExitUserError;
    }
  }
  printDeleteCounts(job, "xref delete", deleted, x->count());
  return x->close() ? rc : kExitUserError;
}

}  // namespace

void addLibraryEditCommands(CLI::App& app, int& exitCode) {
  auto job = std::make_shared<LibEditJob>();
  CLI::App* lib = app.get_subcommand("lib");
  // Add reads its values as edit does, strictly on request.
  CLI::App* c = lib->add_subcommand("add", "Add a part to a library (fields as KEYWORD=VALUE)");
  c->add_option("LIB", job->file, "The library")->required();
  c->add_option("TYPE", job->partType, "Part class, type id or menu name")->required();
  c->add_option("values", job->values, "Fields as KEYWORD=VALUE; PN= is required");
  c->add_flag("--hybrid", job->hybrid, "A hybrid part");
  c->add_flag("--replace", job->replace, "Replace the part of the same number");
  c->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &exitCode] { exitCode = runLibAdd(*job); });

  c = lib->add_subcommand("edit", "Change fields of a library part (under its record lock)");
  c->add_option("LIB", job->file, "The library")->required();
  c->add_option("PN", job->pn, "Part number")->transform(storedText())->required();
  c->add_option("values", job->values, "Fields as KEYWORD=VALUE")->required();
  c->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  c->add_flag("--json", job->json, "Write the changed part's entry as JSON");
  c->callback([job, &exitCode] { exitCode = runLibChange(*job, false); });

  c = lib->add_subcommand("convert", "Convert a library part to another part type (base fields are kept)");
  c->add_option("LIB", job->file, "The library")->required();
  c->add_option("PN", job->pn, "Part number")->transform(storedText())->required();
  c->add_option("TYPE", job->partType, "The new part class, type id or menu name")->required();
  c->add_option("values", job->values, "The new type's fields as KEYWORD=VALUE");
  c->add_flag("--defaults", job->defaults, "Start from the new type's default parameters");
  c->add_flag("--strict", job->strict, "Refuse any value that would be clamped, cut or ignored");
  c->add_flag("--json", job->json, "Write the converted part's entry as JSON");
  c->callback([job, &exitCode] { exitCode = runLibChange(*job, true); });

  // Delete takes several part numbers.
  c = lib->add_subcommand("delete", "Delete the parts of part numbers");
  c->add_option("LIB", job->file, "The library")->required();
  c->add_option("PN", job->pns, "Part numbers")->transform(storedText())->required();
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &exitCode] { exitCode = runLibDelete(*job); });

  CLI::App* x = app.get_subcommand("xref");
  c = x->add_subcommand("edit", "Change a cross-reference (under its record lock)");
  c->add_option("XRF", job->file, "The file")->required();
  c->add_option("XREFPN", job->pn, "Cross-reference part number")->transform(storedText())->required();
  c->add_option("--libpn", job->libPn, "New library part number")->transform(storedText());
  c->add_option("--notes-title", job->notesTitle, "New notes title")->transform(storedText());
  c->add_option("--notes", job->notes, "New notes")->transform(storedText());
  c->add_flag("--json", job->json, "Write the changed entry as JSON");
  c->callback([job, &exitCode] { exitCode = runXRefEdit(*job); });

  c = x->add_subcommand("delete", "Delete cross-references");
  c->add_option("XRF", job->file, "The file")->required();
  c->add_option("XREFPN", job->pns, "Cross-reference part numbers")->transform(storedText())->required();
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &exitCode] { exitCode = runXRefDelete(*job); });
}

}  // namespace kestrel::cli
