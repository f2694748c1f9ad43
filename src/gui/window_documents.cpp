#include "gui/window_documents.hpp"

#include "gui/circuit_window.hpp"

namespace kestrel::gui {

CCircDoc* WindowDocuments::find(const std::string& path) {
  std::vector<CCircDoc*> docs;
  for (CircuitWindow* w : windows_()) docs.push_back(&w->document());
  return findOpenDocument(docs, path);
}

void WindowDocuments::changed(CCircDoc& doc) {
  doc.setModified(true);
  for (CircuitWindow* w : windows_()) {
    if (&w->document() == &doc) w->documentChanged();
  }
}

}  // namespace kestrel::gui
