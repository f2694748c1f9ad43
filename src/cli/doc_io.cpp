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

const PartType* partTypeFor(const CCircDoc& doc, const std::string& name, const std::string& path) {
  const PartType* type = resolvePartType(name);
  if (type == nullptr) {
    fileMessage(path, "'" + name + "' is not a part type (a class, type id or menu name)");
    return nullptr;
  }
  if (doc.isHybrid() && !type->inHybridMenu) {
    fileMessage(path, std::string(type->menuName) + " parts can not be placed in a hybrid");
    return nullptr;
  }
  if (!PartRegistry::instance().isRegistered(type->id)) {
    fileMessage(path, std::string(type->menuName) + " parts are not available in this version");
    return nullptr;
  }
  return type;
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
