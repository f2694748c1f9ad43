// CIC_Logic: gate and logic arrays of the microcircuit family (handbook section 5.1),
// bipolar or MOS, 1 to 60000 gates.
#pragma once

#include <string>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {

class CIC_Logic final : public CIC {
 public:
  static const ClassRecord kClass;

  CIC_Logic();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  double complexityMax() const override;

 protected:
  double dieComplexityFactor(double n) const override;
  double activationEnergy() const override;
  char complexityUnit() const override;
};

}  // namespace kestrel
