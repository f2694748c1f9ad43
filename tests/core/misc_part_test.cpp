#include "core/misc_part.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/circ_header.hpp"
#include "core/registry.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

struct MiscCase {
  std::uint8_t method;
  float baseFr, ea, tNormal, tRise, ambient, cf;
  double pit;
};

class MiscModel : public ::testing::TestWithParam<MiscCase> {};

TEST_P(MiscModel, ArrheniusFactorMatchesHandWorkedValue) {
  const MiscCase& c = GetParam();
  CMisc part;
  part.METHOD = c.method;
  part.BASEFR = c.baseFr;
  part.EA = c.ea;
  part.TNORMAL = c.tNormal;
  part.TRISE = c.tRise;
  part.CF = c.cf;
  CCircHeader h;
  h.TEMP = c.ambient;
  part.Calculate(h);
  EXPECT_NEAR(part.PIT, c.pit, 0.005);
  EXPECT_NEAR(part.FR, c.baseFr * c.pit * c.cf, c.baseFr * c.cf * 0.005);
  EXPECT_FLOAT_EQ(part.S, -1.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, MiscModel,
                         ::testing::Values(
                             // fixed: no temperature factor
                             MiscCase{1, 2.0f, 0.35f, 25, 30, 90, 1.0f, 1.0},
                             // Ea 0.35 eV, Tnormal 25, ambient 55: 3.48
                             MiscCase{2, 1.0f, 0.35f, 25, 0, 55, 1.0f, 3.48},
                             // T equal to Tnormal: 1.0
                             MiscCase{2, 5.0f, 0.7f, 40, 15, 25, 2.0f, 1.0}));

TEST(MiscModel, FlagsOverTemperatureAgainstTheLimit) {
  CMisc part;
  part.METHOD = 2;
  part.TRISE = 100;
  part.TEMPLIMIT = 120;
  CCircHeader h;
  h.TEMP = 25;
  part.Calculate(h);
  EXPECT_EQ(part.OverFlags & OverTemp, OverTemp);
  part.TRISE = 95;  // T = 120 is not above the limit
  part.Calculate(h);
  EXPECT_EQ(part.OverFlags, 0u);
}

TEST(MiscModel, LinesStayWithinTheLineLength) {
  CMisc part;
  part.METHOD = 2;
  part.BASEFR = 1e30f;
  part.EA = -1e30f;
  std::string a, b;
  part.FormatDetail(a, b, std::string(200, ' '));
  EXPECT_LE(a.size(), 132u);
  part.FormatFactors(a, b, "    ");
  EXPECT_EQ(a, "    FR=    LB    *   PIT    *   PICF  ");
  EXPECT_LE(b.size(), 132u);
}

TEST(MiscModel, CopyAndUpdateAppParams) {
  CMisc a;
  a.METHOD = 2;
  a.TRISE = 12;
  a.BASEFR = 3;
  a.PN = "X";
  auto copy = a.clone();
  const auto& c = static_cast<const CMisc&>(*copy);
  EXPECT_EQ(c.PN, "X");
  EXPECT_EQ(c.METHOD, 2);
  EXPECT_FLOAT_EQ(c.BASEFR, 3);
  CMisc b;
  b.UpdateAppParams(a);
  EXPECT_FLOAT_EQ(b.TRISE, 12);
  EXPECT_FLOAT_EQ(b.BASEFR, 1.0f);  // only the temperature rise is an application parameter
}

}  // namespace
}  // namespace kestrel
