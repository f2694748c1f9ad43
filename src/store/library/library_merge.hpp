// Merge of one library (or cross-reference file) into another, and the
// check of a library or cross-reference file.
#pragma once

#include <string>
#include <vector>

#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
#include "store/store_check.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::library {

struct MergeOutcome {
  StoreCounters counters;  // succeed and duplicate (skipped)
  bool ok = false;
  bool cancelled = false;
};

// "Merge '%s' into '%s'?"
std::string libraryMergeQuestion(const std::string& input, const std::string& into);
// Adds every record of the input library (in list order) to `into`; a part
// number it holds already is skipped. Log lines go through the Ui. Merging
// a file into itself is refused ("self-reference").
MergeOutcome mergeLibrary(PartLibrary& into, const std::string& inputPath, Ui& ui);
// The same for cross-reference files: a cross-reference number `into`
// holds already is counted as DuplicatePN and skipped.
MergeOutcome mergeXRef(XRefFile& into, const std::string& inputPath, Ui& ui);

struct LibraryCheckReport {
  std::vector<std::string> faults;
  long records = 0;
  bool clean() const { return faults.empty(); }
};

// The store check with the library's record layout; every index holds one
// entry per record, in key order, each naming a record that reads and
// builds that key; then every part must rebuild and match its keys. False
// when the file can not be checked at all (faults says why).
bool checkLibrary(const std::string& path, LibraryCheckReport& report);
// What the store check needs to know of a library's records: the segments
// of its compound index 3 and its record layout.
store::CheckOptions libraryCheckOptions();
// The same for a cross-reference file.
bool checkXRefFile(const std::string& path, LibraryCheckReport& report);

}  // namespace kestrel::library
