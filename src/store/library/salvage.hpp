// Salvage of damaged libraries and cross-reference files. The store's scan
// (store/salvage_scan.hpp) finds every whole copy of every record by reading
// the file block by block; here each copy is judged as the file's own reader
// would: the record parses with the file's layout, its object decodes and
// its key fields are the object's. One copy is kept per record number (a
// copy the tree reaches before an orphan, an orphan before a freed block)
// and one record per part number (or cross-reference number).
//
// Recovery writes the kept records into a new file of the same kind through
// the ordinary add, with the old header texts; the damaged file is only read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
#include "store/salvage_scan.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::library {

// A record the scan saw but could not keep.
struct LostRecord {
  std::int32_t record = 0;
  std::int32_t node = -1;
  std::string why;
};

template <typename Entry>
struct Salvaged {
  std::vector<Entry> entries;     // intact records by record number
  std::vector<LostRecord> lost;   // damaged records by record number
  long unaccounted = 0;           // records the header counts that left no trace
  long duplicates = 0;            // second copies of a record or of its number
  HeaderTexts texts;              // the header texts, where they could be read
  bool textsFound = false;
  long lostCount() const { return static_cast<long>(lost.size()) + unaccounted; }
};

// Judges the copies of a scan of `path`.
void judgeLibrary(const store::SalvageScan& scan, const std::string& path, Salvaged<LibEntry>& out);
void judgeXRef(const store::SalvageScan& scan, const std::string& path, Salvaged<XRefEntry>& out);
// Scans an open file and judges what it holds; false when it can not be read.
bool salvageOpenFile(PartLibrary& lib, Salvaged<LibEntry>& out);
bool salvageOpenFile(XRefFile& xref, Salvaged<XRefEntry>& out);

// "'%s' R%ld (node %d): %s"
std::string lostRecordLine(const std::string& path, const LostRecord& lost);

enum class KeyedKind { Library, XRef };

struct RecoverOutcome {
  bool ok = false;  // the new file was written (records may still be lost)
  KeyedKind kind = KeyedKind::Library;
  long kept = 0;
  long lost = 0;
  long duplicates = 0;
  std::vector<std::string> lostLines;  // one per lost record, naming file and record
  Status failure = Status::ok();       // why no new file was written
};

// "Kept:%ld  Lost:%ld  Duplicates:%ld"
std::string recoverSummary(const RecoverOutcome& out);

// Writes every intact record of `damaged` into the new file `output` (a
// library or a cross-reference file, as `damaged` is). An existing output is
// refused unless `replaceOutput`; the output is never the damaged file.
// Progress goes through the Ui (log lines, a progress line, the cancel
// poll: "Cancel recovery?"); a cancelled or failed run leaves no output.
RecoverOutcome recoverKeyedFile(const std::string& damaged, const std::string& output, bool replaceOutput, Ui& ui,
                                store::StoreFileSystem* fs = nullptr);

}  // namespace kestrel::library
