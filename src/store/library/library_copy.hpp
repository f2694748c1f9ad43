// The copy of a whole library (or cross-reference list) into a new one,
// between any two homes: a file, a database, either way. Record for record
// in list order, each part checked to decode and written with its stored
// bytes, number, PN2, type, flag and time stamp as they were, so the new
// library is the old one moved, not rebuilt. The copy is one job on the new
// library: a failure or a cancel leaves nothing half-made behind.
#pragma once

#include <string>

#include "core/status.hpp"
#include "store/store_file.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::library {

struct CopyOutcome {
  bool ok = false;
  bool cancelled = false;
  long copied = 0;  // records written into the new library (0 again when it was undone)
  long records = 0;  // records the source holds
  // What stopped the copy, naming the library and the record.
  Status failure = Status::ok();
  // The new library could not be taken away after a failure (a database
  // keeps the empty library it made): the address, for the user to drop.
  std::string leftBehind;
};

// "Copied:%ld  Records:%ld"
std::string copySummary(const CopyOutcome& out);

// Copies the library `source` into the new library `target` (which must not
// exist). Log lines, progress and the question "Cancel copy?" go through
// the Ui. `fs` serves files only.
CopyOutcome copyLibrary(const std::string& source, const std::string& target, Ui& ui,
                        store::StoreFileSystem* fs = nullptr);
// The same for cross-reference lists.
CopyOutcome copyXRef(const std::string& source, const std::string& target, Ui& ui,
                     store::StoreFileSystem* fs = nullptr);

}  // namespace kestrel::library
