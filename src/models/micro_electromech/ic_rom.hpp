// CIC_ROM: read-only memories of the microcircuit family (handbook section 5.1), up
// to 1M bits.
#pragma once

#include <string>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {

class CIC_ROM final : public CIC {
 public:
  static const ClassRecord kClass;

  CIC_ROM();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  double complexityMax() const override;

 protected:
  double dieComplexityFactor(double n) const override;
  double activationEnergy() const override;
  char complexityUnit() const override;
};

}  // namespace kestrel
