// Sub-file access over real files: finds a child among the documents that are
// open already, or loads it from its path, and saves children the safe way.
//
// Names are compared upper-cased; on a case-sensitive file system a child
// stored as "BOARD1.CIR" is found as "board1.cir" too: the name as given
// first, else the one file of its folder whose name matches ignoring case
// (two such files is an error naming both).
#pragma once

#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"

namespace kestrel {

class DocumentSubFiles final : public SubFileAccess {
 public:
  explicit DocumentSubFiles(FileSystem& fs) : fs_(fs) {}

  // Documents the user has open (the desktop application's); they are used
  // in place instead of being read again.
  void addOpenDocument(CCircDoc* doc) { open_.push_back(doc); }

  Opened open(const std::string& path, bool keepFiles, Ui& ui) override;
  bool save(CCircDoc& doc, Ui& ui) override;

  // The path of an existing file named `path` ignoring the case of its file
  // name; "" with `error` set when there is none or more than one.
  static std::string resolveCase(const std::string& path, std::string& error);

 private:
  FileSystem& fs_;
  std::vector<CCircDoc*> open_;
};

}  // namespace kestrel
