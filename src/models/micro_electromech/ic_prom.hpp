// CIC_PROM: programmable read-only memories of the microcircuit family (handbook
// sections 5.1 and 5.2), up to 1M bits; a MOS EEPROM adds its programming-cycle rate.
#pragma once

#include <string>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {

class CIC_PROM final : public CIC {
 public:
  static const ClassRecord kClass;

  CIC_PROM();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  double complexityMax() const override;

 protected:
  double dieComplexityFactor(double n) const override;
  double activationEnergy() const override;
  char complexityUnit() const override;
};

}  // namespace kestrel
