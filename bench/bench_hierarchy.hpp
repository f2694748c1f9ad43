// Circuit files for the hierarchy benchmarks: a folder of its own under /tmp
// and circuits of fixed-rate parts over child circuits.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/circ_file.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"

namespace kestrel::bench {

inline std::string benchFolder(const char* name) {
  const std::string dir = "/tmp/kestrel-bench-" + std::string(name) + "-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  return dir;
}

// `parts` fixed-rate parts of 1..7 x `rate` fpmh, then a sub-circuit record per child.
inline void saveCircuit(const std::string& path, std::uint8_t model, float k, int parts, double rate,
                        const std::vector<std::string>& children) {
  CCircDoc doc;
  doc.header().MODEL = model;
  doc.header().NREQ = k;
  for (int i = 0; i < parts; ++i) {
    auto part = PartRegistry::instance().create(kMiscType, false);
    static_cast<CMisc&>(*part).BASEFR = static_cast<float>(rate * (1 + i % 7));
    part->PN = "PN-" + std::to_string(i);
    doc.appendLoaded(std::move(part));
  }
  for (const std::string& child : children) {
    auto sub = PartRegistry::instance().create(kSubCircuitType, false);
    sub->FileName = child;
    sub->PN = child;
    doc.insertSorted(std::move(sub));
  }
  (void)saveDocument(posixFileSystem(), doc, path);
}

// A serial system over 200 boards of 500 parts each; returns the system's path.
inline std::string writeWideHierarchy(const std::string& dir) {
  std::vector<std::string> children;
  for (int i = 0; i < 200; ++i) {
    children.push_back("BOARD" + std::to_string(i) + ".CIR");
    saveCircuit(dir + "/" + children.back(), 1, 0, 500, 0.01, {});
  }
  saveCircuit(dir + "/SYSTEM.CIR", 1, 0, 0, 0, children);
  return dir + "/SYSTEM.CIR";
}

}  // namespace kestrel::bench
