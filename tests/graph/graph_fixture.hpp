// A small hierarchy on disk for the graph tests, snapshots of its files, and
// the separate calculations the graph's values are checked against.
//
//   TOP.CIR   GF, 30 C: two resistors, an Arrhenius part, BOARD.CIR twice
//             through one record (QTY 2, duty cycle 50 %) and CHIPS.HYB
//   BOARD.CIR GF, 40 C, CF 1.5, parallel: resistors (one in manual stress
//             mode), an Arrhenius part, a fixed part
//   CHIPS.HYB GF, 50 C: a fixed chip and a resistor chip
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/whatif.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {

// What a separate calculation of a copy gives.
struct Reference {
  double fr = 0.0;
  double mtbf = 0.0;
  double missionMtbf = 0.0;
  double basicR = 0.0;
  double missionR = 0.0;
};

class GraphFixture {
 public:
  GraphFixture();

  // Writes the sample hierarchy into `dir`.
  void writeSample();
  std::string topPath() const { return dir.file("TOP.CIR"); }

  // Every file of the folder with its bytes (sub-folders as "name/").
  std::map<std::string, std::string> snapshot() const;

  // A copy of the sample's documents in a folder of its own, changed by a
  // What-If? run (when it changes anything) and then calculated.
  Reference reference(const WhatIfSettings& whatIf, bool mission, double missionTime) const;
  // The same with the header temperature and/or environment set directly
  // (environment 0: unchanged; temperature NaN: unchanged) or the stress.
  Reference atTemperature(double celsius, bool mission = false, double missionTime = 8760.0) const;
  Reference atEnvironment(std::uint8_t env, double celsius, bool mission = false) const;
  Reference atStress(double percent, bool mission = false) const;

  // The calculated documents of a separate copy: top first, then BOARD, CHIPS.
  std::vector<std::unique_ptr<CCircDoc>> calculatedCopy() const;

  TempFolder dir;
};

std::string readFileText(const std::string& path);

// Builders of the sample's records and files.
std::unique_ptr<CPart> arrhenius(const std::string& pn, float base, float ea);
std::unique_ptr<CPart> subFile(std::uint16_t type, const std::string& file);
void save(CCircDoc& doc, const std::string& path);  // without leaving a .BAK

}  // namespace kestrel::test
