// kestrel lib / xref: part libraries and cross-reference files: create, add,
// list, find, delete, merge and check. Every command that changes a file
// prints its counters.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>

#include "cli/exit_codes.hpp"
#include "cli/json_result.hpp"
#include "cli/library_cli.hpp"
#include "cli/listing_options.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/document_json.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "store/library/library_json.hpp"
#include "store/library/library_list.hpp"
#include "store/library/library_merge.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::cli {

void printStoreMessage(const library::StoreMessage& m) {
  std::cerr << "kestrel: " << m.context << ": " << m.what << ": " << m.detail << '\n';
}

void printAddCounts(const std::string& file, bool replace, bool json, std::string_view command,
                    const library::StoreCounters& counters) {
  if (json) {
    printJsonResult(command, {{"file", jsonString(mixedToUtf8(file))},
                              {"succeed", jsonInteger(counters.succeed)},
                              {replace ? "replaced" : "duplicate", jsonInteger(replace ? counters.replaced : counters.duplicate)}});
  } else {
    std::cout << (replace ? strprintf("Succeed:%ld  ReplaceDuplicatePN:%ld", counters.succeed, counters.replaced)
                          : strprintf("Succeed:%ld  DuplicatePN:%ld", counters.succeed, counters.duplicate))
              << '\n';
  }
}

namespace {

using library::Outcome;

struct LibJob {
  std::string file;
  std::string description;
  bool replace = false;
  int style = 1;
  ListingRequest listing;
  bool json = false;
  std::string text;
  std::string by = "pn";
  std::string input;
  std::string libPn;
  std::string notesTitle;
  std::string notes;
};

std::unique_ptr<library::PartLibrary> openLibrary(const std::string& path, bool writable) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(path, writable, error);
  if (!lib) printStoreMessage(error);
  if (lib && !lib->notice().empty()) printStoreMessage(lib->notice());
  return lib;
}

std::unique_ptr<library::XRefFile> openXRef(const std::string& path, bool writable) {
  library::StoreMessage error;
  auto x = library::XRefFile::open(path, writable, error);
  if (!x) printStoreMessage(error);
  if (x && !x->notice().empty()) printStoreMessage(x->notice());
  return x;
}

int runLibCreate(const LibJob& job) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::create(job.file, error);
  if (!lib) {
    printStoreMessage(error);
    return kExitUserError;
  }
  if (!job.description.empty() && !lib->writeHeader({job.description, "", ""})) {
    printStoreMessage(lib->error());
    return kExitUserError;
  }
  std::cout << "Created '" << job.file << "': Records: 0\n";
  return lib->close() ? kExitOk : kExitUserError;
}

// Damaged records are listed from their keys and named on stderr; records
// that could not be read at all are counted; the exit code says the file is
// damaged.
template <typename Entry>
int reportDamaged(const std::string& file, const std::vector<Entry>& entries, long unreadable) {
  for (const Entry& e : entries) {
    if (!e.damaged.empty()) std::cerr << "kestrel: '" << file << "' R" << e.record << ": " << e.damaged << '\n';
  }
  if (unreadable == 0) return kExitOk;
  std::cerr << "kestrel: '" << file << "': " << unreadable << (unreadable == 1 ? " record" : " records")
            << " can not be read\n";
  return kExitBadInput;
}

// A terminal shows the library a page of 40 lines at a time.
constexpr std::size_t kLibraryPageLines = 40;

int runLibList(const LibJob& job) {
  auto lib = openLibrary(job.file, false);
  if (!lib) return kExitBadInput;
  const ListingPage shown = listingPageOf(job.listing, kLibraryPageLines);
  JsonWriter json(std::cout);
  if (job.json) {
    library::beginLibraryJson(json, "lib list", *lib);
    json.key("parts");
    json.beginArray();
  } else {
    for (const std::string& line : library::libraryHeaderLines(*lib)) std::cout << line << '\n';
  }
  auto print = [&](const library::LibEntry& e) {
    if (job.json) {
      library::writeLibraryEntryJson(json, e);
    } else {
      std::cout << library::libraryListLine(e, job.style) << '\n';
    }
  };
  std::vector<library::LibEntry> page;
  library::ListWalk walk;
  Outcome o = Outcome::Ok;
  if (shown.count == 0) {
    o = library::walkList<library::PartLibrary, library::LibEntry>(
        *lib, [&](const library::LibEntry& e) {
          print(e);
          if (!e.damaged.empty()) page.push_back(e);
          return true;
        }, walk);
  } else {
    library::LibraryPager pager(*lib);
    o = pager.readablePage(static_cast<long>(shown.first), shown.count, page);
    walk = pager.damage();
    for (const auto& e : page) print(e);
  }
  if (job.json) {
    json.endArray();
    json.endObject();
    json.finish();
  } else if (const std::string note = pageNote(shown, static_cast<std::size_t>(std::max(0L, lib->count())));
             !note.empty()) {
    std::cout << std::flush;
    std::cerr << "kestrel: '" << job.file << "': " << note << '\n';
  }
  const int damaged = reportDamaged(job.file, page, walk.unreadable());
  if (o == Outcome::Failed) {
    printStoreMessage(lib->error());
    return kExitBadInput;
  }
  return damaged;
}

