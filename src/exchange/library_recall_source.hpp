// The LibraryRecall record mode of an import: each input record's PN (or,
// without one, its PN2) is looked up in the cross-reference file first when
// one is given, then recalled from the library with all its parameters. A
// number not found is logged and the record falls back to its input part
// type. The files are opened read-only for the whole file run.
#pragma once

#include <memory>
#include <string>

#include "core/ui.hpp"
#include "exchange/import_target.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel {

class LibraryRecallSource {
 public:
  // Null (logged) when the library or the cross-reference file can not be opened.
  static std::unique_ptr<LibraryRecallSource> open(const std::string& libraryPath, const std::string& xrefPath,
                                                   bool xrefMoveBoth, Ui& ui, ImportLogFn log);
  // The recalled part, or null after logging the fall-back.
  std::unique_ptr<CPart> recall(KeywordReader& reader, bool hybrid, long recordNumber);
  // As a target's part source (this object must outlive the target's run).
  PartSource source() {
    return [this](KeywordReader& r, bool hybrid, long n) { return recall(r, hybrid, n); };
  }

 private:
  LibraryRecallSource(Ui& ui, ImportLogFn log) : ui_(ui), log_(std::move(log)) {}
  void log(const std::string& line) const { log_(line); }

  Ui& ui_;
  ImportLogFn log_;
  bool moveBoth_ = false;
  std::unique_ptr<library::PartLibrary> lib_;
  std::unique_ptr<library::XRefFile> xref_;
};

}  // namespace kestrel
