#include "core/circ_header.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kestrel {
namespace {

TEST(HeadingLines, CircuitLineGivesEveryValueItsPlace) {
  CCircHeader h;
  h.DESCR = "Amplifier";
  h.ENV = 5;
  h.TEMP = 40.0f;
  h.CF = 1.5f;
  h.MODEL = 3;
  h.NREQ = 2.0f;
  EXPECT_EQ(h.headingLine1(false),
            "Description: Amplifier    Env: NU    Temp: 40.00 C    CF: 1.50000    Model: Active "
            "K-of-N (2-of-N)");
  h.MODEL = 1;
  EXPECT_EQ(h.headingLine1(false),
            "Description: Amplifier    Env: NU    Temp: 40.00 C    CF: 1.50000    Model: Serial ");
  h.RecordCount = 12;
  EXPECT_EQ(h.headingLine2(false), "Circuit Parts List    Record: 0 of 12");
  EXPECT_EQ(h.headingLine2(true), "Hybrid Parts List    Record: 0 of 12");
}

TEST(HeadingLines, HybridLineShowsFunctionAndQuality) {
  CCircHeader h;
  h.DESCR = "RF module";
  h.ENV = 2;
  h.HYBFUNC = 3;
  h.HYBQU = 4;
  EXPECT_EQ(h.headingLine1(true),
            "RF module    Env: GF    Temp: 25.00 C    CF: 1.00000    Function: Microwave    Qu: Custom");
}

TEST(HeadingLines, StayWithin132CharactersWhateverTheFileHolds) {
  CCircHeader h;
  h.DESCR = std::string(5000, 'D');
  h.TEMP = std::numeric_limits<float>::infinity();
  h.CF = std::numeric_limits<float>::quiet_NaN();
  h.MODEL = 3;
  h.NREQ = 3e38f;
  h.ENV = 99;
  h.HYBQU = 0;
  for (bool hybrid : {false, true}) {
    EXPECT_LE(h.headingLine1(hybrid).size(), 132u);
    EXPECT_LE(h.headingLine2(hybrid).size(), 132u);
  }
  h.SUMCHIPS = -1e300;
  EXPECT_LE(h.hybridFactorLine2().size(), 132u);
}

TEST(HybridFactorLines, PrintFactorsThroughTheFormatter) {
  CCircHeader h;
  h.SUMCHIPS = 10.0;
  h.hybridModel();
  EXPECT_EQ(h.hybridFactorLine1(),
            "FR= SUMCHIPS * ( 1.0 + 0.2 *  PIE ) *  PIF  *  PIQ  *  PIL  *   PICF  ");
  EXPECT_EQ(h.hybridFactorLine2(),
            "    10.0000                  0.50     1.00    10.00   1.000   1.00000 ");
}

}  // namespace
}  // namespace kestrel
