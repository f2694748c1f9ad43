// Helpers of the library tests: parts of every registered class with their
// identity and results filled in, and their serialised form for comparing
// every field at once.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"
#include "store/library/part_blob.hpp"
#include "store/library/keyed_file.hpp"
#include "store/library/part_library.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::library::test {

using kestrel::store::test::ScratchDir;

inline std::vector<std::uint16_t> registeredTypes(bool hybrid) {
  registerAllParts();
  std::vector<std::uint16_t> ids;
  for (const PartType& t : allPartTypes()) {
    if (PartRegistry::instance().isRegistered(t.id) && (!hybrid || t.inHybridMenu)) ids.push_back(t.id);
  }
  return ids;
}

// A part of the class with distinct identity texts, calculated once so its
// results and factors are stored too.
inline std::unique_ptr<CPart> samplePart(std::uint16_t type, bool hybrid, const std::string& pn,
                                         const std::string& refdes = "U1") {
  registerAllParts();
  auto part = PartRegistry::instance().create(type, hybrid);
  if (!part) return part;
  part->PN = pn;
  part->PN2 = "ALT-" + pn;
  part->REFDES = refdes;
  part->DESCR = "Sample " + std::to_string(type);
  part->LCN = "LCN-" + std::to_string(type);
  part->QTY = 3.0f;
  part->CF = 1.25f;
  part->NOTESTITLE = "Notes";
  part->NOTES = "Stored for reuse";
  CCircHeader header;
  if (type != kSubCircuitType && type != kSubHybridType) part->Calculate(header);
  return part;
}

inline std::vector<std::uint8_t> blobOf(const CPart& part) {
  std::vector<std::uint8_t> blob;
  EXPECT_TRUE(encodePartBlob(part, blob).isOk());
  return blob;
}

inline std::unique_ptr<PartLibrary> newLibrary(const ScratchDir& dir, const std::string& name = "parts.lib") {
  StoreMessage error;
  auto lib = PartLibrary::create(dir.file(name), error);
  EXPECT_TRUE(lib) << error.text();
  if (lib) lib->keyedFile()->store().SetDurable(false);
  return lib;
}

}  // namespace kestrel::library::test
