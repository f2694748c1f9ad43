#include "models/passive_semis/microwave_device.hpp"

#include <array>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "models/passive_semis/ambient_devices.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"MDEV_TYPE", "Device Type", FieldKind::Choice, 0, 0, 0, &kMicrowaveDeviceTypes};
const FieldSpec kRating{"MDEV_RATING", "Power Rating", FieldKind::Choice, 0, 0, 0, &kIsolatorRatings};

// ---- handbook section 23.1, microwave ferrite devices and loads ----

// Base failure rate lambda_b (fpmh): isolators and circulators <= 100 W 0.10,
// > 100 W 0.20; phase shifters (latching) 0.10; dummy loads < 100 W 0.010,
// 100 to 1000 W 0.030, > 1000 W 0.10; terminations (thin or thick film) 0.030.
constexpr std::array<double, 3> kIsolatorBaseRate = {0.0, 0.10, 0.20};
constexpr double kPhaseShifterBaseRate = 0.10;
constexpr std::array<double, 4> kDummyLoadBaseRate = {0.0, 0.010, 0.030, 0.10};
constexpr double kTerminationBaseRate = 0.030;

// Environment factor pi_E, GB..CL: ferrite devices (isolators, circulators,
// phase shifters), then dummy loads and terminations.
constexpr EnvTable kFerriteEnvironmentFactor = {0.0, 1.0,  2.0,  8.0, 5.0, 12.0, 5.0,  8.0,
                                                7.0, 11.0, 17.0, 0.5, 9.0, 24.0, 450.0};
constexpr EnvTable kLoadEnvironmentFactor = {0.0,  1.0,  2.0,  10.0, 5.0,  17.0, 6.0,  8.0,
                                             14.0, 22.0, 25.0, 0.5,  14.0, 36.0, 660.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CMDev::TYPE>(kType),
    input<&CMDev::RATING>(kRating).withClassList(),
    result<&CMDev::LB>("LB"),
    result<&CMDev::PIE>("PIE"),
};

}  // namespace

const ClassRecord CMDev::kClass = makeClassRecord<CMDev>("CMDev");

const ChoiceList& CMDev::ratingList() const {
  switch (type()) {
    case kIsolatorType:
      return kIsolatorRatings;
    case kDummyLoadType:
      return kDummyLoadRatings;
    default:
      return kNoRatings;
  }
}

std::span<const StoredField> CMDev::storedFields() const { return kStored; }

void CMDev::shapeInput(ShownInput& input) {
  if (input.is(kRating)) {
    // The rating list is refilled from the (possibly changed) type: a rating
    // past the end of a shorter list takes its last entry.
    if (hasRating() && !input.reading) RATING = ratingList().clamp(RATING);
    input.shown.choices = &ratingList();
    input.applies = hasRating();
  }
}

std::string CMDev::GetTypeName() const { return isHybridPart() ? "MicrowaveDevice(Hyb)" : "MicrowaveDevice"; }

void CMDev::normalizeChoices() {
  CPart::normalizeChoices();
  if (hasRating()) checkChoice(RATING, ratingList());
}

void CMDev::Calculate(CCircHeader& header) {
  ambient_device::begin(*this, header);
  const std::uint8_t t = checkChoice(TYPE, kMicrowaveDeviceTypes);
  double lb = kTerminationBaseRate;
  if (t == kIsolatorType) {
    lb = tableAt(kIsolatorBaseRate, checkChoice(RATING, kIsolatorRatings));
  } else if (t == kDummyLoadType) {
    lb = tableAt(kDummyLoadBaseRate, checkChoice(RATING, kDummyLoadRatings));
  } else if (t == kPhaseShifterType) {
    lb = kPhaseShifterBaseRate;
  }
  const EnvTable& envTable = t <= kPhaseShifterType ? kFerriteEnvironmentFactor : kLoadEnvironmentFactor;
  // a hybrid part: the package supplies the environment
  const double pie = isHybridPart() ? 1.0 : tableAt(envTable, checkedEnvironment(header));
  const double cf = correctionFactor();
  LB = static_cast<float>(lb);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(cf * lb * pie);
  finishSurfaceMount(header, 0.0);
}

void CMDev::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  const std::string rating = hasRating() ? storedChoiceText(ratingList(), RATING) : std::string();
  line1 = lineprintf("%s%-19s  %-10s", std::string(prefix).c_str(),
                     storedChoiceText(kMicrowaveDeviceTypes, TYPE).c_str(), rating.c_str());
}

void CMDev::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
