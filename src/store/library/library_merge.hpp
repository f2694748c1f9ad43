// Merge of one library into another, and the check of a library file.
#pragma once

#include <string>
#include <vector>

#include "store/library/part_library.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::library {

struct LibraryMergeOutcome {
  StoreCounters counters;  // succeed and duplicate (skipped)
  bool ok = false;
  bool cancelled = false;
};

// "Merge '%s' into '%s'?"
std::string libraryMergeQuestion(const std::string& input, const std::string& into);
// Adds every record of the input library (in list order) to `into`; a part
// number it holds already is skipped. Log lines go through the Ui.
LibraryMergeOutcome mergeLibrary(PartLibrary& into, const std::string& inputPath, Ui& ui);

struct LibraryCheckReport {
  std::vector<std::string> faults;
  long records = 0;
  bool clean() const { return faults.empty(); }
};

// The store check with the library's record layout, then every record:
// its part must rebuild and match its keys; every index holds one entry per
// record. False when the file can not be checked at all (faults says why).
bool checkLibrary(const std::string& path, LibraryCheckReport& report);

}  // namespace kestrel::library
