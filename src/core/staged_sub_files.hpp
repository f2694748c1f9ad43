// Sub-files held in memory for a whole run over a hierarchy (a calculation
// or a What-If?): a save only marks a child to be written, a file reached
// again is the same document, and when the run has succeeded every marked
// file is written together with the top document, all or none. A child
// open in a window is changed there instead (marked modified, never
// written), or, for a run on copies, read from a copy of the window's
// document. Each child read from its file is locked from before it is read
// until the run ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/document_lock.hpp"
#include "core/document_sub_files.hpp"
#include "core/file_system.hpp"

namespace kestrel {

// A document's total failure rate before and after a run.
struct DocumentTotals {
  std::string path;
  bool calculatedBefore = false;  // the stored total was current
  double before = 0.0;
  double after = 0.0;
};

class StagedSubFiles final : public SubFileAccess {
 public:
  // `copyOpen`: the documents `open` holds are copied, never changed.
  explicit StagedSubFiles(FileSystem& fs, OpenDocuments& open = OpenDocuments::none(), bool copyOpen = false)
      : fs_(fs), files_(fs, open), copyOpen_(copyOpen) {}

  Opened open(const std::string& path, bool keepFiles, Ui& ui) override;
  bool save(CCircDoc& doc, Ui& ui) override;
  void refreshViews(CCircDoc& doc) override { files_.refreshViews(doc); }

  // Writes every marked child, in the order first reached, and then `top`
  // (when given), all or none. The paths written are added to `saved`;
  // on failure the message is shown and no file has changed.
  bool commit(CCircDoc* top, Ui& ui, std::vector<std::string>& saved);

  // Each child's total before the run and now, in the order first reached.
  void addTotals(std::vector<DocumentTotals>& totals) const;

 private:
  struct Staged {
    std::unique_ptr<CCircDoc> doc;
    DocumentLock lock;
    std::vector<std::string> names;  // upper-cased names it was asked by
    bool changed = false;
    bool calculatedBefore = false;
    double before = 0.0;
  };
  Staged* find(const std::string& upperName);

  FileSystem& fs_;
  DocumentSubFiles files_;
  bool copyOpen_;
  std::vector<Staged> staged_;  // in the order first reached
};

}  // namespace kestrel
