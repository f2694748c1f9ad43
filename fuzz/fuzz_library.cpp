// Fuzzes the library readers: the bytes as a part blob, as a cross-reference
// object, as a whole library file listed from first to last with every part
// rebuilt, as a whole cross-reference file listed and searched, and as a file
// salvaged block by block, every record judged as a library's and as a
// cross-reference's, as they arrive from damaged or hostile files. Every
// refusal must say which file it is about: one that does not stops the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/part.hpp"
#include "models/register_all.hpp"
#include "store/library/keyed_file.hpp"
#include "store/library/part_blob.hpp"
#include "store/library/part_library.hpp"
#include "store/library/salvage.hpp"
#include "store/library/xref.hpp"
#include "store/library/xref_file.hpp"
#include "store/memory_file.hpp"

namespace {

using namespace kestrel::library;

void requireNamed(const StoreMessage& message, const char* file) {
  if (!message.empty() && message.text().find(file) == std::string::npos) std::abort();
}

void listCrossReferences(const std::vector<std::uint8_t>& bytes) {
  kestrel::store::MemoryFileSystem fs;
  fs.put("fuzz.xrf", bytes);
  StoreMessage error;
  auto xrf = XRefFile::open("fuzz.xrf", false, error, &fs);
  requireNamed(error, "fuzz.xrf");
  if (!xrf) return;
  xrf->keyedFile()->store().SetLockTimeout(std::chrono::milliseconds(10));
  XRefEntry entry;
  Outcome o = xrf->first(entry);
  for (int i = 0; i < 200 && o == Outcome::Ok; ++i) {
    XRefEntry next;
    o = xrf->next(entry, next);
    entry = std::move(next);
  }
  (void)xrf->find("A", false, entry);
  (void)xrf->findLibPn("A", entry, kestrel::store::kFindEqualOrGreater);
  requireNamed(xrf->error(), "fuzz.xrf");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  static const bool registered = (registerAllParts(), true);
  (void)registered;
  const std::span<const std::uint8_t> bytes(data, size);

  for (bool hybrid : {false, true}) {
    std::unique_ptr<CPart> part;
    if (library::decodePartBlob(bytes, hybrid, "fuzz", part)) {
      std::vector<std::uint8_t> again;
      (void)library::encodePartBlob(*part, again);
    }
  }
  library::CXRef xref;
  (void)library::decodeXRef(bytes, "fuzz", xref);

  store::MemoryFileSystem fs;
  fs.put("fuzz.lib", std::vector<std::uint8_t>(data, data + size));
  library::StoreMessage error;
  store::SalvageScan scan;
  if (store::scanStore("fuzz.lib", scan, &fs) == store::kOk) {
    library::Salvaged<library::LibEntry> parts;
    library::judgeLibrary(scan, "fuzz.lib", parts);
    library::Salvaged<library::XRefEntry> xrefs;
    library::judgeXRef(scan, "fuzz.lib", xrefs);
  }
  auto lib = library::PartLibrary::open("fuzz.lib", false, error, &fs);
  requireNamed(error, "fuzz.lib");
  listCrossReferences(std::vector<std::uint8_t>(data, data + size));
  if (!lib) return 0;
  lib->keyedFile()->store().SetLockTimeout(std::chrono::milliseconds(10));
  library::LibEntry entry;
  library::Outcome o = lib->first(entry);
  for (int i = 0; i < 200 && o == library::Outcome::Ok; ++i) {
    std::unique_ptr<CPart> part;
    (void)lib->partOf(entry, part);
    library::LibEntry next;
    o = lib->next(entry, next);
    entry = std::move(next);
  }
  (void)lib->search("A", false, -1, entry);
  (void)lib->findPn("A", entry);
  requireNamed(lib->error(), "fuzz.lib");
  return 0;
}
