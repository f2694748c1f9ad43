// CFuse: fuses, handbook section 22.1
//   lambda_p = lambda_b x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// The page's only entry: a note (the model needs no parameters).
inline constexpr std::string_view kFuseNoteNames[] = {"", "No parameters are required for the Fuse."};
inline constexpr ChoiceList kFuseNotes{kFuseNoteNames};

class CFuse final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  // Own fields, in file order.
  std::uint8_t NOTE = 1;  // the note entry (not imported)
  float LB = 0.0f;        // result: base failure rate lambda_b, fpmh
  float PIE = 0.0f;       // result: environment factor
};

}  // namespace kestrel
