// CRotate: rotating devices, handbook section 12: motors (12.1, bearing and
// winding lives over an operating period), synchros and resolvers (12.2) and
// elapsed-time meters (12.3). The family decides the fields and the model.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Device families (ROTATE_FAMILY).
inline constexpr std::string_view kRotateFamilyNames[] = {"", "Motor", "Synchro/Resolver", "ElapsedTimeMeter"};
inline constexpr ChoiceList kRotateFamilies{kRotateFamilyNames};
inline constexpr std::uint8_t kMotorFamily = 1;
inline constexpr std::uint8_t kSynchroFamily = 2;
inline constexpr std::uint8_t kElapsedTimeMeterFamily = 3;

// Device types (ROTATE_TYPE), one list per family (of different lengths).
inline constexpr std::string_view kMotorTypeNames[] = {"", "GeneralElectrical", "Sensor", "Servo", "Stepper"};
inline constexpr ChoiceList kMotorTypes{kMotorTypeNames};
inline constexpr std::string_view kSynchroTypeNames[] = {"", "Synchro", "Resolver"};
inline constexpr ChoiceList kSynchroTypes{kSynchroTypeNames};
inline constexpr std::string_view kElapsedTimeMeterTypeNames[] = {"", "AC", "InverterDriven", "CommutatorDC"};
inline constexpr ChoiceList kElapsedTimeMeterTypes{kElapsedTimeMeterTypeNames};

// Synchro and resolver sizes (ROTATE_SIZE).
inline constexpr std::string_view kSynchroSizeNames[] = {"", "<=8", "10-16", ">=18"};
inline constexpr ChoiceList kSynchroSizes{kSynchroSizeNames};

class CRotate final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  // The factors the record's model uses (they depend on its type).
  std::vector<NamedFactor> factors() const override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // The family as the model reads it (a stored family past the list is the last).
  std::uint8_t family() const { return kRotateFamilies.clamp(FAMILY); }
  const ChoiceList& typeList() const;
  bool hasTemperatureRise() const { return family() != kElapsedTimeMeterFamily; }

  // Own fields, in file order.
  std::uint8_t FAMILY = 1;   // ROTATE_FAMILY
  std::uint8_t TYPE = 1;     // ROTATE_TYPE: index into the family's list
  float OPTIME = 43800.0f;   // ROTATE_OPTIME: motor operating time LC, hours
  std::uint8_t SIZE = 2;     // ROTATE_SIZE: synchro/resolver size
  float BRUSHES = 2.0f;      // ROTATE_BRUSHES: synchro/resolver brushes, 1..4
  float TSTRESS = 0.0f;      // ROTATE_TSTRESS: elapsed-time meter temperature stress, percent
  float TRISE = 0.0f;        // ROTATE_TRISE: rise above ambient (motors, synchros), deg C
  float LB = 0.0f;           // result: base failure rate lambda_b, fpmh
  float PIS = 0.0f;          // result: size factor
  float PIN = 0.0f;          // result: brushes factor
  float PIE = 0.0f;          // result: environment factor
  float PIT = 0.0f;          // result: temperature stress factor
  float BEARING = 0.0f;      // result: motor bearing failure rate, fpmh
  float WINDING = 0.0f;      // result: motor winding failure rate, fpmh
};

}  // namespace kestrel
