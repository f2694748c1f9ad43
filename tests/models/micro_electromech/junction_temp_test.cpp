#include "models/micro_electromech/junction_temp.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"

namespace kestrel {
namespace {

using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// A part class as a microcircuit uses the block: Tj first, no stress figure,
// the surface-mount step last.
class ThermalPart final : public CPart {
 public:
  static const ClassRecord kClass;
  const ClassRecord& classRecord() const override { return kClass; }
  void Calculate(CCircHeader& header) override {
    tj = thermal.beginCalculation(*this, header, kMicrocircuitThermalFields);
    S = -1.0f;
    FR = 1.0f;
    thermal.finishCalculation(*this, header, kMicrocircuitThermalFields);
  }
  JunctionTemp thermal;
  double tj = -999.0;
};
const ClassRecord ThermalPart::kClass = makeClassRecord<ThermalPart>("CThermalTestPart");

CCircHeader header(float ambient, bool smt = false) {
  CCircHeader h;
  h.ENV = 1;
  h.TEMP = ambient;
  h.HASSMT = smt ? 1 : 0;
  return h;
}

JunctionTemp block(std::uint8_t mode, float tadj, float pd, float rjc, float rca, float tca, float tja) {
  JunctionTemp b;
  b.MODE = mode;
  b.PD = pd;
  b.RJC = rjc;
  b.RCA = rca;
  b.TADJ = tadj;
  b.TCA = tca;
  b.TJA = tja;
  return b;
}

// ---- Tj by mode, and the default surface-mount rise -------------------------

struct ModeCase {
  const char* label;
  JunctionTemp thermal;
  float ambient;
  double tj;
  double smtRise;
};

class JunctionTempModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(JunctionTempModes, JunctionTemperatureAndDefaultSmtRise) {
  const ModeCase& c = GetParam();
  ThermalPart p;
  p.thermal = c.thermal;
  p.IS_SMT = 1;  // "Default" rise mode
  p.SMT_TEMPRISE = 99.0f;
  CCircHeader h = header(c.ambient, true);
  p.Calculate(h);
  EXPECT_DOUBLE_EQ(p.tj, c.tj);
  EXPECT_FLOAT_EQ(p.T, static_cast<float>(c.tj));
  EXPECT_FLOAT_EQ(p.SMT_TEMPRISE, static_cast<float>(c.smtRise));
  EXPECT_EQ(p.SmtCalcFlag, 1);
  EXPECT_EQ(p.OverFlags, 0u);
}

// Fields the mode does not name are set to 99 / 9 to show they play no part.
INSTANTIATE_TEST_SUITE_P(
    Modes, JunctionTempModes,
    ::testing::Values(
        // 25 + 5 + 0.5 x (10 + 20) = 45; rise Pd x Rjc = 0.5 x 10 = 5 (not Pd x (Rjc + Rca))
        ModeCase{"ResistancePath", block(1, 5, 0.5f, 10, 20, 99, 99), 25, 45.0, 5.0},
        // 25 + 10 + 0.5 x 10 = 40; rise 0.5 x 10 = 5
        ModeCase{"CaseRise", block(2, 99, 0.5f, 10, 99, 10, 99), 25, 40.0, 5.0},
        // 25 + 30 = 55; rise Tja = 30
        ModeCase{"JunctionRise", block(3, 99, 9, 9, 9, 99, 30), 25, 55.0, 30.0},
        // a new record: mode 1, all 0 -> Tj = Ta = 40, rise 0
        ModeCase{"NewRecordIsAtAmbient", JunctionTemp{}, 40, 40.0, 0.0},
        // -55 + 0 + 2 x (15 + 5) = -15; rise 2 x 15 = 30
        ModeCase{"ColdAmbientResistancePath", block(1, 0, 2, 15, 5, 0, 0), -55, -15.0, 30.0}),
    labelOf<ModeCase>);

// ---- Over-temperature --------------------------------------------------------

struct LimitCase {
  const char* label;
  JunctionTemp thermal;
  float tempLimit;
  std::uint32_t flags;
};

class JunctionTempLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(JunctionTempLimit, OverTempOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  ThermalPart p;
  p.thermal = c.thermal;
  p.TEMPLIMIT = c.tempLimit;
  p.OverFlags = OverStress | OverTemp | EnvNotValid | EntryOverRange;  // stale: cleared first
  CCircHeader h = header(25);
  p.Calculate(h);
  EXPECT_EQ(p.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, JunctionTempLimit,
    ::testing::Values(
        // 25 + 150 = 175, the base default limit
        LimitCase{"EqualToDefaultLimit", block(3, 0, 0, 0, 0, 0, 150), 175, 0u},
        // 25 + 150.01 = 175.01
        LimitCase{"JustAboveDefaultLimit", block(3, 0, 0, 0, 0, 0, 150.01f), 175, OverTemp},
        // 25 + 30 + 1 x 20 = 75 against 75, then 25 + 30.5 + 20 = 75.5
        LimitCase{"CaseRiseEqualToLowLimit", block(2, 0, 1, 20, 0, 30, 0), 75, 0u},
        LimitCase{"CaseRiseJustAboveLowLimit", block(2, 0, 1, 20, 0, 30.5f, 0), 75, OverTemp}),
    labelOf<LimitCase>);

// ---- A mode outside the list --------------------------------------------------

class JunctionTempBadMode : public ::testing::TestWithParam<int> {};

TEST_P(JunctionTempBadMode, GivesAmbientWithEntryOverRange) {
  ThermalPart p;
  p.thermal = block(static_cast<std::uint8_t>(GetParam()), 5, 1, 10, 10, 20, 30);
  p.IS_SMT = 1;
  p.SMT_TEMPRISE = 99.0f;
  CCircHeader h = header(35, true);
  p.Calculate(h);
  EXPECT_DOUBLE_EQ(p.tj, 35.0);
  EXPECT_FLOAT_EQ(p.T, 35.0f);
  EXPECT_EQ(p.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_EQ(p.thermal.MODE, GetParam());  // kept as stored
  EXPECT_FLOAT_EQ(p.SMT_TEMPRISE, 0.0f);  // no rise at ambient
  EXPECT_EQ(p.thermal.thermalLine("> "), "");

  p.OverFlags = 0;
  p.thermal.normalize(p);
  EXPECT_EQ(p.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_EQ(p.thermal.MODE, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Stored, JunctionTempBadMode, ::testing::Values(0, 4, 255));

TEST(JunctionTempBadMode, ValidModeNormalizesWithoutFlag) {
  ThermalPart p;
  for (std::uint8_t mode = 1; mode <= 3; ++mode) {
    p.thermal.MODE = mode;
    p.thermal.normalize(p);
  }
  EXPECT_EQ(p.OverFlags, 0u);
}

// ---- Stored values outside their entry ranges ---------------------------------

struct ExtremeCase {
  const char* label;
  JunctionTemp thermal;
  float ambient;
  double tj;
  std::uint32_t flags;
};

class JunctionTempExtremes : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(JunctionTempExtremes, InputsLimitedToTheirRanges) {
  const ExtremeCase& c = GetParam();
  ThermalPart p;
  p.thermal = c.thermal;
  CCircHeader h = header(c.ambient);
  p.Calculate(h);
  EXPECT_TRUE(std::isfinite(p.tj));
  EXPECT_DOUBLE_EQ(p.tj, c.tj);
  EXPECT_EQ(p.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, JunctionTempExtremes,
    ::testing::Values(
        // microcircuit Pd limited to 9999 W: 25 + 9999 x 1 = 10024
        ExtremeCase{"HugePowerLimitedToMicrocircuitRange", block(1, 0, 1e30f, 1, 0, 0, 0), 25, 10024.0,
                    EntryOverRange | OverTemp},
        ExtremeCase{"PowerNotANumberIsZero", block(2, 0, kNaNf, 10, 0, 0, 0), 25, 25.0, EntryOverRange},
        // Rjc -5 limited to 0: 25 + 10 + 2 x 0 = 35
        ExtremeCase{"NegativeResistanceIsZero", block(2, 0, 2, -5, 0, 10, 0), 25, 35.0, EntryOverRange},
        // Tja limited to 175: 25 + 175 = 200
        ExtremeCase{"HugeRiseLimitedTo175", block(3, 0, 0, 0, 0, 0, 1e9f), 25, 200.0,
                    EntryOverRange | OverTemp},
        // ambient limited to -55: -55 + 10 = -45
        ExtremeCase{"AmbientBelowAbsoluteZero", block(3, 0, 0, 0, 0, 0, 10), -300, -45.0, EntryOverRange},
        ExtremeCase{"AmbientNotANumber", block(3, 0, 0, 0, 0, 0, 10), kNaNf, -45.0, EntryOverRange},
        // Pd, Rjc, Rca, Tadj, Tca are not named by mode 3: 25 + 20 = 45, no flag
        ExtremeCase{"UnusedFieldsPlayNoPart", block(3, kNaNf, -1, 1e30f, kNaNf, -7, 20), 25, 45.0, 0u}),
    labelOf<ExtremeCase>);

// ---- Surface mounting --------------------------------------------------------

TEST(JunctionTempSurfaceMount, ManualRiseStays) {
  ThermalPart p;
  p.thermal = block(3, 0, 0, 0, 0, 0, 30);
  p.IS_SMT = 1;
  p.SMT_TRISEMODE = 2;
  p.SMT_TEMPRISE = 12.0f;
  CCircHeader h = header(25, true);
  p.Calculate(h);
  EXPECT_FLOAT_EQ(p.SMT_TEMPRISE, 12.0f);
  EXPECT_EQ(p.SmtCalcFlag, 1);
}

struct SkipCase {
  const char* label;
  bool hybrid, smtAnalysis, surfaceMounted;
};

class JunctionTempSmtSkipped : public ::testing::TestWithParam<SkipCase> {};

TEST_P(JunctionTempSmtSkipped, ClearsFlagAndKeepsRise) {
  const SkipCase& c = GetParam();
  ThermalPart p;
  p.thermal = block(3, 0, 0, 0, 0, 0, 30);
  p.IS_HYBRID = c.hybrid ? 1 : 0;
  p.IS_SMT = c.surfaceMounted ? 1 : 0;
  p.SmtCalcFlag = 1;  // stale result
  p.SMT_TEMPRISE = 4.0f;
  CCircHeader h = header(25, c.smtAnalysis);
  p.Calculate(h);
  EXPECT_EQ(p.SmtCalcFlag, 0);
  EXPECT_FLOAT_EQ(p.SMT_TEMPRISE, 4.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, JunctionTempSmtSkipped,
                         ::testing::Values(SkipCase{"HybridPart", true, true, true},
                                           SkipCase{"CircuitWithoutAnalysis", false, false, true},
                                           SkipCase{"PartNotSurfaceMounted", false, true, false}),
                         labelOf<SkipCase>);

// ---- Import -------------------------------------------------------------------

void setOption(ImportSetup& s, const char* keyword, std::uint8_t option) {
  for (CKwd& k : s.kwds) {
    if (k.name == keyword) k.valueOption = option;
  }
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

// The transistor block's keywords on fields 3..9: mode 1 in the input,
// Pd 0.25, Rjc 40, Rca 60, Tadj 3, Tca 12, Tja 7.
void mapBlock(ImportSetup& s) {
  s.map("TR_TEMPMODE", 3, std::string("Tj=Ta+Tadj+Pd(Rjc+Rca)"));
  s.map("TR_PD", 4, 0.25);
  s.map("TR_RJC", 5, 40.0);
  s.map("TR_RCA", 6, 60.0);
  s.map("TR_TADJ", 7, 3.0);
  s.map("TR_TCA", 8, 12.0);
  s.map("TR_TJA", 9, 7.0);
}

bool logged(const test::Log& log, const std::string& line) {
  for (const std::string& l : log) {
    if (l == line) return true;
  }
  return false;
}

struct OverrideCase {
  const char* label;
  std::uint8_t option;  // 0: TR_TEMP not mapped
  double value;
  float ambient;
  std::uint8_t mode;
  float tca, tja;
  const char* warning;  // "" for none
};

class JunctionTempImport : public ::testing::TestWithParam<OverrideCase> {};

TEST_P(JunctionTempImport, OverrideSetsModeAndRise) {
  const OverrideCase& c = GetParam();
  ImportSetup s;
  mapBlock(s);
  if (c.option != 0) {
    s.map("TR_TEMP", 10, c.value);
    setOption(s, "TR_TEMP", c.option);
  }
  JunctionTemp b;
  ASSERT_TRUE(b.importFields(s.reader, kTransistorThermalFields, c.ambient,
                             [&s](std::string_view line) { s.log.emplace_back(line); }));
  EXPECT_EQ(b.MODE, c.mode);
  EXPECT_FLOAT_EQ(b.PD, 0.25f);
  EXPECT_FLOAT_EQ(b.RJC, 40.0f);
  EXPECT_FLOAT_EQ(b.RCA, 60.0f);
  EXPECT_FLOAT_EQ(b.TADJ, 3.0f);
  EXPECT_FLOAT_EQ(b.TCA, c.tca);
  EXPECT_FLOAT_EQ(b.TJA, c.tja);
  if (*c.warning != '\0') {
    EXPECT_TRUE(logged(s.log, c.warning)) << c.warning;
  } else {
    EXPECT_FALSE(logged(s.log, "   ...Tca override out-of-range: set to 0 (R7)..."));
    EXPECT_FALSE(logged(s.log, "   ...Tja override out-of-range: set to 0 (R7)..."));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, JunctionTempImport,
    ::testing::Values(OverrideCase{"NoOverrideReadsModeAndRises", 0, 0, 25, 1, 12, 7, ""},
                      // TJUNC 20 at Ta 25: Tja = 20 - 25 = -5 < 0 -> 0; mode 3; Tca keyword read
                      OverrideCase{"JunctionBelowAmbientGivesZeroTja", kOverrideJunction, 20, 25, 3, 12, 0,
                                   "   ...Tja override out-of-range: set to 0 (R7)..."},
                      // TJUNC 85 at Ta 25: Tja = 60
                      OverrideCase{"JunctionAboveAmbient", kOverrideJunction, 85, 25, 3, 12, 60, ""},
                      // TJUNC 200 at Ta 25: Tja = 175, the top of the range
                      OverrideCase{"JunctionRiseAtTopOfRange", kOverrideJunction, 200, 25, 3, 12, 175, ""},
                      // TJUNC 400 read as 300 (range -55..300): Tja = 275 > 175 -> 0
                      OverrideCase{"JunctionAboveReadRange", kOverrideJunction, 400, 25, 3, 12, 0,
                                   "   ...Tja override out-of-range: set to 0 (R7)..."},
                      // TCASE 60 at Ta 25: mode 2, Tca = 35, the Tja keyword still read (7)
                      OverrideCase{"CaseSetsModeTwoAndTca", kOverrideCase, 60, 25, 2, 35, 7, ""},
                      // TCASE 250 at Ta 25: Tca = 225 > 175 -> 0
                      OverrideCase{"CaseFarAboveAmbientGivesZeroTca", kOverrideCase, 250, 25, 2, 0, 7,
                                   "   ...Tca override out-of-range: set to 0 (R7)..."},
                      // TCASE 10 at Ta 25: Tca = -15 -> 0
                      OverrideCase{"CaseBelowAmbientGivesZeroTca", kOverrideCase, 10, 25, 2, 0, 7,
                                   "   ...Tca override out-of-range: set to 0 (R7)..."},
                      // TRISE 40: Tja = 40 whatever the ambient
                      OverrideCase{"RiseAtRoomAmbient", kOverrideRise, 40, 25, 3, 12, 40, ""},
                      OverrideCase{"RiseAtHotAmbient", kOverrideRise, 40, 150, 3, 12, 40, ""}),
    labelOf<OverrideCase>);

class JunctionTempBadOption : public ::testing::TestWithParam<int> {};

TEST_P(JunctionTempBadOption, FailsTheRecordWithMessage) {
  ImportSetup s;
  mapBlock(s);
  s.map("DIO_TEMP", 10, 50.0);
  setOption(s, "DIO_TEMP", static_cast<std::uint8_t>(GetParam()));
  s.map("DIO_PD", 4, 0.25);
  JunctionTemp b;
  EXPECT_FALSE(b.importFields(s.reader, kDiodeThermalFields, 25,
                              [&s](std::string_view line) { s.log.emplace_back(line); }));
  EXPECT_TRUE(logged(s.log, "   ...Error: invalid 'DIO_TEMP' value type (R7)."));
  EXPECT_FLOAT_EQ(b.PD, 0.0f);  // nothing read after the failure
}

INSTANTIATE_TEST_SUITE_P(Options, JunctionTempBadOption, ::testing::Values(0, 4, 200));

TEST(JunctionTempImport, ReadsStopAtFirstMissingKeyword) {
  JunctionTemp b;
  {
    // no override: Tca is read, and missing fails
    ImportSetup s;
    mapBlock(s);
    dropKeyword(s, "TR_TCA");
    EXPECT_FALSE(b.importFields(s.reader, kTransistorThermalFields, 25));
  }
  {
    // TJUNC: Tja comes from the override, so its keyword is never read
    ImportSetup s;
    mapBlock(s);
    dropKeyword(s, "TR_TJA");
    dropKeyword(s, "TR_TEMPMODE");
    s.map("TR_TEMP", 10, 55.0);
    setOption(s, "TR_TEMP", kOverrideJunction);
    ASSERT_TRUE(b.importFields(s.reader, kTransistorThermalFields, 25));
    EXPECT_FLOAT_EQ(b.TJA, 30.0f);  // 55 - 25
  }
  {
    // TCASE: the Tja keyword is still read
    ImportSetup s;
    mapBlock(s);
    dropKeyword(s, "TR_TJA");
    s.map("TR_TEMP", 10, 55.0);
    setOption(s, "TR_TEMP", kOverrideCase);
    EXPECT_FALSE(b.importFields(s.reader, kTransistorThermalFields, 25));
  }
}

TEST(JunctionTempImport, PowerRangeByClass) {
  // 50000 W: within 0..99999 for discrete parts, limited to 9999 for microcircuits
  ImportSetup s;
  s.map("TR_PD", 4, 50000.0);
  s.map("IC_PD", 5, 50000.0);
  JunctionTemp discrete, micro;
  ASSERT_TRUE(discrete.importFields(s.reader, kTransistorThermalFields, 25));
  ASSERT_TRUE(micro.importFields(s.reader, kMicrocircuitThermalFields, 25));
  EXPECT_FLOAT_EQ(discrete.PD, 50000.0f);
  EXPECT_FLOAT_EQ(micro.PD, 9999.0f);
}

// ---- The seven classes' keyword sets -------------------------------------------

TEST(JunctionTempFieldSets, EveryKeywordIsInTheCatalogueWithItsType) {
  const JunctionTempFields* sets[] = {&kMicrocircuitThermalFields, &kVlsiThermalFields,
                                      &kMmicThermalFields,         &kTransistorThermalFields,
                                      &kDiodeThermalFields,        &kMicrowaveTransistorThermalFields,
                                      &kOptoThermalFields};
  const char* prefixes[] = {"IC_", "VLSI_", "MMIC_", "TR_", "DIO_", "MTR_", "OPTO_"};
  const double pdMax[] = {9999, 9999, 9999, 99999, 99999, 99999, 99999};
  for (std::size_t i = 0; i < 7; ++i) {
    const JunctionTempFields& f = *sets[i];
    const std::string p = prefixes[i];
    EXPECT_EQ(f.mode.keyword, p + "TEMPMODE");
    EXPECT_EQ(f.pd.keyword, p + "PD");
    EXPECT_EQ(f.rjc.keyword, p + "RJC");
    EXPECT_EQ(f.rca.keyword, p + "RCA");
    EXPECT_EQ(f.tadj.keyword, p + "TADJ");
    EXPECT_EQ(f.tca.keyword, p + "TCA");
    EXPECT_EQ(f.tja.keyword, p + "TJA");
    EXPECT_EQ(f.temp, p + "TEMP");
    EXPECT_DOUBLE_EQ(f.pd.hi, pdMax[i]);
    const KeywordInfo* mode = findKeyword(f.mode.keyword);
    ASSERT_NE(mode, nullptr) << f.mode.keyword;
    EXPECT_EQ(mode->type, KeywordType::Choice);
    for (const FieldSpec* n : {&f.pd, &f.rjc, &f.rca, &f.tadj, &f.tca, &f.tja}) {
      const KeywordInfo* k = findKeyword(n->keyword);
      ASSERT_NE(k, nullptr) << n->keyword;
      EXPECT_EQ(k->type, KeywordType::Num) << n->keyword;
    }
    const KeywordInfo* temp = findKeyword(f.temp);
    ASSERT_NE(temp, nullptr) << f.temp;
    EXPECT_EQ(temp->type, KeywordType::Num);
  }
}

// ---- Page ----------------------------------------------------------------------

struct Seen {
  std::string keyword;
  bool applies;
  double lo, hi;
};

class RecordingVisitor final : public FieldVisitor {
 public:
  void text(const FieldSpec& s, std::string&, bool a) override {
    seen.push_back({std::string(s.keyword), a, s.lo, s.hi});
  }
  void number(const FieldSpec& s, float&, bool a) override {
    seen.push_back({std::string(s.keyword), a, s.lo, s.hi});
  }
  void choice(const FieldSpec& s, std::uint8_t&, bool a) override {
    seen.push_back({std::string(s.keyword), a, s.lo, s.hi});
  }
  void flag(const FieldSpec& s, std::uint16_t&, bool a) override {
    seen.push_back({std::string(s.keyword), a, s.lo, s.hi});
  }
  std::vector<Seen> seen;
};

TEST(JunctionTempPage, SevenEntriesInEveryMode) {
  const Seen expected[] = {{"OPTO_TEMPMODE", true, 0, 0}, {"OPTO_PD", true, 0, 99999},
                           {"OPTO_RJC", true, 0, 9999},   {"OPTO_RCA", true, 0, 9999},
                           {"OPTO_TADJ", true, 0, 175},   {"OPTO_TCA", true, 0, 175},
                           {"OPTO_TJA", true, 0, 175}};
  for (std::uint8_t mode = 1; mode <= 3; ++mode) {
    JunctionTemp b;
    b.MODE = mode;
    RecordingVisitor v;
    b.page(v, kOptoThermalFields);
    ASSERT_EQ(v.seen.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
      EXPECT_EQ(v.seen[i].keyword, expected[i].keyword);
      EXPECT_TRUE(v.seen[i].applies);
      EXPECT_DOUBLE_EQ(v.seen[i].hi, expected[i].hi);
    }
  }
}

// ---- Text line ------------------------------------------------------------------

struct LineCase {
  const char* label;
  JunctionTemp thermal;
  const char* line;
};

class JunctionTempLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(JunctionTempLine, ThermalLineByMode) {
  EXPECT_EQ(GetParam().thermal.thermalLine("  "), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, JunctionTempLine,
    ::testing::Values(
        // Tadj (6,2), Pd (8,4), Rjc (6,2), Rca (6,2)
        LineCase{"ResistancePath", block(1, 5, 0.5f, 10, 20, 0, 0),
                 "  Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+5.00+0.5000(10.00+20.00)"},
        // Tca (6,2), Pd (8,4), Rjc (6,2); zero prints 0.0
        LineCase{"CaseRise", block(2, 0, 0, 12.5f, 0, 10, 0), "  Tj = Ta+Tca+PdRjc = Ta+10.00+0.0(12.50)"},
        // Tja (6,2)
        LineCase{"JunctionRise", block(3, 0, 0, 0, 0, 0, 150), "  Tj = Ta+Tja = Ta+150.00"}),
    labelOf<LineCase>);

TEST(JunctionTempLine, ExtremeValuesStayWithin132) {
  for (float v : {3e38f, -3e38f, kNaNf, 1e-30f}) {
    for (std::uint8_t mode = 1; mode <= 3; ++mode) {
      const JunctionTemp b = block(mode, v, v, v, v, v, v);
      for (std::size_t prefix : {0u, 100u, 200u}) {
        const std::string line = b.thermalLine(std::string(prefix, '>'));
        EXPECT_LE(line.size(), 132u);
        EXPECT_FALSE(line.empty());
      }
    }
  }
}

// ---- File form and copies --------------------------------------------------------

float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(JunctionTempFile, ModeThenSixFloatsInOrder) {
  JunctionTemp b = block(2, 5, 0.5f, 10, 20, 30, 40);
  Archive out = Archive::forWriting();
  b.serialize(out);
  const std::vector<std::uint8_t>& bytes = out.bytes();
  ASSERT_EQ(bytes.size(), 25u);  // 1 + 6 x 4
  EXPECT_EQ(bytes[0], 2);
  EXPECT_FLOAT_EQ(floatAt(bytes, 1), 0.5f);    // Pd
  EXPECT_FLOAT_EQ(floatAt(bytes, 5), 10.0f);   // Rjc
  EXPECT_FLOAT_EQ(floatAt(bytes, 9), 20.0f);   // Rca
  EXPECT_FLOAT_EQ(floatAt(bytes, 13), 5.0f);   // Tadj
  EXPECT_FLOAT_EQ(floatAt(bytes, 17), 30.0f);  // Tca
  EXPECT_FLOAT_EQ(floatAt(bytes, 21), 40.0f);  // Tja

  Archive in = Archive::forReading(bytes, "block");
  JunctionTemp back;
  back.serialize(in);
  ASSERT_TRUE(in.ok());
  EXPECT_EQ(back.MODE, 2);
  EXPECT_FLOAT_EQ(back.PD, 0.5f);
  EXPECT_FLOAT_EQ(back.RJC, 10.0f);
  EXPECT_FLOAT_EQ(back.RCA, 20.0f);
  EXPECT_FLOAT_EQ(back.TADJ, 5.0f);
  EXPECT_FLOAT_EQ(back.TCA, 30.0f);
  EXPECT_FLOAT_EQ(back.TJA, 40.0f);
}

TEST(JunctionTempFile, ApplicationParametersLeaveRjc) {
  JunctionTemp own = block(1, 1, 1, 11, 1, 1, 1);
  own.copyAppParams(block(3, 5, 0.5f, 99, 20, 30, 40));
  EXPECT_EQ(own.MODE, 3);
  EXPECT_FLOAT_EQ(own.PD, 0.5f);
  EXPECT_FLOAT_EQ(own.RJC, 11.0f);  // stays with the device
  EXPECT_FLOAT_EQ(own.RCA, 20.0f);
  EXPECT_FLOAT_EQ(own.TADJ, 5.0f);
  EXPECT_FLOAT_EQ(own.TCA, 30.0f);
  EXPECT_FLOAT_EQ(own.TJA, 40.0f);
}

}  // namespace
}  // namespace kestrel