int runLibFind(const LibJob& job) {
  auto lib = openLibrary(job.file, false);
  if (!lib) return kExitBadInput;
  library::LibEntry e;
  Outcome o = Outcome::NotFound;
  std::string notFound;
  if (job.by == "pn" || job.by == "pn2") {
    o = lib->search(job.text, job.by == "pn2", -1, e);
    notFound = strprintf(job.by == "pn" ? "PN: '%s'\nMatching record was not found." : "PN2: '%s'\nMatching record was not found.",
                         job.text.c_str());
  } else {
    const PartType* type = resolvePartType(job.text);
    const bool hyb = job.by == "hybtype";
    if (type != nullptr) o = lib->findType(type->id, hyb, e);
    if (o == Outcome::Ok && (e.type != type->id || (e.hybrid != 0) != hyb)) o = Outcome::NotFound;
    notFound = strprintf("Part Type: '%.25s'\nMatching record was not found.", job.text.c_str());
  }
  if (o == Outcome::Failed) {
    printStoreMessage(lib->error());
    return kExitBadInput;
  }
  if (o != Outcome::Ok) {
    std::cerr << "kestrel: " << library::oneLine(notFound) << '\n';
    return kExitUserError;
  }
  std::unique_ptr<CPart> part;
  if (!lib->partOf(e, part)) {
    printStoreMessage(lib->error());
    return kExitBadInput;
  }
  if (job.json) {
    JsonWriter json(std::cout);
    library::beginLibraryJson(json, "lib find", *lib);
    json.key("entry");
    library::writeLibraryEntryJson(json, e);
    json.key("part");
    writePartJson(json, *part, CCircDoc(e.hybrid != 0 ? DocKind::Hybrid : DocKind::Circuit));
    json.endObject();
    json.finish();
    return kExitOk;
  }
  std::cout << library::libraryListLine(e, 2) << '\n' << identityLine(*part, "") << '\n';
  std::string a, b;
  part->FormatDetail(a, b, "    ");
  for (const std::string& line : {a, b}) {
    if (!line.empty()) std::cout << line << '\n';
  }
  return kExitOk;
}

// Lib merge and xref merge: the question, then the merge with its log.
template <typename File>
int runMerge(const LibJob& job, std::string_view command, const GlobalOptions& global, std::unique_ptr<File> into,
             library::MergeOutcome (*merge)(File&, const std::string&, Ui&)) {
  if (!into) return kExitBadInput;
  Session& session = global.session();
  session.beginLog("MERGE");
  library::MergeOutcome out;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    if (!ui.confirm(library::libraryMergeQuestion(job.input, job.file))) {
      session.log.end();
      return kExitUserError;
    }
    out = merge(*into, job.input, ui);
  }
  session.log.end();
  if (job.json) {
    printJsonResult(command, {{"file", jsonString(mixedToUtf8(job.file))},
                              {"input", jsonString(mixedToUtf8(job.input))},
                              {"ok", jsonBool(out.ok)},
                              {"succeed", jsonInteger(out.counters.succeed)},
                              {"duplicate", jsonInteger(out.counters.duplicate)}});
  } else {
    std::cout << strprintf("Succeed:%ld  DuplicatePN:%ld", out.counters.succeed, out.counters.duplicate) << '\n';
  }
  return out.ok ? kExitOk : kExitUserError;
}

int runKeyedCheck(const LibJob& job, bool (*check)(const std::string&, library::LibraryCheckReport&)) {
  library::LibraryCheckReport report;
  if (!check(job.file, report)) {
    for (const auto& f : report.faults) std::cerr << "kestrel: '" << job.file << "': " << f << '\n';
    return kExitBadInput;
  }
  for (const auto& f : report.faults) std::cout << f << '\n';
  std::cout << strprintf("'%s': %ld records: %s", job.file.c_str(), report.records,
                         report.clean() ? "no faults" : strprintf("%zu faults", report.faults.size()).c_str())
            << '\n';
  return report.clean() ? kExitOk : kExitBadInput;
}

