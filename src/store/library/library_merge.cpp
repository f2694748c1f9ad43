#include "store/library/library_merge.hpp"

#include <filesystem>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
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

LibraryMergeOutcome mergeLibrary(PartLibrary& into, const std::string& inputPath, Ui& ui) {
  LibraryMergeOutcome out;
  ui.log(strprintf("Merge into '%s'...", into.path().c_str()));
  ui.log(strprintf("...'%s'...", inputPath.c_str()));
  ui.log(strprintf("...opening '%s'...", inputPath.c_str()));
  if (sameFileName(inputPath) == sameFileName(into.path())) {
    ui.log(strprintf("...Error: %s.", "self-reference"));
    return out;
  }
  StoreMessage error;
  auto input = PartLibrary::open(inputPath, false, error);
  if (!input) {
    ui.message("Can not open input library file\n" + error.text());
    ui.log(strprintf("...Error: %s.", "can not open"));
    return out;
  }
  const long count = input->count();
  if (count < 0) {
    ui.message("Input library file error\n" + input->error().text());
    return out;
  }
  if (count == 0) {
    ui.log(strprintf("...Error: %s.", "zero records"));
    return out;
  }
  ui.log(strprintf("...merging %ld records...", count));
  LibEntry entry;
  Outcome step = input->first(entry);
  const char* readWhat = "can not read first record";
  long ordinal = 0;
  while (step == Outcome::Ok) {
    ++ordinal;
    std::unique_ptr<CPart> part;
    if (!input->partOf(entry, part)) {
      ui.log(strprintf("...Error: %s (#%ld).", readWhat, ordinal));
      ui.log("..." + input->error().text());
      return out;
    }
    const Outcome added = into.put(*part, false, out.counters);
    if (added == Outcome::Failed) {
      ui.log(strprintf("...Error: %s (#%ld).", "can not add record", ordinal));
      ui.log("..." + into.error().text());
      return out;
    }
    ui.progressLine(4, strprintf("...Succeed:%ld  DuplicatePN:%ld...", out.counters.succeed, out.counters.duplicate));
    if (!ui.processEvents() || ui.cancelRequested()) {
      if (ui.confirm("Cancel merge?")) {
        ui.log(strprintf("...Cancel (#%ld).", ordinal));
        out.cancelled = true;
        return out;
      }
      ui.clearCancel();
    }
    LibEntry following;
    step = input->next(entry, following);
    entry = std::move(following);
    readWhat = "can not read next record";
  }
  if (step == Outcome::Failed) {
    ui.log(strprintf("...Error: %s (#%ld).", readWhat, ordinal + 1));
    return out;
  }
  ui.log(strprintf("...Succeed:%ld  DuplicatePN:%ld...", out.counters.succeed, out.counters.duplicate));
  ui.log("...Complete.");
  if (!input->close()) ui.message("Can not close input library file\n" + input->error().text());
  out.ok = true;
  return out;
}

bool checkLibrary(const std::string& path, LibraryCheckReport& report) {
  report = {};
  store::CheckOptions options;
  options.segments[3] = librarySegments();
  options.fields = {{'S', 26}, {'S', 26}, {'U', 2}, {'U', 2}, {'B', 1024}, {'X', 242}, {'L', 4}};
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
  for (int index = 1; index <= 3; ++index) {
    if (store.entries[static_cast<std::size_t>(index)] != store.records) {
      report.faults.push_back(strprintf("index %d: %ld entries for %ld records", index,
                                        store.entries[static_cast<std::size_t>(index)], store.records));
    }
  }
  if (!store.faults.empty()) return true;  // the walk below needs sound trees
  StoreMessage error;
  auto lib = PartLibrary::open(path, false, error);
  if (!lib) {
    report.faults.push_back(oneLine(error.text()));
    return true;
  }
  LibEntry entry;
  Outcome o = lib->first(entry);
  long listed = 0;
  while (o == Outcome::Ok) {
    ++listed;
    std::unique_ptr<CPart> part;
    if (!lib->partOf(entry, part)) report.faults.push_back(oneLine(lib->error().detail));
    LibEntry following;
    o = lib->next(entry, following);
    entry = std::move(following);
  }
  if (o == Outcome::Failed) report.faults.push_back(oneLine(lib->error().text()));
  if (listed != report.records) {
    report.faults.push_back(strprintf("%ld records listed of %ld stored", listed, report.records));
  }
  return true;
}

}  // namespace kestrel::library
