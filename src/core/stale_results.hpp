// Whether a document's sub-circuit and sub-hybrid results still match their
// children. A record keeps the child's total failure rate (`SubFR`) from the
// last calculation of the parent; when the child is changed and calculated
// on its own, or removed, the parent's totals are out of date although its
// own flags still say calculated. The check reads each child's header only
// and never writes anything.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"
#include "core/open_documents.hpp"

namespace kestrel {

struct StaleRecord {
  std::size_t record = 0;  // 1-based, in list order
  std::string PN;
  std::string file;    // the child as named by the record
  std::string reason;  // "changed", "not calculated" or "missing"
};

// Why a sub-file record's stored result no longer matches its child's
// stored totals ("changed" or "not calculated"); null when it matches.
const char* subFileMismatch(const CPart& record, const CCircHeader& child);

// The sub-file records of a calculated document whose stored result differs
// from the child's stored totals, or whose child can not be read. An
// uncalculated document gives none: it has no results to go out of date.
// A child open in a window (`open`) is compared as the window holds it.
std::vector<StaleRecord> staleSubFileRecords(FileSystem& fs, const CCircDoc& doc,
                                             OpenDocuments& open = OpenDocuments::none());

// "NOT CURRENT: sub-file results changed (rec#2 'BOARD.CIR' changed); recalculate."
std::string notCurrentText(const std::vector<StaleRecord>& stale);

}  // namespace kestrel
