// CIC_PLA: programmable logic arrays of the microcircuit family (handbook section
// 5.1), up to 5000 gates bipolar or 20000 gates MOS.
#pragma once

#include <string>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {

class CIC_PLA final : public CIC {
 public:
  static const ClassRecord kClass;

  CIC_PLA();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  double complexityMax() const override;

 protected:
  double dieComplexityFactor(double n) const override;
  double activationEnergy() const override;
  char complexityUnit() const override;
};

}  // namespace kestrel
