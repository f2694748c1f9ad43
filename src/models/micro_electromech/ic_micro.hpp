// CIC_Micro: microprocessors and controllers of the microcircuit family (handbook
// section 5.1), up to 32 bits.
#pragma once

#include <string>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {

class CIC_Micro final : public CIC {
 public:
  static const ClassRecord kClass;

  CIC_Micro();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  double complexityMax() const override;

 protected:
  double dieComplexityFactor(double n) const override;
  double activationEnergy() const override;
  char complexityUnit() const override;
};

}  // namespace kestrel
