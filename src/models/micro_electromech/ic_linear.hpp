// CIC_Linear: linear microcircuits of the family (handbook section 5.1), 1 to 10000
// transistors.
#pragma once

#include <string>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {

class CIC_Linear final : public CIC {
 public:
  static const ClassRecord kClass;

  CIC_Linear();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  double complexityMax() const override;

 protected:
  double dieComplexityFactor(double n) const override;
  double activationEnergy() const override;
  char complexityUnit() const override;
};

}  // namespace kestrel
