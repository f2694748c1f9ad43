#include "graph/working_set.hpp"

#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel::graph {

void WorkingSet::add(std::unique_ptr<CCircDoc> doc) { docs_.push_back(std::move(doc)); }

CCircDoc* WorkingSet::find(const std::string& path) const {
  for (const auto& doc : docs_) {
    if (doc->path() == path) return doc.get();
  }
  const std::string wanted = upperCased(path);
  CCircDoc* found = nullptr;
  for (const auto& doc : docs_) {
    if (upperCased(doc->path()) != wanted) continue;
    if (found != nullptr) return nullptr;  // two copies differ only by case: neither is meant
    found = doc.get();
  }
  return found;
}

SubFileAccess::Opened WorkingSet::open(const std::string& path, bool, Ui& ui) {
  Opened opened;
  opened.doc = find(path);
  if (opened.doc == nullptr) ui.message("File does not exist.\n'" + path + "'");
  return opened;
}

bool WorkingSet::save(CCircDoc& doc, Ui&) {
  doc.setModified(false);
  return true;
}

}  // namespace kestrel::graph
