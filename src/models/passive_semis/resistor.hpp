// CResistor: fixed resistors, handbook section 9.1 part-stress model
//   lambda_p = lambda_b x pi_T x pi_P x pi_S x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "models/passive_semis/resistive_record.hpp"

namespace kestrel {

// Resistor styles (RES_TYPE).
inline constexpr std::string_view kResistorStyleNames[] = {"",
                                                           "RCR (CarbonComposition,ER)",
                                                           "RC (CarbonComposition)",
                                                           "RLR (Film,ER)",
                                                           "RL (Film)",
                                                           "RNR/RNC/RNN (PrecisionFilm,ER)",
                                                           "RN (PrecisionFilm)",
                                                           "RM (ChipFilm)",
                                                           "RD (PowerFilm)",
                                                           "RZ (NetworkFilm)",
                                                           "RBR (PrecisionWirewound,ER)",
                                                           "RB (PrecisionWirewound)",
                                                           "RWR (PowerWirewound,ER)",
                                                           "RW (PowerWirewound)",
                                                           "RER (ChassisMountWirewound,ER)",
                                                           "RE (ChassisMountWirewound)",
                                                           "RTH (Thermistor)"};
inline constexpr ChoiceList kResistorStyles{kResistorStyleNames};

// Units, quality levels and stress modes: resistive_record.hpp.

class CResistor final : public CResistiveRecord {
 public:
  static const ClassRecord kClass;

  CResistor();
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
};

}  // namespace kestrel
