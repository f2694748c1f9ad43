#include "store/library/recall.hpp"

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {
namespace {

// One index's look-up: Found, NotFound, HybridMismatch or Failed.
Recalled lookUp(PartLibrary& lib, std::string_view number, bool hybrid, bool byPn2, bool quiet, Ui& ui,
                std::unique_ptr<CPart>& part) {
  LibEntry entry;
  const Outcome o = byPn2 ? lib.findPn2(number, entry) : lib.findPn(number, entry);
  if (o == Outcome::NotFound) return Recalled::NotFound;
  if (o == Outcome::Ok && (entry.hybrid != 0) != hybrid) {
    if (!quiet) {
      ui.message(strprintf(byPn2 ? "PN2='%.25s' found...\n" : "PN='%.25s' found...\n", std::string(number).c_str()) +
                 "...can not recall: hybrid mis-match.");
    }
    return Recalled::HybridMismatch;
  }
  if (o == Outcome::Ok && lib.partOf(entry, hybrid, part)) return Recalled::Found;
  ui.message(std::string(byPn2 ? "Can not recall record by PN2" : "Can not recall record by PN") + "\n" +
             lib.error().text());
  return Recalled::Failed;
}

}  // namespace

Recalled recallByNumber(PartLibrary& lib, std::string_view number, bool hybrid, bool quiet, Ui& ui,
                        std::unique_ptr<CPart>& part, const PartNumberDecoder& decoder) {
  part.reset();
  const std::string key = cut(number, kNumberLength);
  Recalled byPn = lookUp(lib, key, hybrid, false, quiet, ui, part);
  if (byPn == Recalled::Found || byPn == Recalled::Failed) return byPn;
  const Recalled byPn2 = lookUp(lib, key, hybrid, true, quiet, ui, part);
  if (byPn2 == Recalled::Found || byPn2 == Recalled::Failed) return byPn2;
  if (decoder) {
    part = decoder(number, hybrid);
    if (part && part->isHybridPart() == hybrid) return Recalled::Found;
    part.reset();
    return Recalled::Failed;
  }
  return byPn == Recalled::HybridMismatch || byPn2 == Recalled::HybridMismatch ? Recalled::HybridMismatch
                                                                              : Recalled::NotFound;
}

Recalled recallThroughXRef(PartLibrary& lib, XRefFile* xref, std::string_view number, bool hybrid, int xrefMove,
                           Ui& ui, std::unique_ptr<CPart>& part, const PartNumberDecoder& decoder) {
  const Recalled r = recallByNumber(lib, number, hybrid, false, ui, part, decoder);
  if (r != Recalled::NotFound || xref == nullptr) return r;
  XRefEntry entry;
  const Outcome o = xref->findPn(cut(number, kNumberLength), entry);
  if (o == Outcome::Failed) ui.message("Can not get record by XRef PN\n" + xref->error().text());
  if (o != Outcome::Ok) return r;
  const Recalled viaXRef = recallByNumber(lib, entry.xref.libPn, hybrid, false, ui, part, decoder);
  if (viaXRef == Recalled::Found && xrefMove == kXRefToPnLibToPn2) {
    part->PN2 = part->PN;
    part->PN = entry.xref.pn;
  } else if (viaXRef == Recalled::Found && xrefMove == kXRefToPn2) {
    part->PN2 = entry.xref.pn;
  }
  return viaXRef;
}

Status recallIntoDocument(CCircDoc& doc, const RecallSettings& settings, std::span<const RecallRequest> requests,
                          Ui& ui, RecallCounters& counters, const PartNumberDecoder& decoder) {
  StoreMessage error;
  auto lib = PartLibrary::open(settings.libFile, false, error);
  if (!lib) {
    ui.message("Can not open recall library file\n" + error.text());
    return Status::error(error.code, error.text());
  }
  std::unique_ptr<XRefFile> xref;
  if (settings.searchXRef) {
    xref = XRefFile::open(settings.xrefFile, false, error);
    if (!xref) {
      ui.message("Can not open cross-reference file\n" + error.text());
      return Status::error(error.code, error.text());
    }
  }
  const bool hybrid = doc.isHybrid();
  std::vector<std::string> numbers;
  for (const RecallRequest& request : requests) numbers.push_back(cut(request.number, kNumberLength));
  lib->readAhead(numbers);
  for (const RecallRequest& request : requests) {
    const std::string number = cut(request.number, kNumberLength);
    std::unique_ptr<CPart> part;
    const Recalled r = recallThroughXRef(*lib, xref.get(), number, hybrid, settings.xrefMove, ui, part, decoder);
    if (r == Recalled::NotFound) {
      ++counters.notFound;
      ui.message(strprintf("RECALL: PN='%.25s' not found in '%s'.", number.c_str(), settings.libFile.c_str()));
      continue;
    }
    if (r != Recalled::Found) {
      ++counters.refused;
      continue;
    }
    if (!request.refdes.empty()) part->REFDES = request.refdes;
    // Add calculates the record and places it by (type id, PN, REFDES).
    if (!doc.addRecord(std::move(part), ui)) {
      ++counters.refused;
      continue;
    }
    ++counters.recalled;
  }
  return Status::ok();
}

Status recallIntoFile(const std::string& path, FileSystem& fs, const RecallSettings& settings,
                      std::span<const RecallRequest> requests, Ui& ui, RecallCounters& counters,
                      const PartNumberDecoder& decoder, OpenDocuments& open) {
  CCircDoc* doc = open.find(path);
  std::unique_ptr<CCircDoc> loaded;
  if (doc == nullptr) {
    if (Status s = loadDocument(fs, path, loaded); !s) return s;
    doc = loaded.get();
  }
  const long before = counters.recalled;
  if (Status s = recallIntoDocument(*doc, settings, requests, ui, counters, decoder); !s) return s;
  if (counters.recalled == before) return Status::ok();
  if (!loaded) {
    open.changed(*doc);
    return Status::ok();
  }
  return saveDocument(fs, *doc, path);
}

std::string recallCountersLine(const RecallCounters& c) {
  return strprintf("Recalled:%ld  NotFound:%ld  Refused:%ld", c.recalled, c.notFound, c.refused);
}

}  // namespace kestrel::library
