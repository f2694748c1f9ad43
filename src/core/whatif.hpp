// What-If? settings (one object per run) and the two change rules every part
// class applies in ApplyWhatIf: the quality change rule and the stress
// change rule. Also the header changes and the part filter of a run.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "core/choice.hpp"

namespace kestrel {

class CPart;
class CCircHeader;

inline constexpr std::string_view kWhatIfModeNames[] = {"",         "NoChange", "SetDirect",
                                                         "Increase", "Decrease", "SetToCalcMode"};
// Temperature and quality modes use the first four entries; stress all five.
inline constexpr ChoiceList kWhatIfTempModes{std::span(kWhatIfModeNames, 5)};
inline constexpr ChoiceList kWhatIfQualityModes{std::span(kWhatIfModeNames, 5)};
inline constexpr ChoiceList kWhatIfStressModes{kWhatIfModeNames};

enum WhatIfMode : std::uint8_t {
  NoChange = 1,
  SetDirect = 2,
  Increase = 3,
  Decrease = 4,
  SetToCalcMode = 5,
};

struct WhatIfSettings {
  bool entireHierarchy = true;
  std::set<std::string> processedFiles;  // titles of documents changed in this run
  bool typeFilterOn = false;
  std::uint8_t typeMenuIndex = 0;  // circuit part-type menu index
  std::uint16_t typeId = 0;        // registry id for that index, set at the start of a run
  bool pnFilterOn = false;
  std::string pnFilterText;  // at most 25 characters
  int pnFilterLength = 0;
  bool changeEnvironment = false;
  std::uint8_t environment = 1;
  std::uint8_t tempMode = NoChange;
  float tempValue = 0.0f;
  float cfOverride = 1.0f;             // graph runs only
  float missionTimeOverride = 8760.0f;  // graph runs only
  std::uint8_t qualityMode = NoChange;
  float qualityLevel = 1.0f;  // whole number 1..10
  std::uint8_t stressMode = NoChange;
  float stressValue = 100.0f;  // percent 0..100

  // True when a record passes the part-type and part-number filters.
  bool passesFilter(const CPart& part) const;
};

// Quality change rule: the class's quality choice `quality` within lo..hi.
// A better quality is a lower index: "Increase" subtracts the level.
void applyQualityChange(std::uint8_t& quality, int lo, int hi, const WhatIfSettings& settings);

// What the stress rule needs to know of a class's stress figure.
struct StressSubject {
  float& stress;                        // the stress percent field
  std::uint8_t* stressMode = nullptr;   // the class's stress mode field, if it has one
  double rated = 0.0;                   // rated value of the computed stress
  double operating = 0.0;               // operating value of the computed stress
};

// Stress change rule: sets, raises or lowers the stress (switching a stress
// mode to 2, "Manual"), or recomputes it as operating / rated x 100 with mode
// 1. The result is limited to lo..hi. A rated value not above 0 leaves the
// stress unchanged in "SetToCalcMode" (no division by zero).
void applyStressChange(StressSubject subject, double lo, double hi, const WhatIfSettings& settings);

// The header part of a run: environment, ambient temperature (limited to
// -55..175) and, for a hybrid, the hybrid quality (range 1..3) when the part
// type filter is off or set to SubHybrid.
void applyHeaderWhatIf(CCircHeader& header, bool hybrid, const WhatIfSettings& settings);

}  // namespace kestrel
