// The 100 000-part library the library benchmarks share: built once per
// machine, reused by later runs.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "models/register_all.hpp"
#include "store/library/keyed_file.hpp"
#include "store/library/part_library.hpp"

namespace kestrel::bench {

inline constexpr long kParts = 100000;
inline const std::string kLibraryPath = "/tmp/kestrel-library-bench-100k.lib";

inline std::string partNumber(long i) { return strprintf("PN%07ld", (i * 7919) % kParts); }

inline const std::string& benchLibrary() {
  static const bool made = [] {
    registerAllParts();
    library::StoreMessage error;
    if (auto lib = library::PartLibrary::open(kLibraryPath, false, error); lib && lib->count() == kParts) return true;
    std::filesystem::remove(kLibraryPath);
    auto lib = library::PartLibrary::create(kLibraryPath, error);
    if (!lib) return false;
    lib->keyedFile()->store().SetDurable(false);
    const std::uint16_t types[] = {401, 403, 302, 301, 502, 504};
    for (long i = 0; i < kParts; ++i) {
      auto part = PartRegistry::instance().create(types[i % 6], false);
      part->PN = partNumber(i);
      part->PN2 = "ALT" + part->PN;
      part->DESCR = "Bench part";
      if (lib->add(*part) != library::Outcome::Ok) return false;
    }
    return lib->close();
  }();
  if (!made) std::abort();
  return kLibraryPath;
}

}  // namespace kestrel::bench
