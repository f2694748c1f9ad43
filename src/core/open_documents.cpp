#include "core/open_documents.hpp"

#include "core/circ_doc.hpp"
#include "core/document_sub_files.hpp"

namespace kestrel {
namespace {

class NoOpenDocuments final : public OpenDocuments {
 public:
  CCircDoc* find(const std::string&) override { return nullptr; }
  void changed(CCircDoc&) override {}
};

}  // namespace

OpenDocuments& OpenDocuments::none() {
  static NoOpenDocuments table;
  return table;
}

CCircDoc* findOpenDocument(const std::vector<CCircDoc*>& docs, const std::string& path) {
  if (path.empty()) return nullptr;
  // A record may name its file in another case than the one it is stored under.
  std::string error;
  const std::string stored = DocumentSubFiles::resolveCase(path, error);
  for (CCircDoc* doc : docs) {
    if (doc == nullptr || doc->path().empty()) continue;
    if (DocumentSubFiles::sameFile(doc->path(), path) ||
        (!stored.empty() && DocumentSubFiles::sameFile(doc->path(), stored))) {
      return doc;
    }
  }
  return nullptr;
}

void ListedOpenDocuments::changed(CCircDoc& doc) { doc.setModified(true); }

}  // namespace kestrel
