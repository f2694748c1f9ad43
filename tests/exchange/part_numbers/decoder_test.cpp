// The part-number decoder: cases of each family it must decode, numbers it
// must refuse, and the records it builds through the part classes.
#include <gtest/gtest.h>

#include <cmath>

#include "core/part.hpp"
#include "exchange/part_numbers/part_number_decoder.hpp"
#include "models/passive_semis/capacitor.hpp"
#include "models/passive_semis/potentiometer.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"

namespace kestrel::part_numbers {
namespace {

struct DecodeCase {
  const char* pn;
  Family family;
  const char* style;
  double value;
  char tolerance;
  char level;
  float ratedPower;
};

TEST(PartNumberDecoder, DecodesEachFamily) {
  const DecodeCase cases[] = {
      {"RNC55H1001FR", Family::Resistor, "RNC", 1000.0, 'F', 'R', 0.1f},
      {"rcr07g103js", Family::Resistor, "RCR", 10000.0, 'J', 'S', 0.25f},
      {"RLR07C4701FM", Family::Resistor, "RLR", 4700.0, 'F', 'M', 0.25f},
      {"RN55D1002F", Family::Resistor, "RN", 10000.0, 'F', 0, 0.1f},
      {"RWR81S1R00FR", Family::Resistor, "RWR", 1.0, 'F', 'R', 0.0f},
      {"RER60FR100M", Family::Resistor, "RER", 0.1, 0, 'M', 0.0f},
      {" RC20GF105J ", Family::Resistor, "RC", 1e6, 'J', 0, 0.5f},
      {"RJR24FW103R", Family::Potentiometer, "RJR", 10000.0, 0, 'R', 0.0f},
      {"RTR22DC502P", Family::Potentiometer, "RTR", 5000.0, 0, 'P', 0.0f},
      {"RV4NAYSD102A", Family::Potentiometer, "RV", 1000.0, 'A', 0, 0.0f},
      {"CKR05BX104KR", Family::Capacitor, "CKR", 100000.0, 'K', 'R', 0.0f},
      {"CSR13E106KB", Family::Capacitor, "CSR", 1e7, 'K', 'B', 0.0f},
      {"CK05BX470K", Family::Capacitor, "CK", 47.0, 'K', 0, 0.0f},
      {"CLR79B4R7MD", Family::Capacitor, "CLR", 4.7, 'M', 'D', 0.0f},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.pn);
    std::string why;
    const DecodedNumber d = decode(c.pn, &why);
    ASSERT_EQ(d.family, c.family) << why;
    EXPECT_EQ(d.style, c.style);
    EXPECT_NEAR(d.value, c.value, c.value * 1e-12);
    EXPECT_EQ(d.tolerance, c.tolerance);
    EXPECT_EQ(d.failureRateLevel, c.level);
    EXPECT_EQ(d.ratedPower, c.ratedPower);
  }
}

TEST(PartNumberDecoder, RefusesNumbersItCannotRead) {
  const char* refused[] = {
      "",                 // nothing
      "2N2222A",          // a transistor
      "M39003/01-2301",   // slash sheet
      "RNC55H1001F",      // established-reliability style without its level
      "RN55D1001FR",      // non-ER style with a failure-rate level
      "RNC55H1001FX",     // unknown level letter
      "RNC55H10",         // value code too short for the level
      "RNCH1001FR",       // no size
      "RNC551001FR",      // no characteristic (size runs into the value)
      "RNC55H1001FRRRRRRRRRRRRRRRRR",  // longer than a part number
      "CK05BX000K",       // no capacitance
      "RXR55H1001FR",     // no such style
      "RNC55H1R0R1FR",    // two decimal points
  };
  for (const char* pn : refused) {
    std::string why;
    EXPECT_EQ(decode(pn, &why).family, Family::None) << pn;
    EXPECT_FALSE(why.empty()) << pn;
  }
}

TEST(PartNumberDecoder, BuildsRecordsThroughThePartClasses) {
  registerAllParts();
  std::unique_ptr<CPart> part;
  ASSERT_TRUE(buildPart("rnc55h1001fr", false, part));
  auto* res = dynamic_cast<CResistor*>(part.get());
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->PN, "RNC55H1001FR");
  EXPECT_EQ(res->PART_TYPE, 401);
  EXPECT_EQ(kResistorStyles.text(res->TYPE), "RNR/RNC/RNN (PrecisionFilm,ER)");
  EXPECT_EQ(kResistorQualities.text(res->QU), "R (ER)");
  EXPECT_EQ(kResistanceUnits.text(res->RESUNIT), "Kohms");
  EXPECT_FLOAT_EQ(res->RES, 1.0f);
  EXPECT_FLOAT_EQ(res->PMAX, 0.1f);
  EXPECT_LE(res->PD, res->PMAX);

  ASSERT_TRUE(buildPart("RJR24FW103R", true, part));
  auto* pot = dynamic_cast<CPotentiometer*>(part.get());
  ASSERT_NE(pot, nullptr);
  EXPECT_EQ(pot->IS_HYBRID, 1);
  EXPECT_EQ(kPotentiometerStyles.text(pot->TYPE), "RJR (NonWirewound,ER)");
  EXPECT_FLOAT_EQ(pot->RES, 10.0f);

  ASSERT_TRUE(buildPart("CSR13E106KB", false, part));
  auto* cap = dynamic_cast<CCapacitor*>(part.get());
  ASSERT_NE(cap, nullptr);
  EXPECT_EQ(kCapacitorStyles.text(cap->TYPE), "CSR (Tantalum,ER)");
  EXPECT_EQ(kCapacitorQualities.text(cap->QU), "S,B (ER)");
  EXPECT_EQ(kCapacitanceUnits.text(cap->CAPUNIT), "uF");
  EXPECT_FLOAT_EQ(cap->CAP, 10.0f);

  const Status refused = buildPart("2N2222A", false, part);
  EXPECT_FALSE(refused);
  EXPECT_EQ(part, nullptr);
  // The largest value code still fits the record: 99 x 10^7 ohms.
  ASSERT_TRUE(buildPart("RC20GF997J", false, part));
  res = dynamic_cast<CResistor*>(part.get());
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(kResistanceUnits.text(res->RESUNIT), "Megohms");
  EXPECT_FLOAT_EQ(res->RES, 990.0f);
}

}  // namespace
}  // namespace kestrel::part_numbers
