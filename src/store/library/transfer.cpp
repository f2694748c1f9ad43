#include "store/library/transfer.hpp"

#include <memory>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "store/library/job_batches.hpp"
#include "store/status_codes.hpp"

namespace kestrel::library {
namespace {

void logError(Ui& ui, const char* what, std::size_t record, const std::string& detail) {
  ui.log(strprintf("   ...Error: %s (rec#%d)...", what, static_cast<int>(record)));
  if (!detail.empty()) ui.log("   ..." + oneLine(detail));
}

// Between records: true when the user confirms the cancel request.
bool cancelled(Ui& ui, const char* question, std::size_t record) {
  if (!ui.processEvents() || ui.cancelRequested()) {
    if (ui.confirm(question)) {
      ui.log(strprintf("   ...Cancel (rec#%d)...", static_cast<int>(record)));
      return true;
    }
    ui.clearCancel();
  }
  return false;
}

// Transfers one file's records; false when the run is cancelled.
bool transferFile(PartLibrary& lib, const TransferOptions& o, CCircDoc& doc, Ui& ui, TransferOutcome& out) {
  TransferCounters c;
  bool failed = false;
  JobBatches jobs(lib);
  for (std::size_t i = 0; i < doc.count() && !failed; ++i) {
    if (!jobs.beforeChange()) {
      logError(ui, "can not transfer record", i + 1, lib.error().detail);
      failed = true;
      break;
    }
    const CPart& record = doc.record(i);
    if (!o.filters.passes(record)) {
      ++c.filterOut;
    } else {
      auto part = record.clone();
      if (o.clearRefDes) part->REFDES.clear();
      if (o.clearLcn) part->LCN.clear();
      if (o.setQuantityOne) part->QTY = 1.0f;
      StoreCounters sc;
      const Outcome r = lib.put(*part, o.replaceDuplicates, sc);
      c.succeed += sc.succeed;
      c.duplicate += sc.duplicate;
      c.replaced += sc.replaced;
      if (r == Outcome::Failed) {
        // A part number found a moment ago counts as a replace failure.
        const bool duringReplace = o.replaceDuplicates && lib.error().what != "add error" &&
                                   lib.error().what != "serialize error";
        logError(ui, duringReplace ? "can not transfer record (dup replace)" : "can not transfer record", i + 1,
                 lib.error().text());
        failed = true;
      }
    }
    // The question below must not keep a file's batch open.
    if (!failed && !(ui.cancelRequested() ? jobs.pause() : jobs.afterChange())) {
      logError(ui, "can not transfer record", i + 1, lib.error().detail);
      failed = true;
    }
    ui.progressLine(4, transferCountersLine(c, o.replaceDuplicates));
    ui.progressBar(static_cast<int>(i + 1), static_cast<int>(doc.count()));
    if (!failed && cancelled(ui, "Cancel transfer?", i + 1)) {
      out.cancelled = true;
      break;
    }
  }
  const bool keep = !failed && !out.cancelled;
  if (!jobs.finish(keep) && keep) {
    logError(ui, "can not transfer record", doc.count(), lib.error().detail);
    failed = true;
  }
  // A database undoes the file's whole job on a failure or a cancel.
  if (!keep && jobs.undoesWhole()) {
    c.succeed = c.replaced = 0;
    ui.log("   ...Undone: none of this file's records was kept.");
  }
  ui.log("   ..." + transferCountersLine(c, o.replaceDuplicates));
  out.total.succeed += c.succeed;
  out.total.duplicate += c.duplicate;
  out.total.replaced += c.replaced;
  out.total.filterOut += c.filterOut;
  if (failed) ++out.failedFiles;
  return !out.cancelled;
}

}  // namespace

std::vector<std::string> transferConfirmation(const TransferOptions& o, const std::string& libraryPath) {
  std::vector<std::string> lines = {
      "The Transfer operation will read part records from the 'Input Filespec' files,",
      "then add these part records to the 'Target Library File'.",
      "Select OK to do the following Transfer:",
      strprintf("- Input Filespec: '%s'", o.inputSpec.c_str()),
      strprintf("- Target Library File: '%s'", libraryPath.c_str()),
      strprintf("- Replace Duplicate Records: %s%s", yesNo(o.replaceDuplicates),
                o.replaceDuplicates ? "  (PLEASE BE CAREFUL!)" : ""),
      strprintf("- Clear Reference Designator: %s", yesNo(o.clearRefDes)),
      strprintf("- Clear LCN: %s", yesNo(o.clearLcn)),
      strprintf("- Set Quantity=1: %s", yesNo(o.setQuantityOne)),
  };
  for (std::string& line : o.filters.lines()) lines.push_back(std::move(line));
  return lines;
}

std::string transferCountersLine(const TransferCounters& c, bool replace) {
  return replace ? strprintf("Succeed:%ld  ReplaceDuplicatePN:%ld  FilterOut:%ld", c.succeed, c.replaced, c.filterOut)
                 : strprintf("Succeed:%ld  DuplicatePN:%ld  FilterOut:%ld", c.succeed, c.duplicate, c.filterOut);
}

bool readInputFile(FileSystem& fs, const std::string& path, Ui& ui, std::unique_ptr<CCircDoc>& doc) {
  if (Status s = loadDocument(fs, path, doc); !s) {
    ui.log("   ...Error: can not open.");
    ui.log("   ..." + oneLine(s.message()));
    return false;
  }
  return true;
}

TransferOutcome runTransfer(PartLibrary& lib, const TransferOptions& o, FileSystem& fs, Ui& ui,
                            OpenDocuments& open) {
  TransferOutcome out;
  const auto lines = transferConfirmation(o, lib.path());
  for (std::size_t i = 3; i < lines.size(); ++i) ui.log(lines[i]);
  ui.log(strprintf("Searching input filespec '%s'...", o.inputSpec.c_str()));
  const auto files = matchingFiles(o.inputSpec);
  if (files.empty()) ui.log("...no matching files found.");
  for (const std::string& path : files) {
    ui.log(strprintf("Opening '%s'...", path.c_str()));
    ++out.files;
    // A window's document holds the records its user sees, saved or not.
    CCircDoc* doc = open.find(path);
    std::unique_ptr<CCircDoc> loaded;
    if (doc == nullptr) {
      if (!readInputFile(fs, path, ui, loaded)) {
        ++out.failedFiles;
        continue;
      }
      doc = loaded.get();
    }
    ui.progressLine(2, path);
    ui.log(strprintf("   ...transferring %d records to '%s'...", static_cast<int>(doc->count()), lib.path().c_str()));
    // The circuit document is closed without saving: it is only read.
    if (!transferFile(lib, o, *doc, ui, out)) break;
  }
  ui.clearProgress();
  return out;
}

}  // namespace kestrel::library
