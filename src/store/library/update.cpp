// Update: circuit records rewritten from the library's records of the same
// part number. The records of a file are taken out, rebuilt, and put back
// in sort order, so the list stays sorted by (type id, PN, REFDES) whatever
// type or designator the library part brings. A file takes the new records
// (and is saved) only when its whole loop succeeded; a file open in a
// window is updated in the window's document and left to its user to save.
#include <deque>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/document_lock.hpp"
#include "core/document_sub_files.hpp"
#include "core/file_identity.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "store/library/transfer.hpp"

namespace kestrel::library {
namespace {

// The library part with the circuit record's own values for every option
// that is off.
void keepCircuitFields(const UpdateOptions& o, const CPart& old, CPart& part) {
  if (!o.pn2) part.PN2 = old.PN2;
  if (!o.refdes) part.REFDES = old.REFDES;
  if (!o.descr) part.DESCR = old.DESCR;
  if (!o.lcn) part.LCN = old.LCN;
  if (!o.quantity) part.QTY = old.QTY;
  if (!o.correctionFactor) part.CF = old.CF;
  if (!o.notes) {
    part.NOTESTITLE = old.NOTESTITLE;
    part.NOTES = old.NOTES;
  }
  if (!o.appParams && part.PART_TYPE == old.PART_TYPE) part.UpdateAppParams(old);
}

enum class FileResult { Done, Failed, Cancelled };

FileResult updateRecords(PartLibrary& lib, const UpdateOptions& o, CCircDoc& doc, Ui& ui, UpdateCounters& c) {
  std::vector<std::unique_ptr<CPart>> records;
  while (doc.count() > 0) records.push_back(doc.take(0));
  std::vector<std::unique_ptr<CPart>> updated(records.size());
  FileResult result = FileResult::Done;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const CPart& old = *records[i];
    if (!o.filters.passes(old)) {
      ++c.filterOut;
    } else {
      LibEntry entry;
      const Outcome found = lib.findPn(cut(old.PN, kNumberLength), entry);
      std::unique_ptr<CPart> part;
      if (found == Outcome::NotFound || (found == Outcome::Ok && entry.hybrid != old.IS_HYBRID)) {
        ++c.notFound;
      } else if (found != Outcome::Ok || !lib.partOf(entry, doc.isHybrid(), part)) {
        ui.log(strprintf("   ...Error: %s (rec#%d)...", "can not recall record", static_cast<int>(i + 1)));
        ui.log("   ..." + oneLine(lib.error().text()));
        result = FileResult::Failed;
        break;
      } else {
        keepCircuitFields(o, old, *part);
        part->Calculate(doc.header());
        updated[i] = std::move(part);
        ++c.updated;
      }
    }
    ui.progressLine(4, updateCountersLine(c));
    ui.progressBar(static_cast<int>(i + 1), static_cast<int>(records.size()));
    if (!ui.processEvents() || ui.cancelRequested()) {
      if (ui.confirm("Cancel update?")) {
        ui.log(strprintf("   ...Cancel (rec#%d)...", static_cast<int>(i + 1)));
        result = FileResult::Cancelled;
        break;
      }
      ui.clearCancel();
    }
  }
  // A file that failed or was cancelled keeps every record it had.
  for (std::size_t i = 0; i < records.size(); ++i) {
    doc.insertSorted(std::move(result == FileResult::Done && updated[i] ? updated[i] : records[i]));
  }
  return result;
}

}  // namespace

std::vector<std::string> updateConfirmation(const UpdateOptions& o, const std::string& libraryPath) {
  std::vector<std::string> lines = {
      "The Update operation will update part records in the 'Input Filespec' files,",
      "to match the current part record data in the 'Source Library File'.",
      "Select OK to do the following Update:",
      strprintf("- Input Filespec: '%s'", o.inputSpec.c_str()),
      strprintf("- Source Library File: '%s'", libraryPath.c_str()),
      strprintf("- Update PN2: %s", yesNo(o.pn2)),
      strprintf("- Update Reference Designator: %s", yesNo(o.refdes)),
      strprintf("- Update Description: %s", yesNo(o.descr)),
      strprintf("- Update LCN: %s", yesNo(o.lcn)),
      strprintf("- Update Quantity: %s", yesNo(o.quantity)),
      strprintf("- Update Correction Factor: %s", yesNo(o.correctionFactor)),
      strprintf("- Update Notes: %s", yesNo(o.notes)),
      strprintf("- Update Application-Specific Parameters: %s", yesNo(o.appParams)),
  };
  for (std::string& line : o.filters.lines()) lines.push_back(std::move(line));
  return lines;
}