int runXRefCreate(const LibJob& job) {
  library::StoreMessage error;
  auto x = library::XRefFile::create(job.file, error);
  if (!x) {
    printStoreMessage(error);
    return kExitUserError;
  }
  if (!job.description.empty() && !x->writeHeader({job.description, "", ""})) {
    printStoreMessage(x->error());
    return kExitUserError;
  }
  std::cout << "Created '" << job.file << "': Records: 0\n";
  return x->close() ? kExitOk : kExitUserError;
}

int runXRefAdd(const LibJob& job) {
  auto x = openXRef(job.file, true);
  if (!x) return kExitBadInput;
  library::CXRef xref{job.text, job.libPn, job.notesTitle, job.notes};
  for (const std::string& line : library::holdXRefTexts(xref)) std::cerr << line << '\n';
  library::StoreCounters counters;
  const Outcome o = x->put(xref, job.replace, counters);
  if (o == Outcome::Failed || o == Outcome::Duplicate) printStoreMessage(x->error());
  printAddCounts(job.file, job.replace, job.json, "xref add", counters);
  return o == Outcome::Ok ? kExitOk : kExitUserError;
}

int runXRefList(const LibJob& job) {
  auto x = openXRef(job.file, false);
  if (!x) return kExitBadInput;
  const ListingPage shown = listingPageOf(job.listing);
  JsonWriter json(std::cout);
  if (job.json) {
    library::beginLibraryJson(json, "xref list", *x);
    json.key("crossReferences");
    json.beginArray();
  } else {
    for (const std::string& line : library::xrefHeaderLines(*x)) std::cout << line << '\n';
  }
  std::vector<library::XRefEntry> damaged;
  library::ListWalk walk;
  std::size_t index = 0;
  const Outcome o = library::walkList<library::XRefFile, library::XRefEntry>(
      *x, [&](const library::XRefEntry& e) {
        if (shown.shows(index++)) {
          if (job.json) {
            library::writeXRefEntryJson(json, e);
          } else {
            std::cout << library::xrefListLine(e) << '\n';
          }
          if (!e.damaged.empty()) damaged.push_back(e);
        }
        return true;
      }, walk);
  if (job.json) {
    json.endArray();
    json.endObject();
    json.finish();
  }
  const int rc = reportDamaged(job.file, damaged, walk.unreadable());
  if (o == Outcome::Failed) {
    printStoreMessage(x->error());
    return kExitBadInput;
  }
  return rc;
}

int runXRefFind(const LibJob& job) {
  auto x = openXRef(job.file, false);
  if (!x) return kExitBadInput;
  library::XRefEntry e;
  const bool byLib = job.by == "libpn";
  const Outcome o = x->find(job.text, byLib, e);
  if (o == Outcome::Failed) {
    printStoreMessage(x->error());
    return kExitBadInput;
  }
  if (o != Outcome::Ok) {
    std::cerr << "kestrel: "
              << library::oneLine(strprintf(byLib ? "Library PN: '%s'\nMatching record was not found."
                                                  : "Cross-Ref PN: '%s'\nMatching record was not found.",
                                            job.text.c_str()))
              << '\n';
    return kExitUserError;
  }
  if (job.json) {
    JsonWriter json(std::cout);
    library::beginLibraryJson(json, "xref find", *x);
    json.key("crossReference");
    library::writeXRefEntryJson(json, e);
    json.endObject();
    json.finish();
    return kExitOk;
  }
  std::cout << library::xrefListLine(e) << '\n';
  return kExitOk;
}

}  // namespace

void addLibraryCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<LibJob>();
  CLI::App* lib = app.add_subcommand(
      "lib", "Part libraries: complete part records kept for reuse, in a .lib file or in a PostgreSQL database "
             "(LIB = postgresql://host/db?library=NAME)");
  lib->require_subcommand(1);
  CLI::App* c = lib->add_subcommand("create", "Create a library file, or a library in a database");
  c->add_option("LIB", job->file, "The new library (.lib, or postgresql://host/db?library=NAME)")->required();
  c->add_option("--descr", job->description, "Library description")->transform(storedText());
  c->callback([job, &exitCode] { exitCode = runLibCreate(*job); });

  c = lib->add_subcommand("list", "List a library in part-type order (a page at a time at a terminal)");
  c->add_option("LIB", job->file, "The library")->required();
  c->add_option("--style", job->style, "1: number, type, date; 2: number, PN2, type")->check(CLI::Range(1, 2));
  addListingOptions(c, job->listing);
  c->add_flag("--json", job->json, "Write the list as JSON");
  c->callback([job, &exitCode] { exitCode = runLibList(*job); });

  c = lib->add_subcommand("find", "Find a part: number or PN2 containing TEXT, or the first of a part type");
  c->add_option("LIB", job->file, "The library")->required();
  c->add_option("TEXT", job->text, "Text, or a part type for --by type/hybtype")->transform(storedText())->required();
  c->add_option("--by", job->by, "pn, pn2, type or hybtype")->check(CLI::IsMember({"pn", "pn2", "type", "hybtype"}));
  c->add_flag("--json", job->json, "Write the entry and the whole part record as JSON");
  c->callback([job, &exitCode] { exitCode = runLibFind(*job); });

  c = lib->add_subcommand("merge", "Add every part of another library (duplicates are skipped)");
  c->add_option("LIB", job->file, "The library that receives the parts")->required();
  c->add_option("INPUT", job->input, "The library merged in (not changed)")->required();
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &global, &exitCode] {
    exitCode = runMerge(*job, "lib merge", global, openLibrary(job->file, true), library::mergeLibrary);
  });

  c = lib->add_subcommand("check", "Check a library: its trees, indexes and every part record");
  c->add_option("LIB", job->file, "The library")->required();
  c->callback([job, &exitCode] { exitCode = runKeyedCheck(*job, library::checkLibrary); });

  CLI::App* x = app.add_subcommand(
      "xref", "Cross-reference files (.xrf) or lists in a PostgreSQL database: numbers mapped to library part numbers");
  x->require_subcommand(1);
  c = x->add_subcommand("create", "Create a cross-reference file, or a list in a database");
  c->add_option("XRF", job->file, "The new file (.xrf, or postgresql://host/db?library=NAME)")->required();
  c->add_option("--descr", job->description, "Description")->transform(storedText());
  c->callback([job, &exitCode] { exitCode = runXRefCreate(*job); });
  c = x->add_subcommand("add", "Add a cross-reference");
  c->add_option("XRF", job->file, "The file")->required();
  c->add_option("XREFPN", job->text, "Cross-reference part number")->transform(storedText())->required();
  c->add_option("LIBPN", job->libPn, "Library part number")->transform(storedText())->required();
  c->add_option("--notes-title", job->notesTitle, "Notes title")->transform(storedText());
  c->add_option("--notes", job->notes, "Notes")->transform(storedText());
  c->add_flag("--replace", job->replace, "Replace the cross-reference of the same number");
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &exitCode] { exitCode = runXRefAdd(*job); });
  c = x->add_subcommand("list", "List in cross-reference number order");
  c->add_option("XRF", job->file, "The file")->required();
  addListingOptions(c, job->listing);
  c->add_flag("--json", job->json, "Write the list as JSON");
  c->callback([job, &exitCode] { exitCode = runXRefList(*job); });
  c = x->add_subcommand("check", "Check a cross-reference file: its trees, indexes and every record");
  c->add_option("XRF", job->file, "The file")->required();
  c->callback([job, &exitCode] { exitCode = runKeyedCheck(*job, library::checkXRefFile); });
  c = x->add_subcommand("find", "Find the first number at or after TEXT that begins with it");
  c->add_option("XRF", job->file, "The file")->required();
  c->add_option("TEXT", job->text, "Text (case ignored)")->transform(storedText())->required();
  c->add_option("--by", job->by, "xrefpn or libpn")->check(CLI::IsMember({"xrefpn", "libpn"}));
  c->add_flag("--json", job->json, "Write the cross-reference as JSON");
  c->callback([job, &exitCode] { exitCode = runXRefFind(*job); });
  c = x->add_subcommand("merge", "Add every cross-reference of another file (duplicates are skipped)");
  c->add_option("XRF", job->file, "The file that receives the cross-references")->required();
  c->add_option("INPUT", job->input, "The file merged in (not changed)")->required();
  c->add_flag("--json", job->json, "Write the counts as JSON");
  c->callback([job, &global, &exitCode] {
    exitCode = runMerge(*job, "xref merge", global, openXRef(job->file, true), library::mergeXRef);
  });

  addRecallTransferCommands(app, global, exitCode);
  addLibraryEditCommands(app, exitCode);
  addLibraryCopyCommands(app, global, exitCode);
}

}  // namespace kestrel::cli
