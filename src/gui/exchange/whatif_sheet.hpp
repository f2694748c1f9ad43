// The pages of the "What-If?" property sheet: Setup (hierarchy and the two
// filters), Environment (environment and ambient temperature) and Part
// (quality and stress). The pages edit a form whose check boxes and lists
// are the sheet's own fields; the form becomes the run's settings.
#pragma once

#include <cstdint>
#include <string>

#include "core/whatif.hpp"

namespace kestrel::gui {

class PropertySheet;

// Field labels, also what tests and scripts enter values by.
inline constexpr const char* kWhatIfHierarchyLabel = "Make Changes for Entire Hierarchy";
inline constexpr const char* kWhatIfTypeFilterLabel = "Part Type Filter";
inline constexpr const char* kWhatIfTypeLabel = "Part Type";
inline constexpr const char* kWhatIfPnFilterLabel = "PN Filter";
inline constexpr const char* kWhatIfPnLabel = "PN";
inline constexpr const char* kWhatIfChangeEnvLabel = "Change Environment";
inline constexpr const char* kWhatIfEnvLabel = "Environment";
inline constexpr const char* kWhatIfTempModeLabel = "Temperature Mode";
inline constexpr const char* kWhatIfTempLabel = "Temperature";
inline constexpr const char* kWhatIfQualityModeLabel = "Quality Mode";
inline constexpr const char* kWhatIfQualityLabel = "Quality Level";
inline constexpr const char* kWhatIfStressModeLabel = "Stress Mode";
inline constexpr const char* kWhatIfStressLabel = "Stress";

// What the sheet edits, in the field forms the pages use (check boxes as
// 0/1, choices 1-based). Starts from the settings' defaults.
struct WhatIfForm {
  std::uint16_t entireHierarchy = 1;
  std::uint16_t typeFilterOn = 0;
  std::uint8_t typeMenuIndex = 1;  // circuit part-type menu, 1-based
  std::uint16_t pnFilterOn = 0;
  std::string pnFilterText;
  std::uint16_t changeEnvironment = 0;
  std::uint8_t environment = 1;
  std::uint8_t tempMode = NoChange;
  float tempValue = 0.0f;
  std::uint8_t qualityMode = NoChange;
  float qualityLevel = 1.0f;
  std::uint8_t stressMode = NoChange;
  float stressValue = 100.0f;
};

void addWhatIfPages(PropertySheet& sheet, WhatIfForm& form);

// The run's settings; the part type id is taken from the circuit menu at
// the chosen index when the part-type filter is on.
WhatIfSettings whatIfSettingsOf(const WhatIfForm& form);

}  // namespace kestrel::gui
