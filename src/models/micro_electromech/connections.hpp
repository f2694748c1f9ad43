// CConnections: the solder, crimp, weld and other connections of a circuit,
// handbook section 17.1: lambda_p = lambda_b x pi_E x N, times the record's CF.
// A circuit-level part: never inside a hybrid, no surface-mount step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Connection types (CX_TYPE).
inline constexpr std::string_view kConnectionTypeNames[] = {"",
                                                            "HandSolder,NoWrapping",
                                                            "HandSolder,Wrapping",
                                                            "Crimp",
                                                            "Weld",
                                                            "SolderlessWrap",
                                                            "ClipTermination",
                                                            "ReflowSolder",
                                                            "SpringContact",
                                                            "TerminalBlock"};
inline constexpr ChoiceList kConnectionTypes{kConnectionTypeNames};

class CConnections final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  // Own fields, in file order.
  std::uint8_t TYPE = 1;  // CX_TYPE: hand solder without wrapping
  float N = 10.0f;        // CX_QTY: number of connections
  float LB = 0.0f;        // result: base failure rate per connection, fpmh
  float PIE = 0.0f;       // result: environment factor
};

}  // namespace kestrel
