#include "gui/exchange/whatif_sheet.hpp"

#include <vector>

#include "core/choice.hpp"
#include "core/registry.hpp"
#include "gui/property_sheet.hpp"

namespace kestrel::gui {
namespace {

// The circuit part-type menu as a choice list (entry 0 empty).
const ChoiceList& circuitTypeChoices() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> n{""};
    for (const PartType& t : menuTable(false)) n.push_back(t.menuName);
    return n;
  }();
  static const ChoiceList list{std::span<const std::string_view>(names)};
  return list;
}

FieldSpec checkBox(const char* label) {
  FieldSpec f;
  f.label = label;
  f.kind = FieldKind::Flag;
  f.lo = 0;
  f.hi = 1;
  return f;
}

FieldSpec choiceField(const char* label, const ChoiceList& list) {
  FieldSpec f;
  f.label = label;
  f.kind = FieldKind::Choice;
  f.choices = &list;
  return f;
}

FieldSpec numberField(const char* label, FieldKind kind, double lo, double hi, std::string_view unit) {
  FieldSpec f;
  f.label = label;
  f.kind = kind;
  f.lo = lo;
  f.hi = hi;
  f.unit = unit;
  return f;
}

void visitSetup(FieldVisitor& v, WhatIfForm& form) {
  v.flag(checkBox(kWhatIfHierarchyLabel), form.entireHierarchy, true);
  v.flag(checkBox(kWhatIfTypeFilterLabel), form.typeFilterOn, true);
  v.choice(choiceField(kWhatIfTypeLabel, circuitTypeChoices()), form.typeMenuIndex, form.typeFilterOn != 0);
  v.flag(checkBox(kWhatIfPnFilterLabel), form.pnFilterOn, true);
  FieldSpec pn;
  pn.label = kWhatIfPnLabel;
  pn.kind = FieldKind::Text;
  pn.maxLength = 25;
  v.text(pn, form.pnFilterText, form.pnFilterOn != 0);
}

void visitEnvironment(FieldVisitor& v, WhatIfForm& form) {
  v.flag(checkBox(kWhatIfChangeEnvLabel), form.changeEnvironment, true);
  v.choice(choiceField(kWhatIfEnvLabel, kEnvironments), form.environment, form.changeEnvironment != 0);
  v.choice(choiceField(kWhatIfTempModeLabel, kWhatIfTempModes), form.tempMode, true);
  // A set ambient may be below freezing; a step up or down is a size.
  const double lo = form.tempMode == SetDirect ? -55.0 : 0.0;
  v.number(numberField(kWhatIfTempLabel, FieldKind::Real, lo, 175.0, "C"), form.tempValue,
           form.tempMode != NoChange);
}

void visitPart(FieldVisitor& v, WhatIfForm& form) {
  v.choice(choiceField(kWhatIfQualityModeLabel, kWhatIfQualityModes), form.qualityMode, true);
  v.number(numberField(kWhatIfQualityLabel, FieldKind::Whole, 1.0, 10.0, {}), form.qualityLevel,
           form.qualityMode != NoChange);
  v.choice(choiceField(kWhatIfStressModeLabel, kWhatIfStressModes), form.stressMode, true);
  v.number(numberField(kWhatIfStressLabel, FieldKind::Real, 0.0, 100.0, "%"), form.stressValue,
           form.stressMode != NoChange && form.stressMode != SetToCalcMode);
}

}  // namespace

void addWhatIfPages(PropertySheet& sheet, WhatIfForm& form) {
  sheet.addPage("Setup", [&form](FieldVisitor& v) { visitSetup(v, form); });
  sheet.addPage("Environment", [&form](FieldVisitor& v) { visitEnvironment(v, form); });
  sheet.addPage("Part", [&form](FieldVisitor& v) { visitPart(v, form); });
}

WhatIfSettings whatIfSettingsOf(const WhatIfForm& form) {
  WhatIfSettings s;
  s.entireHierarchy = form.entireHierarchy != 0;
  s.typeFilterOn = form.typeFilterOn != 0;
  if (s.typeFilterOn) {
    const auto table = menuTable(false);
    const std::size_t index = form.typeMenuIndex >= 1 && form.typeMenuIndex <= table.size() ? form.typeMenuIndex : 1;
    s.typeMenuIndex = static_cast<std::uint8_t>(index);
    s.typeId = table[index - 1].id;
  }
  s.pnFilterOn = form.pnFilterOn != 0;
  if (s.pnFilterOn) {
    s.pnFilterText = form.pnFilterText.substr(0, 25);
    s.pnFilterLength = static_cast<int>(s.pnFilterText.size());
  }
  s.changeEnvironment = form.changeEnvironment != 0;
  s.environment = kEnvironments.clamp(form.environment);
  s.tempMode = form.tempMode;
  s.tempValue = form.tempValue;
  s.qualityMode = form.qualityMode;
  s.qualityLevel = form.qualityLevel;
  s.stressMode = form.stressMode;
  s.stressValue = form.stressValue;
  return s;
}

}  // namespace kestrel::gui
