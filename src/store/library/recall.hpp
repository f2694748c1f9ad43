// Recall: a new circuit record filled from a library record found by part
// number, by PN2, through a cross-reference number, or (when allowed) by an
// outside part-number decoder that builds a part from a coded number.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "core/status.hpp"
#include "store/library/part_library.hpp"

namespace kestrel {
class CCircDoc;
class CPart;
class Ui;
}  // namespace kestrel

namespace kestrel::library {

class XRefFile;

// Builds a part from a number the library does not hold; null when it can not.
using PartNumberDecoder = std::function<std::unique_ptr<CPart>(std::string_view number, bool hybrid)>;

enum class Recalled {
  Found,
  NotFound,
  HybridMismatch,  // found only with the other hybrid flag
  Failed,          // a read error (shown), or the decoder's failure
};

// The library's recall by number: part number (exact), then PN2 (exact),
// then the decoder when one is given. A record of the other hybrid flag
// shows "PN='%.25s' found...\n...can not recall: hybrid mis-match." (or the
// PN2 form) unless `quiet`.
Recalled recallByNumber(PartLibrary& lib, std::string_view number, bool hybrid, bool quiet, Ui& ui,
                        std::unique_ptr<CPart>& part, const PartNumberDecoder& decoder = {});

// What to do with the cross-reference number of a part recalled through it.
enum XRefMove : int { kXRefMoveNone = 0, kXRefToPnLibToPn2 = 1, kXRefToPn2 = 2 };

struct RecallSettings {
  std::string libFile;
  bool searchXRef = false;
  std::string xrefFile;
  int xrefMove = kXRefMoveNone;
};

// One number recalled the way the circuit editor does it: from the library,
// then, when `xref` is given and the library lacks it, through the
// cross-reference file to its library number, with `xrefMove` applied to the
// recalled part.
Recalled recallThroughXRef(PartLibrary& lib, XRefFile* xref, std::string_view number, bool hybrid, int xrefMove,
                           Ui& ui, std::unique_ptr<CPart>& part, const PartNumberDecoder& decoder = {});

struct RecallRequest {
  std::string number;
  std::string refdes;  // empty: keep the library's designator
};

struct RecallCounters {
  long recalled = 0;
  long notFound = 0;
  long refused = 0;  // hybrid mis-match, wrong kind, list full, read errors
};

// Recalls each number into the document: the recalled part takes the
// designator asked for, is calculated and goes in sort order. The library
// (and the cross-reference file) are opened read-only for the batch.
// Fails only when a file can not be opened (message shown).
Status recallIntoDocument(CCircDoc& doc, const RecallSettings& settings, std::span<const RecallRequest> requests,
                          Ui& ui, RecallCounters& counters, const PartNumberDecoder& decoder = {});

// The same into the circuit or hybrid file `path`: into the window's
// document when `open` holds it (marked modified and shown again, not
// saved), else into the file, which is saved when a part was recalled.
Status recallIntoFile(const std::string& path, FileSystem& fs, const RecallSettings& settings,
                      std::span<const RecallRequest> requests, Ui& ui, RecallCounters& counters,
                      const PartNumberDecoder& decoder = {}, OpenDocuments& open = OpenDocuments::none());

// "Recalled:%ld  NotFound:%ld  Refused:%ld".
std::string recallCountersLine(const RecallCounters& counters);

}  // namespace kestrel::library
