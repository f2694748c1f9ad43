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
#include "core/open_documents.hpp"

namespace kestrel {

class DocumentSubFiles final : public SubFileAccess {
 public:
  // Documents `open` holds (the desktop application's windows) are used in
  // place instead of being read again.
  explicit DocumentSubFiles(FileSystem& fs, OpenDocuments& open = OpenDocuments::none()) : fs_(fs), open_(open) {}

  Opened open(const std::string& path, bool keepFiles, Ui& ui) override;
  bool save(CCircDoc& doc, Ui& ui) override;
  // A child found open was calculated in memory: its window shows it again.
  void refreshViews(CCircDoc& doc) override { open_.changed(doc); }

  // The path of an existing file named `path` ignoring the case of its file
  // name; "" with `error` set when there is none (`why` NotFound) or more
  // than one.
  static std::string resolveCase(const std::string& path, std::string& error, StatusCode* why = nullptr);

  // The file a sub-circuit or sub-hybrid record of the document at
  // `parentPath` stands for, found as the calculation finds it (the parent's
  // folder, the record's file name, its case ignored); "" with `error` set
  // for another kind of record, a record naming no file, a parent that has
  // no path yet, or a file that is not there.
  static std::string childFile(const std::string& parentPath, const CPart& record, std::string& error);

  // Whether two names lead to the same file (same device and inode; the
  // names compared when either can not be asked).
  static bool sameFile(const std::string& a, const std::string& b);

 private:
  FileSystem& fs_;
  OpenDocuments& open_;
};

}  // namespace kestrel
