// Placeholder until the database home is built.
#include "store/library/header_texts.hpp"
#include "store/library/pg/pg_library.hpp"
#include "store/library/pg/pg_xref.hpp"

namespace kestrel::library {
namespace {
StoreMessage notYet(const std::string& name, const char* what) {
  return {quoted(name), what, "libraries in databases are not available yet", StatusCode::Failed};
}
}  // namespace

std::unique_ptr<PartLibrary> createPgLibrary(const std::string& name, const LibraryLocation&, StoreMessage& error) {
  error = notYet(name, "Can not create library file");
  return nullptr;
}
std::unique_ptr<PartLibrary> openPgLibrary(const std::string& name, const LibraryLocation&, bool, StoreMessage& error) {
  error = notYet(name, "Can not open library file");
  return nullptr;
}
std::unique_ptr<XRefFile> createPgXRef(const std::string& name, const LibraryLocation&, StoreMessage& error) {
  error = notYet(name, "Can not create cross-reference file");
  return nullptr;
}
std::unique_ptr<XRefFile> openPgXRef(const std::string& name, const LibraryLocation&, bool, StoreMessage& error) {
  error = notYet(name, "Can not open cross-reference file");
  return nullptr;
}
Status removePgLibrary(const std::string& name, const LibraryLocation&) {
  return Status::error(StatusCode::Failed, quoted(name) + ": libraries in databases are not available yet");
}
}  // namespace kestrel::library
