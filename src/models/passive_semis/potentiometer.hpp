// CPotentiometer: variable resistors, handbook section 9.1 part-stress model
//   lambda_p = lambda_b x pi_T x pi_P x pi_S x pi_Q x pi_E, times the record's CF.
// The record has the resistor's layout field for field, with its own style
// list and style table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "models/passive_semis/resistor.hpp"

namespace kestrel {

// Potentiometer styles (POT_TYPE).
inline constexpr std::string_view kPotentiometerStyleNames[] = {"",
                                                                "RTR (Wirewound,LeadScrew,ER)",
                                                                "RT (Wirewound,LeadScrew)",
                                                                "RR (Wirewound,Precision)",
                                                                "RA (Wirewound,LowOpTemp)",
                                                                "RK (Wirewound,SemiPrecision)",
                                                                "RP (Wirewound,Power)",
                                                                "RJR (NonWirewound,ER)",
                                                                "RJ (NonWirewound)",
                                                                "RV (Composition)",
                                                                "RQ (NonWirewound,Precision)",
                                                                "RVC (NonWirewound)"};
inline constexpr ChoiceList kPotentiometerStyles{kPotentiometerStyleNames};

// Units, quality levels and stress modes: resistive_record.hpp.

class CPotentiometer final : public CResistiveRecord {
 public:
  static const ClassRecord kClass;

  CPotentiometer();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
};

}  // namespace kestrel
