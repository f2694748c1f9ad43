#include "store/library/library_merge.hpp"

#include <filesystem>
#include <functional>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "store/library/job_batches.hpp"
#include "store/library/library_file.hpp"
#include "store/library/library_list.hpp"
#include "store/library/library_location.hpp"
#include "store/library/xref_keyed_file.hpp"
#include "store/store_check.hpp"

namespace kestrel::library {
namespace {

std::string sameFileName(const std::string& path) {
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(path, ec);
  return upperCased(ec ? path : canonical.string());
}

}  // namespace

std::string libraryMergeQuestion(const std::string& input, const std::string& into) {
  return strprintf("Merge '%s' into '%s'?", input.c_str(), into.c_str());
}

namespace {

// What tells a library's merge from a cross-reference file's: its messages,
// and how a listed entry becomes the object added to the open file.
struct MergeKind {
  const char* fileError;    // the open file's count can not be read
  const char* openFailed;   // the input can not be opened
  const char* inputError;   // the input's count can not be read
  const char* closeFailed;  // the input can not be closed
};

constexpr MergeKind kLibraryMerge{"Library file error", "Can not open input library file",
                                  "Input library file error", "Can not close input library file"};
constexpr MergeKind kXRefMerge{"Cross-reference file error", "Can not open input cross-reference file",
                               "Input cross-reference file error", "Can not close input cross-reference file"};

// The merge of either kind: every record of the input, in list order, added to
// `into`; a number `into` holds already is counted as DuplicatePN and
// skipped. `addEntry` adds one listed entry (false: it could not be read).
template <typename File, typename Entry>
MergeOutcome mergeKeyedFile(File& into, const std::string& inputPath, Ui& ui, const MergeKind& kind,
                            const std::function<bool(File& input, const Entry&, Outcome& added,
                                                     StoreCounters&)>& addEntry) {
  MergeOutcome out;
  ui.log(strprintf("Merge into '%s'...", into.path().c_str()));
  ui.log(strprintf("...'%s'...", inputPath.c_str()));
  ui.log(strprintf("...opening '%s'...", inputPath.c_str()));
  if (sameFileName(inputPath) == sameFileName(into.path())) {
    ui.log(strprintf("...Error: %s.", "self-reference"));
    return out;
  }
  if (into.count() < 0) {
    ui.message(std::string(kind.fileError) + "\n" + into.error().text());
    return out;
  }
  StoreMessage error;
  auto input = File::open(inputPath, false, error);
  if (!input) {
    ui.message(std::string(kind.openFailed) + "\n" + error.text());
    ui.log(strprintf("...Error: %s.", "can not open"));
    return out;
  }
  const long count = input->count();
  if (count < 0) {
    ui.message(std::string(kind.inputError) + "\n" + input->error().text());
    return out;
  }
  if (count == 0) {
    ui.log(strprintf("...Error: %s.", "zero records"));
    return out;
  }
  ui.log(strprintf("...merging %ld records...", count));
  JobBatches jobs(into);
  // A database undoes the whole merge when it fails or is cancelled part-way.
  auto stop = [&] {
    jobs.finish(false);
    if (jobs.undoesWhole()) {
      out.counters.succeed = 0;
      ui.log("...Undone: none of the records was kept.");
    }
    return out;
  };
  Entry entry;
  Outcome step = input->first(entry);
  const char* readWhat = "can not read first record";
  long ordinal = 0;
  while (step == Outcome::Ok) {
    ++ordinal;
    Outcome added = Outcome::Ok;
    if (!jobs.beforeChange()) added = Outcome::Failed;
    else if (!addEntry(*input, entry, added, out.counters)) {
      ui.log(strprintf("...Error: %s (#%ld).", readWhat, ordinal));
      ui.log("..." + input->error().text());
      return stop();
    }
    if (added == Outcome::Failed || !jobs.afterChange()) {
      ui.log(strprintf("...Error: %s (#%ld).", "can not add record", ordinal));
      ui.log("..." + into.error().text());
      return stop();
    }
    ui.progressLine(4, strprintf("...Succeed:%ld  DuplicatePN:%ld...", out.counters.succeed, out.counters.duplicate));
    if (!ui.processEvents() || ui.cancelRequested()) {
      if (!jobs.pause()) {
        ui.log(strprintf("...Error: %s (#%ld).", "can not add record", ordinal));
        ui.log("..." + into.error().text());
        return stop();
      }
      if (ui.confirm("Cancel merge?")) {
        ui.log(strprintf("...Cancel (#%ld).", ordinal));
        out.cancelled = true;
        return stop();
      }
      ui.clearCancel();
    }
    Entry following;
    step = input->next(entry, following);
    entry = std::move(following);
    readWhat = "can not read next record";
  }
  if (step == Outcome::Failed) {
    ui.log(strprintf("...Error: %s (#%ld).", readWhat, ordinal + 1));
    return stop();
  }
  if (!jobs.finish(true)) {
    ui.log(strprintf("...Error: %s (#%ld).", "can not add record", ordinal));
    ui.log("..." + into.error().text());
    return stop();
  }
  ui.log(strprintf("...Succeed:%ld  DuplicatePN:%ld...", out.counters.succeed, out.counters.duplicate));
  ui.log("...Complete.");
  if (!input->close()) ui.message(std::string(kind.closeFailed) + "\n" + input->error().text());
  out.ok = true;
  return out;
}

}  // namespace

MergeOutcome mergeLibrary(PartLibrary& into, const std::string& inputPath, Ui& ui) {
  return mergeKeyedFile<PartLibrary, LibEntry>(
      into, inputPath, ui, kLibraryMerge,
      [&into](PartLibrary& input, const LibEntry& entry, Outcome& added, StoreCounters& counters) {
        std::unique_ptr<CPart> part;
        if (!input.partOf(entry, part)) return false;
        added = into.put(*part, false, counters);
        return true;
      });
}

MergeOutcome mergeXRef(XRefFile& into, const std::string& inputPath, Ui& ui) {
  return mergeKeyedFile<XRefFile, XRefEntry>(
      into, inputPath, ui, kXRefMerge,
      [&into](XRefFile& input, const XRefEntry& entry, Outcome& added, StoreCounters& counters) {
        if (!entry.damaged.empty()) {
          input.fail(StatusCode::Corrupt, "can not read record", entry.damaged);
          return false;
        }
        added = into.put(entry.xref, false, counters);
        return true;
      });
}

namespace {

// Every record of an open library in list order through `eachRecord`.
template <typename File, typename Entry>
void checkRecords(File& file, const std::function<void(File&, const Entry&)>& eachRecord, LibraryCheckReport& report) {
  ListWalk walk;
  const Outcome o = walkList<File, Entry>(file, [&](const Entry& e) {
    eachRecord(file, e);
    return true;
  }, walk);
  if (o == Outcome::Failed) report.faults.push_back(oneLine(file.error().text()));
}

// A library kept in a database: the server keeps its tables and indexes
// whole, so the check reads every record in list order.
template <typename File, typename Entry>
bool checkDatabaseLibrary(const std::string& address, const std::function<void(File&, const Entry&)>& eachRecord,
                          LibraryCheckReport& report) {
  StoreMessage error;
  std::unique_ptr<File> library = File::open(address, false, error);
  if (!library) {
    report.faults.push_back("can not check the library: " + oneLine(error.text()));
    return false;
  }
  report.records = library->count();
  checkRecords(*library, eachRecord, report);
  return true;
}

// The store check with the file's record layout, then every index entry
// against its record, then (for a sound file) every record in list order.
// `Keyed` is the file kind of the list `File`.
template <typename Keyed, typename File, typename Entry>
bool checkKeyedFile(const std::string& path, const store::CheckOptions& options, int indexes,
                    const std::function<void(File&, const Entry&)>& eachRecord, LibraryCheckReport& report) {
  report = {};
  if (isDatabaseAddress(path)) return checkDatabaseLibrary(path, eachRecord, report);
  store::CheckReport store;
  const int rc = store::checkStore(path, options, store);
  if (rc != store::kOk) {
    report.faults.push_back("can not check the file: " +
                            (rc == store::kFail ? std::string("can not open it") : store::StoreErrorText(rc)));
    return false;
  }
  for (const auto& f : store.faults) report.faults.push_back(store::describeFault(f));
  if (store.moreFaults > 0) report.faults.push_back(strprintf("... and %d more faults", store.moreFaults));
  report.records = store.records;
  for (int index = 1; index <= indexes; ++index) {
    if (store.entries[static_cast<std::size_t>(index)] != store.records) {
      report.faults.push_back(strprintf("index %d: %ld entries for %ld records", index,
                                        store.entries[static_cast<std::size_t>(index)], store.records));
    }
  }
  if (!store.faults.empty()) return true;  // the walks below need sound trees
  StoreMessage error;
  std::unique_ptr<Keyed> file = Keyed::open(path, false, error);
  if (!file) {
    report.faults.push_back(oneLine(error.text()));
    return true;
  }
  const std::size_t before = report.faults.size();
  file->checkIndexKeys(report.faults);
  if (report.faults.size() != before) return true;
  checkRecords<File, Entry>(*file, eachRecord, report);
  return true;
}

}  // namespace

store::CheckOptions libraryCheckOptions() {
  store::CheckOptions options;
  options.segments[3] = librarySegments();
  options.fields = {{'S', 26}, {'S', 26}, {'U', 2}, {'U', 2}, {'B', 1024}, {'X', 242}, {'L', 4}};
  return options;
}

bool checkLibrary(const std::string& path, LibraryCheckReport& report) {
  return checkKeyedFile<LibraryFile, PartLibrary, LibEntry>(path, libraryCheckOptions(), 3, [&](PartLibrary& lib, const LibEntry& e) {
    std::unique_ptr<CPart> part;
    if (!lib.partOf(e, part)) report.faults.push_back(oneLine(lib.error().detail));
  }, report);
}

bool checkXRefFile(const std::string& path, LibraryCheckReport& report) {
  store::CheckOptions options;
  options.fields = {{'S', 26}, {'S', 26}, {'B', 1024}};
  return checkKeyedFile<XRefKeyedFile, XRefFile, XRefEntry>(path, options, 2, [&](XRefFile& x, const XRefEntry& e) {
    if (!e.damaged.empty()) report.faults.push_back(strprintf("'%s' R%ld: %s", x.path().c_str(),
                                                              static_cast<long>(e.record), e.damaged.c_str()));
  }, report);
}

}  // namespace kestrel::library