std::string updateCountersLine(const UpdateCounters& c) {
  return strprintf("Update:%ld  NotFound:%ld  FilterOut:%ld", c.updated, c.notFound, c.filterOut);
}

UpdateOutcome runUpdate(PartLibrary& lib, const UpdateOptions& o, FileSystem& fs, Ui& ui, OpenDocuments& open) {
  UpdateOutcome out;
  const auto lines = updateConfirmation(o, lib.path());
  for (std::size_t i = 3; i < lines.size(); ++i) ui.log(lines[i]);
  ui.log(strprintf("Searching input filespec '%s'...", o.inputSpec.c_str()));
  const auto named = matchingFiles(o.inputSpec);
  if (named.empty()) ui.log("...no matching files found.");
  // Each file once, whatever the name it is reached by: a second update of
  // the same file would put the updated one in its backup.
  std::deque<std::string> queue;
  FileIdentitySet seen;
  for (const auto& p : named) {
    if (seen.insert(p)) queue.push_back(p);
  }
  while (!queue.empty()) {
    const std::string path = queue.front();
    queue.pop_front();
    ui.log(strprintf("Opening '%s'...", path.c_str()));
    ++out.files;
    CCircDoc* doc = open.find(path);
    const bool inWindow = doc != nullptr;
    const bool editedBefore = inWindow && doc->isModified();
    std::unique_ptr<CCircDoc> loaded;
    DocumentLock lock;  // a file is held from reading it until it is saved
    if (!inWindow) {
      if (Status s = lockDocument(fs, path, lock); !s) {
        ui.log("   ...Error: " + oneLine(s.message()));
        ++out.failedFiles;
        continue;
      }
      if (!readInputFile(fs, path, ui, loaded)) {
        ++out.failedFiles;
        continue;
      }
      doc = loaded.get();
    }
    ui.progressLine(2, path);
    ui.log(strprintf("   ...updating %d records using '%s'...", static_cast<int>(doc->count()), lib.path().c_str()));
    UpdateCounters c;
    const FileResult r = updateRecords(lib, o, *doc, ui, c);
    if (r == FileResult::Done && c.updated > 0) {
      doc->setModified(true);
      doc->header().CalcFlags = 0;
    }
    if (inWindow) {
      if (editedBefore) ui.log(strprintf("   ...WARNING: '%s' is open and has been modified...", path.c_str()));
      ui.log("   ...already open: updating view...");
      if (r == FileResult::Done && c.updated > 0) open.changed(*doc);
    } else if (r == FileResult::Done && c.updated > 0) {
      ui.log(strprintf("   ...saving '%s'...", path.c_str()));
      if (Status s = saveDocument(fs, *doc, path); !s) {
        ui.log("   ...Error: can not save...");
        ui.log("   ..." + oneLine(s.message()));
        ++out.failedFiles;
      } else {
        out.saved.push_back(path);
      }
    }
    if (r == FileResult::Failed) ++out.failedFiles;
    ui.log("   ..." + updateCountersLine(c));
    out.total.updated += c.updated;
    out.total.notFound += c.notFound;
    out.total.filterOut += c.filterOut;
    if (r == FileResult::Cancelled) {
      out.cancelled = true;
      break;
    }
    if (!o.recursive) continue;
    for (const auto& part : doc->records()) {
      if ((part->PART_TYPE != kSubCircuitType && part->PART_TYPE != kSubHybridType) || part->FileName.empty()) continue;
      // Found as the calculation finds it; a child not there fails to open by its name.
      std::string error;
      const std::string found = DocumentSubFiles::childFile(path, *part, error);
      const std::string child = found.empty() ? subFilePath(path, part->FileName) : found;
      if (seen.insert(child)) queue.push_back(child);
    }
  }
  ui.clearProgress();
  return out;
}

}  // namespace kestrel::library
