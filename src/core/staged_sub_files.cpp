#include "core/staged_sub_files.hpp"

#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {

StagedSubFiles::Staged* StagedSubFiles::find(const std::string& upperName) {
  for (Staged& s : staged_) {
    for (const std::string& name : s.names) {
      if (name == upperName) return &s;
    }
  }
  return nullptr;
}

SubFileAccess::Opened StagedSubFiles::open(const std::string& path, bool keepFiles, Ui& ui) {
  const std::string asked = upperCased(path);
  if (Staged* s = find(asked)) return {s->doc.get(), nullptr, false};
  DocumentLock lock;
  std::string error;
  if (const std::string found = DocumentSubFiles::resolveCase(path, error); !found.empty()) {
    if (Status s = lockDocument(fs_, found, lock); !s) {
      ui.message(s.message());
      return {};
    }
  }
  Opened opened = files_.open(path, keepFiles, ui);
  if (opened.doc != nullptr && opened.wasAlreadyOpen && copyOpen_) {
    // A run on copies reads what the window shows and leaves it alone.
    auto copy = std::make_unique<CCircDoc>(opened.doc->kind());
    if (Status s = decodeDocument(encodeDocument(*opened.doc), opened.doc->kind(), *copy); !s) {
      ui.message("'" + opened.doc->path() + "': " + s.message());
      return {};
    }
    copy->setPath(opened.doc->path());
    copy->setTitle(opened.doc->title());
    opened = {copy.get(), std::move(copy), false};
  }
  if (!opened.owned) return opened;
  // A record may name the file in another case than the one it is stored
  // under: both names lead to the one document.
  const std::string stored = upperCased(opened.owned->path());
  if (Staged* s = find(stored)) {
    s->names.push_back(asked);
    return {s->doc.get(), nullptr, false};
  }
  Staged& s = staged_.emplace_back();
  s.names = {asked, stored};
  s.calculatedBefore = (opened.owned->header().CalcFlags & HeaderBasicDone) != 0;
  s.before = opened.owned->header().TotalFR;
  s.doc = std::move(opened.owned);
  s.lock = std::move(lock);
  return {s.doc.get(), nullptr, false};
}

bool StagedSubFiles::save(CCircDoc& doc, Ui&) {
  for (Staged& s : staged_) {
    if (s.doc.get() == &doc) s.changed = true;
  }
  return true;
}

bool StagedSubFiles::commit(CCircDoc* top, Ui& ui, std::vector<std::string>& saved) {
  std::vector<CCircDoc*> docs;
  for (Staged& s : staged_) {
    if (s.changed) docs.push_back(s.doc.get());
  }
  if (top != nullptr) docs.push_back(top);
  std::vector<FileWrite> writes;
  std::vector<DocumentLock> locks(docs.size());  // the children's are held already: taken again at no cost
  for (std::size_t i = 0; i < docs.size(); ++i) {
    if (Status s = lockDocument(fs_, docs[i]->path(), locks[i]); !s) {
      ui.message(s.message() + "\nNo file was changed.");
      return false;
    }
  }
  for (CCircDoc* doc : docs) {
    if (Status s = checkExtension(doc->path(), requiredExtension(doc->kind())); !s) {
      ui.message("'" + doc->path() + "': " + s.message());
      return false;
    }
    writes.push_back({doc->path(), encodeDocument(*doc)});
  }
  if (Status s = saveAllWithBackup(fs_, writes); !s) {
    ui.message(s.message() + "\nNo file was changed.");
    return false;
  }
  for (CCircDoc* doc : docs) {
    doc->setModified(false);
    saved.push_back(doc->path());
  }
  return true;
}

void StagedSubFiles::addTotals(std::vector<DocumentTotals>& totals) const {
  for (const Staged& s : staged_) {
    totals.push_back({s.doc->path(), s.calculatedBefore, s.before, s.doc->header().TotalFR});
  }
}

}  // namespace kestrel
