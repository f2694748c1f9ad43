// The documents the user holds open in windows. A batch job (library update
// and transfer, import, project-tree edits, What-If?, merge, recall) asks
// here before it reads or writes a circuit or hybrid file: a file that a
// window holds is read from, and changed in, that window's document, never
// loaded again or written behind it. The command line holds none open.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

class CCircDoc;

class OpenDocuments {
 public:
  virtual ~OpenDocuments() = default;
  // The open document of the file `path` names: the same file by identity
  // (device and inode), whatever name either was opened by; null when none
  // holds it. A document that was never saved has no file and is not found.
  virtual CCircDoc* find(const std::string& path) = 0;
  // A job changed `doc` in memory: it is marked modified and its views
  // show it again.
  virtual void changed(CCircDoc& doc) = 0;

  // The empty table of the command line: nothing is open.
  static OpenDocuments& none();
};

// The document of `docs` that holds the file `path` names (see find above).
CCircDoc* findOpenDocument(const std::vector<CCircDoc*>& docs, const std::string& path);

// A table over a plain list of documents that have no views (a job handed
// its documents by its caller); changed() marks the document modified.
class ListedOpenDocuments final : public OpenDocuments {
 public:
  explicit ListedOpenDocuments(std::vector<CCircDoc*> docs = {}) : docs_(std::move(docs)) {}
  CCircDoc* find(const std::string& path) override { return findOpenDocument(docs_, path); }
  void changed(CCircDoc& doc) override;

 private:
  std::vector<CCircDoc*> docs_;
};

}  // namespace kestrel
