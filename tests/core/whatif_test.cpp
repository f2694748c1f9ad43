#include "core/whatif.hpp"

#include <gtest/gtest.h>

#include "core/circ_header.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

struct QualityCase {
  std::uint8_t mode;
  float level;
  std::uint8_t before;
  std::uint8_t after;
};

class QualityRule : public ::testing::TestWithParam<QualityCase> {};

TEST_P(QualityRule, MovesWithinTheClassRange) {
  WhatIfSettings s;
  s.qualityMode = GetParam().mode;
  s.qualityLevel = GetParam().level;
  std::uint8_t q = GetParam().before;
  applyQualityChange(q, 1, 6, s);
  EXPECT_EQ(q, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QualityRule,
    ::testing::Values(QualityCase{NoChange, 3, 4, 4},       // nothing
                      QualityCase{Increase, 2, 3, 1},       // better quality is a lower index
                      QualityCase{Increase, 2, 2, 1},       // limited to the range
                      QualityCase{Decrease, 2, 5, 6},       // limited at the top
                      QualityCase{Decrease, 300, 5, 6},     // beyond a byte, still limited
                      QualityCase{SetDirect, 4, 1, 4},      // set directly
                      QualityCase{SetDirect, 2.7f, 1, 2},   // truncated to a whole number
                      QualityCase{SetDirect, 9, 1, 6}));

struct StressCase {
  std::uint8_t mode;
  float value;
  float before;
  std::uint8_t modeBefore;
  double rated, operating;
  float after;
  std::uint8_t modeAfter;
};

class StressRule : public ::testing::TestWithParam<StressCase> {};

TEST_P(StressRule, SetsRaisesLowersOrRecomputes) {
  const StressCase& c = GetParam();
  WhatIfSettings s;
  s.stressMode = c.mode;
  s.stressValue = c.value;
  float stress = c.before;
  std::uint8_t mode = c.modeBefore;
  applyStressChange({stress, &mode, c.rated, c.operating}, 0.0, 100.0, s);
  EXPECT_FLOAT_EQ(stress, c.after);
  EXPECT_EQ(mode, c.modeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StressRule,
    ::testing::Values(StressCase{NoChange, 10, 40, 1, 0.25, 0.1, 40, 1},
                      StressCase{SetDirect, 70, 40, 1, 0.25, 0.1, 70, 2},
                      StressCase{Increase, 70, 40, 1, 0.25, 0.1, 100, 2},   // limited
                      StressCase{Decrease, 50, 40, 1, 0.25, 0.1, 0, 2},     // limited
                      // Pd 0.1 W of Pmax 0.25 W: 40 % and the computed mode
                      StressCase{SetToCalcMode, 0, 90, 2, 0.25, 0.1, 40, 1},
                      // a rated value of 0 leaves the stress as it was
                      StressCase{SetToCalcMode, 0, 55, 2, 0.0, 0.1, 55, 1}));

TEST(StressRule, ClassWithoutStressModeIgnoresSetToCalcMode) {
  WhatIfSettings s;
  s.stressMode = SetToCalcMode;
  float stress = 30;
  applyStressChange({stress, nullptr, 1.0, 0.5}, 0.0, 100.0, s);
  EXPECT_FLOAT_EQ(stress, 30);
  s.stressMode = Increase;
  s.stressValue = 5;
  applyStressChange({stress, nullptr, 1.0, 0.5}, 0.0, 100.0, s);
  EXPECT_FLOAT_EQ(stress, 35);
}

TEST(WhatIfFilter, PartNumberPrefixIgnoresCaseAndTypeMustMatch) {
  WhatIfSettings s;
  s.pnFilterOn = true;
  s.pnFilterText = "AB";
  s.pnFilterLength = 2;
  auto part = test::fixedPart(1.0);
  for (const char* pn : {"ABC123", "abx"}) {
    part->PN = pn;
    EXPECT_TRUE(s.passesFilter(*part)) << pn;
  }
  for (const char* pn : {"XAB", "A", ""}) {
    part->PN = pn;
    EXPECT_FALSE(s.passesFilter(*part)) << pn;
  }
  s.pnFilterLength = 0;  // a zero length lets everything through
  EXPECT_TRUE(s.passesFilter(*part));
  s.typeFilterOn = true;
  s.typeId = 401;
  EXPECT_FALSE(s.passesFilter(*part));
  s.typeId = part->PART_TYPE;
  EXPECT_TRUE(s.passesFilter(*part));
}

TEST(HeaderWhatIf, TemperatureLimitedAndHybridQualityChanged) {
  WhatIfSettings s;
  CCircHeader h;
  s.tempMode = Increase;
  s.tempValue = 500;
  applyHeaderWhatIf(h, false, s);
  EXPECT_FLOAT_EQ(h.TEMP, 175.0f);
  s.tempMode = SetDirect;
  s.tempValue = 60;
  s.qualityMode = Increase;
  s.qualityLevel = 1;
  applyHeaderWhatIf(h, true, s);
  EXPECT_FLOAT_EQ(h.TEMP, 60.0f);
  EXPECT_EQ(h.HYBQU, 2);  // Commercial -> B
  s.typeFilterOn = true;
  s.typeId = 401;  // filtered to another type: the hybrid quality stays
  applyHeaderWhatIf(h, true, s);
  EXPECT_EQ(h.HYBQU, 2);
}

}  // namespace
}  // namespace kestrel
