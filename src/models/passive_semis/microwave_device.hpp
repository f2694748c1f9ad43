// CMDev: microwave ferrite devices, dummy loads and terminations, handbook
// section 23.1 (miscellaneous parts)
//   lambda_p = lambda_b x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Device types (MDEV_TYPE).
inline constexpr std::string_view kMicrowaveDeviceTypeNames[] = {"", "Isolator/Circulator", "PhaseShifter",
                                                                 "DummyLoad", "Termination"};
inline constexpr ChoiceList kMicrowaveDeviceTypes{kMicrowaveDeviceTypeNames};
inline constexpr std::uint8_t kIsolatorType = 1;
inline constexpr std::uint8_t kPhaseShifterType = 2;
inline constexpr std::uint8_t kDummyLoadType = 3;

// Power rating (MDEV_RATING): a list for isolators/circulators, another of
// another length for dummy loads, none for phase shifters and terminations.
inline constexpr std::string_view kIsolatorRatingNames[] = {"", "<=100W", ">100W"};
inline constexpr ChoiceList kIsolatorRatings{kIsolatorRatingNames};
inline constexpr std::string_view kDummyLoadRatingNames[] = {"", "<100W", "100W-1000W", ">1000W"};
inline constexpr ChoiceList kDummyLoadRatings{kDummyLoadRatingNames};
inline constexpr ChoiceList kNoRatings{};

class CMDev final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // The type as the model reads it (a stored type past the list is the last).
  std::uint8_t type() const { return kMicrowaveDeviceTypes.clamp(TYPE); }
  // The rating list of the current type (empty: no rating entry).
  const ChoiceList& ratingList() const;
  bool hasRating() const { return ratingList().count() > 0; }

  // Own fields, in file order.
  std::uint8_t TYPE = 1;    // MDEV_TYPE
  std::uint8_t RATING = 1;  // MDEV_RATING: index into the type's rating list
  float LB = 0.0f;          // result: base failure rate lambda_b, fpmh
  float PIE = 0.0f;         // result: environment factor
};

}  // namespace kestrel
