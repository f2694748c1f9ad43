#include "cli/doc_io.hpp"

#include <iostream>

#include "core/circ_file.hpp"

namespace kestrel::cli {

void fileMessage(const std::string& path, const std::string& text) {
  std::string flat;
  for (char c : text) flat += c == '\n' ? ' ' : c;
  std::cerr << "kestrel: '" << path << "': " << flat << '\n';
}

std::unique_ptr<CCircDoc> openDocument(const std::string& path) {
  std::unique_ptr<CCircDoc> doc;
  if (Status s = loadDocument(posixFileSystem(), path, doc); !s) {
    fileMessage(path, s.message());
    return nullptr;
  }
  return doc;
}

bool lockForChange(const std::string& path, DocumentLock& lock) {
  if (Status s = lockDocument(posixFileSystem(), path, lock); !s) {
    std::cerr << "kestrel: " << s.message() << '\n';
    return false;
  }
  return true;
}

bool saveDocumentTo(CCircDoc& doc, const std::string& path) {
  if (Status s = saveDocument(posixFileSystem(), doc, path); !s) {
    fileMessage(path, s.message());
    return false;
  }
  return true;
}

}  // namespace kestrel::cli
