#include "core/stale_results.hpp"

#include <algorithm>
#include <cmath>

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// The record holds the child's total as a 32-bit float: compare at that
// precision, allowing for the rounding of one conversion.
bool sameStoredRate(float stored, double childTotal) {
  const float child = static_cast<float>(childTotal);
  const float scale = std::max({std::fabs(stored), std::fabs(child), 1e-6f});
  return std::fabs(stored - child) <= scale * 1e-5f;
}

const char* reasonFor(FileSystem& fs, OpenDocuments& open, const CCircDoc& doc, const CPart& part) {
  std::string error;
  const std::string path = DocumentSubFiles::childFile(doc.path(), part, error);
  if (path.empty()) return "missing";
  if (const CCircDoc* held = open.find(path)) return subFileMismatch(part, held->header());
  CCircHeader child;
  const DocKind kind = part.PART_TYPE == kSubCircuitType ? DocKind::Circuit : DocKind::Hybrid;
  if (!loadDocumentHeader(fs, path, kind, child)) return "missing";
  return subFileMismatch(part, child);
}

}  // namespace

const char* subFileMismatch(const CPart& record, const CCircHeader& child) {
  const bool recordDone = (record.CalcFlags & PartBasicDone) != 0;
  const bool childDone = (child.CalcFlags & HeaderBasicDone) != 0;
  if (!childDone) return recordDone ? "not calculated" : nullptr;
  if (!recordDone || !sameStoredRate(record.SubFR, child.TotalFR)) return "changed";
  return nullptr;
}

std::vector<StaleRecord> staleSubFileRecords(FileSystem& fs, const CCircDoc& doc, OpenDocuments& open) {
  std::vector<StaleRecord> stale;
  if ((doc.header().CalcFlags & HeaderBasicDone) == 0) return stale;
  for (std::size_t i = 0; i < doc.count(); ++i) {
    const CPart& part = doc.record(i);
    if (part.PART_TYPE != kSubCircuitType && part.PART_TYPE != kSubHybridType) continue;
    if (const char* reason = reasonFor(fs, open, doc, part)) stale.push_back({i + 1, part.PN, part.FileName, reason});
  }
  return stale;
}

std::string notCurrentText(const std::vector<StaleRecord>& stale) {
  std::string list;
  for (const StaleRecord& r : stale) {
    if (!list.empty()) list += ", ";
    list += strprintf("rec#%d '%s' %s", static_cast<int>(r.record), r.file.c_str(), r.reason.c_str());
  }
  return "NOT CURRENT: sub-file results out of date (" + list + "); recalculate.";
}

}  // namespace kestrel
