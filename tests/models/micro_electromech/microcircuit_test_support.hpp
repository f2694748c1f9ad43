// Helpers shared by the microcircuit, VHSIC/VLSI and GaAs tests: a thermal
// block, keyword removal from an import definition, and log searches.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/keywords/import_setup.hpp"
#include "models/micro_electromech/junction_temp.hpp"

namespace kestrel::test {

inline JunctionTemp thermalBlock(std::uint8_t mode, float tadj, float pd, float rjc, float rca, float tca,
                                 float tja) {
  JunctionTemp b;
  b.MODE = mode;
  b.TADJ = tadj;
  b.PD = pd;
  b.RJC = rjc;
  b.RCA = rca;
  b.TCA = tca;
  b.TJA = tja;
  return b;
}

// Tj = Ta + tja.
inline JunctionTemp junctionRise(float tja) {
  return thermalBlock(3, 0, 0, 0, 0, 0, tja);
}

inline void dropKeyword(ImportSetup& s, std::string_view keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

inline bool logged(const Log& log, std::string_view text) {
  for (const std::string& line : log) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kestrel::test
