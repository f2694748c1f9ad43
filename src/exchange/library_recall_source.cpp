#include "exchange/library_recall_source.hpp"

#include "core/keywords/keyword_reader.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "store/library/recall.hpp"

namespace kestrel {

std::unique_ptr<LibraryRecallSource> LibraryRecallSource::open(const std::string& libraryPath,
                                                               const std::string& xrefPath, bool xrefMoveBoth,
                                                               Ui& ui, ImportLogFn log) {
  std::unique_ptr<LibraryRecallSource> s(new LibraryRecallSource(ui, std::move(log)));
  s->moveBoth_ = xrefMoveBoth;
  library::StoreMessage error;
  s->lib_ = library::PartLibrary::open(libraryPath, false, error);
  if (!s->lib_) {
    s->log("   ...Error: Can not open recall library file: " + library::oneLine(error.text()));
    return nullptr;
  }
  if (!xrefPath.empty()) {
    s->xref_ = library::XRefFile::open(xrefPath, false, error);
    if (!s->xref_) {
      s->log("   ...Error: Can not open cross-reference file: " + library::oneLine(error.text()));
      return nullptr;
    }
  }
  return s;
}

std::unique_ptr<CPart> LibraryRecallSource::recall(KeywordReader& reader, bool hybrid, long recordNumber) {
  std::string number;
  bool byPn2 = false;
  if (!reader.readText("PN", number, library::kNumberLength)) return nullptr;
  if (trimmed(number).empty()) {
    if (!reader.readText("PN2", number, library::kNumberLength)) return nullptr;
    byPn2 = true;
  }
  if (trimmed(number).empty()) return nullptr;  // nothing to recall by
  // The input number may be a cross-reference number standing for a library one.
  std::string libNumber = number;
  bool viaXRef = false;
  if (xref_) {
    library::XRefEntry entry;
    if (xref_->findPn(number, entry) == library::Outcome::Ok) {
      libNumber = entry.xref.libPn;
      viaXRef = true;
    }
  }
  std::unique_ptr<CPart> part;
  if (library::recallByNumber(*lib_, libNumber, hybrid, true, ui_, part) != library::Recalled::Found || !part) {
    log(strprintf(byPn2 ? "   ...PN2='%s' not found in library (R%ld)..." : "   ...PN='%s' not found in library (R%ld)...",
                  number.c_str(), recordNumber));
    log("   ...will try to create part based on input part type...");
    return nullptr;
  }
  if (viaXRef) {
    if (moveBoth_) {
      part->PN2 = part->PN;  // the library number moves to PN2
      part->PN = number;
    } else {
      part->PN2 = number;
    }
  }
  return part;
}

}  // namespace kestrel
