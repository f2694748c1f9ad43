// Graph definition files: what is saved is what is opened, and every damaged
// or foreign file is refused with its message, never read past its end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/archive.hpp"
#include "core/doc_file.hpp"
#include "core/strfmt.hpp"
#include "graph/graph_definition.hpp"
#include "graph/graph_settings.hpp"
#include "support/faulty_file_system.hpp"
#include "support/golden.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::graph {
namespace {

GraphDefinition sample() {
  GraphDefinition d;
  d.settings = defaultSettings(kMtbfVsTempEnv);
  d.settings.from = -55;
  d.settings.to = 145;
  d.settings.step = 20;
  d.settings.environments = "GB, NS\tCL";
  d.settings.maxItems = 42;
  d.settings.includeHierarchy = false;
  d.settings.mission = true;
  d.settings.missionTime = 1234.5;
  d.style.width = 1200;
  d.style.height = 700;
  d.style.scale = ValueScale::Logarithmic;
  d.style.markers = false;
  return d;
}

// The file's body (without its checksum) built field by field, for damaged files.
struct Body {
  std::uint16_t version = kGraphDefinitionVersion;
  std::uint8_t type = kFrVsTemperature;
  std::uint32_t from = 0, to = 100, step = 10;
  std::uint8_t unit = 0;
  std::string envs = "GB";
  std::uint32_t maxItems = 10;
  std::uint8_t hierarchy = 1, mission = 0;
  double missionTime = -1.0;
  std::vector<std::uint8_t> block = encodeChartAttributes(ChartStyle{}, ChartForm::SingleCurve);
  std::uint32_t blockLength = 0xFFFFFFFF;  // the block's own length
  std::vector<std::uint8_t> trailer;

  std::vector<std::uint8_t> bytes() const {
    Archive ar = Archive::forWriting();
    auto v = version;
    auto t = type;
    auto f = from, to2 = to, st = step, mi = maxItems;
    auto u = unit, h = hierarchy, m = mission;
    std::string e = envs;
    double mt = missionTime;
    std::uint32_t n = blockLength == 0xFFFFFFFF ? static_cast<std::uint32_t>(block.size()) : blockLength;
    ar.io(v), ar.io(t), ar.io(f), ar.io(to2), ar.io(st), ar.io(u), ar.io(e), ar.io(mi), ar.io(h), ar.io(m), ar.io(mt);
    ar.io(n);
    std::vector<std::uint8_t> out = ar.bytes();
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), trailer.begin(), trailer.end());
    appendChecksum(out);
    return out;
  }
};

TEST(GraphDefinition, WhatIsSavedIsWhatIsOpened) {
  test::TempFolder dir;
  const GraphDefinition saved = sample();
  ASSERT_TRUE(saveGraphDefinition(posixFileSystem(), dir.file("SWEEP.gdf"), saved).isOk());
  GraphDefinition opened;
  ASSERT_TRUE(openGraphDefinition(posixFileSystem(), dir.file("SWEEP.gdf"), opened).isOk());
  // the encoding is checked field by field below; here every field comes back
  EXPECT_EQ(encodeGraphDefinition(opened), encodeGraphDefinition(saved));
}

TEST(GraphDefinition, LayoutStartsWithTheVersionWordAndEndsWithTheChecksum) {
  const std::vector<std::uint8_t> bytes = encodeGraphDefinition(sample());
  EXPECT_TRUE(checksumMatches(bytes));
  Body body;
  body.type = kMtbfVsTempEnv;
  body.from = static_cast<std::uint32_t>(-55), body.to = 145, body.step = 20;
  body.envs = "GB, NS\tCL";
  body.maxItems = 42;
  body.hierarchy = 0, body.mission = 1, body.missionTime = 1234.5;
  body.block = encodeChartAttributes(sample().style, ChartForm::MultipleCurves);
  EXPECT_EQ(body.bytes(), bytes);
}

struct Damage {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* message;
};
void PrintTo(const Damage& c, std::ostream* os) { *os << c.name; }

Body with(void (*change)(Body&)) {
  Body b;
  change(b);
  return b;
}

std::vector<std::uint8_t> flipped(std::vector<std::uint8_t> bytes, std::size_t at) {
  bytes.at(at) ^= 0x10;
  return bytes;
}

class DamagedDefinition : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedDefinition, RefusedWithItsMessage) {
  GraphDefinition d = sample();
  const Status s = decodeGraphDefinition(GetParam().bytes, "X.GDF", d);
  EXPECT_EQ(s.message(), GetParam().message);
  EXPECT_EQ(encodeGraphDefinition(d), encodeGraphDefinition(sample()));  // untouched
}

INSTANTIATE_TEST_SUITE_P(
    Graph, DamagedDefinition,
    ::testing::Values(
        Damage{"Empty", {}, "GDF Open...\n...end-of-file read error."},
        Damage{"ShorterThanVersionAndChecksum", {1, 0, 1, 0, 0}, "GDF Open...\n...end-of-file read error."},
        Damage{"ChecksumWrong", flipped(Body{}.bytes(), 3),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...1]."},
        Damage{"OtherVersion", with([](Body& b) { b.version = 2; }).bytes(),
               "GDF Open...\n...file version error...\n...InVer=2, ReqVer=1."},
        Damage{"BlockLongerThanWhatIsLeft", with([](Body& b) { b.blockLength = 200; }).bytes(),
               "GDF Open...\n...end-of-file read error."},
        Damage{"BlockLongerThanItsMaximum",
               with([](Body& b) { b.blockLength = static_cast<std::uint32_t>(kMaxAttributeBlock + 1); }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...5]."},
        Damage{"BlockLengthNearFourGigabytes", with([](Body& b) { b.blockLength = 0xFFFFFFF0u; }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...5]."},
        Damage{"BytesAfterTheBlock", with([](Body& b) { b.trailer = {0}; }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...1]."},
        Damage{"TypeOutsideTheTable", with([](Body& b) { b.type = 15; }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...5]."},
        Damage{"TimeUnitUnknown", with([](Body& b) { b.unit = 2; }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...5]."},
        Damage{"SwitchNeitherZeroNorOne", with([](Body& b) { b.hierarchy = 7; }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...5]."},
        Damage{"BlockOfAnotherChartForm",
               with([](Body& b) { b.block = encodeChartAttributes(ChartStyle{}, ChartForm::PieByItem); }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...7]."},
        Damage{"BlockThatIsNoBlock", with([](Body& b) { b.block = {9, 9, 9}; }).bytes(),
               "GDF Open...\n...can not read from 'X.GDF'...\n...[CArchiveException...7]."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GraphDefinition, EveryCutOfAGoodFileIsRefused) {
  const std::vector<std::uint8_t> bytes = encodeGraphDefinition(sample());
  // Every shorter body, given a checksum of its own (the whole body with one is the file itself).
  for (std::size_t n = 0; n + 4 < bytes.size(); ++n) {
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    appendChecksum(cut);  // a cut that still adds up
    GraphDefinition d;
    EXPECT_FALSE(decodeGraphDefinition(cut, "X.GDF", d).isOk()) << n;
  }
}

TEST(ChartAttributes, UnknownModeTextNamed) {
  Archive ar = Archive::forWriting();
  std::uint8_t version = kChartAttributesVersion, scale = 0, switches = 0;
  std::string mode = "LINE CHART";
  std::uint16_t w = 800, h = 500;
  ar.io(version), ar.io(mode), ar.io(w), ar.io(h), ar.io(scale), ar.io(switches);
  ChartStyle style;
  ChartForm form{};
  EXPECT_EQ(decodeChartAttributes(ar.bytes(), style, form).message(), "...Error: mode string ['LINE CHART'].");
}

TEST(GraphDefinition, MissingFileNamedWithItsCause) {
  test::TempFolder dir;
  GraphDefinition d;
  const Status s = openGraphDefinition(posixFileSystem(), dir.file("NONE.gdf"), d);
  EXPECT_EQ(s.message().rfind("GDF Open...\n...can not open '" + dir.file("NONE.gdf") + "'...\n...[CFileException...", 0),
            0u);
  EXPECT_NE(s.message().find("file not found"), std::string::npos);
}

TEST(GraphDefinition, SaveRefusesAnotherExtension) {
  test::TempFolder dir;
  const Status s = saveGraphDefinition(posixFileSystem(), dir.file("SWEEP.txt"), sample());
  EXPECT_EQ(s.message().rfind("GDF Save...\n...can not open '" + dir.file("SWEEP.txt") + "'...", 0), 0u);
  EXPECT_TRUE(dir.list().empty());
}

TEST(GraphDefinition, SaveKeepsTheOlderFileAsBackupAndAFailedSaveKeepsTheOld) {
  test::TempFolder dir;
  const std::string path = dir.file("A.GDF");
  GraphDefinition first = sample();
  ASSERT_TRUE(saveGraphDefinition(posixFileSystem(), path, first).isOk());
  GraphDefinition second = sample();
  second.settings.maxItems = 7;
  ASSERT_TRUE(saveGraphDefinition(posixFileSystem(), path, second).isOk());
  GraphDefinition backup;
  ASSERT_TRUE(openGraphDefinition(posixFileSystem(), path + ".BAK", backup).isOk());
  EXPECT_EQ(backup.settings.maxItems, 42);

  test::FaultyFileSystem fs;
  fs.failWriteAfter = 5;
  GraphDefinition third = sample();
  third.settings.maxItems = 99;
  const Status s = saveGraphDefinition(fs, path, third);
  EXPECT_EQ(s.message().rfind("GDF Save...\n...can not write to '" + path + "'...\n...[CFileException...", 0), 0u);
  GraphDefinition kept;
  ASSERT_TRUE(openGraphDefinition(posixFileSystem(), path, kept).isOk());
  EXPECT_EQ(kept.settings.maxItems, 7);
}

}  // namespace
}  // namespace kestrel::graph

// ---- The Graph page's checks with their exact messages, the points of a range,
// environment lists, the type table and the confirmation text.
namespace kestrel::graph::settings {
namespace {

GraphSettings with(int type, long from, long to, long step) {
  GraphSettings s = defaultSettings(type);
  s.from = from, s.to = to, s.step = step;
  return s;
}

struct CheckCase {
  const char* name;
  GraphSettings settings;
  const char* message;  // "" = passes
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }


class SettingsChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SettingsChecks, GiveTheirMessage) {
  const CheckCase& c = GetParam();
  const Status s = checkSettings(c.settings);
  EXPECT_EQ(s.isOk() ? std::string() : s.message(), c.message);
}

GraphSettings envs(int type, const char* list) {
  GraphSettings s = defaultSettings(type);
  s.environments = list;
  return s;
}
GraphSettings items(int type, long maxItems) {
  GraphSettings s = defaultSettings(type);
  s.maxItems = maxItems;
  return s;
}
GraphSettings years(long from, long to, long step) {
  GraphSettings s = with(kReliabilityVsTime, from, to, step);
  s.timeUnit = TimeUnit::Years;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Graph, SettingsChecks,
    ::testing::Values(
        CheckCase{"TemperatureRangeInside", with(kFrVsTemperature, -55, 175, 5), ""},
        CheckCase{"TemperatureFromBelowMinimum", with(kFrVsTemperature, -56, 100, 10),
                  "Number entry for \"From\" is out of range: -55 to 175"},
        CheckCase{"TemperatureToBelowFrom", with(kMtbfVsTemperature, 50, 40, 5),
                  "Number entry for \"To\" is out of range: 50 to 175"},
        CheckCase{"TemperatureToAboveMaximum", with(kFrVsTempEnv, 0, 176, 5),
                  "Number entry for \"To\" is out of range: 0 to 175"},
        CheckCase{"StressFromAbove100", with(kFrVsStress, 101, 101, 1),
                  "Number entry for \"From\" is out of range: 0 to 100"},
        CheckCase{"StepZero", with(kMtbfVsStress, 0, 100, 0), "Number entry for \"Step\" is out of range: 1 to 100"},
        CheckCase{"StepAbove100", with(kFrVsTemperature, -55, 175, 101),
                  "Number entry for \"Step\" is out of range: 1 to 100"},
        CheckCase{"TwoPointsTooFew", with(kFrVsTemperature, 0, 19, 10),
                  "Please adjust From/To/Step to give minimum of 3 data points...\n"
                  "...From 0 To 19 Step 10 gives 2 data points."},
        CheckCase{"ThreePointsEnough", with(kFrVsTemperature, 0, 20, 10), ""},
        CheckCase{"HundredPointsEnough", with(kFrVsStress, 1, 100, 1), ""},
        CheckCase{"HundredAndOnePointsTooMany", with(kFrVsStress, 0, 100, 1),
                  "Please adjust From/To/Step to give maximum of 100 data points...\n"
                  "...From 0 To 100 Step 1 gives 101 data points."},
        CheckCase{"HoursStepAboveItsMaximum", with(kReliabilityVsTime, 0, 9999999, 1000000),
                  "Number entry for \"Step\" is out of range: 1 to 999999"},
        CheckCase{"HoursFromAboveItsMaximum", with(kReliabilityVsTime, 10000000, 10000000, 1),
                  "Number entry for \"From\" is out of range: 0 to 9999999"},
        CheckCase{"YearsToAboveItsMaximum", years(0, 1001, 100), "Number entry for \"To\" is out of range: 0 to 1000"},
        CheckCase{"YearsInside", years(0, 1000, 100), ""},
        CheckCase{"UnknownEnvironmentCode", envs(kFrVsEnvironment, "GB XX"),
                  "Please edit \"Environment\"...\n...\"XX\" is not a valid environment code."},
        CheckCase{"NoEnvironmentCode", envs(kMtbfVsEnvironment, " ,\t "),
                  "Please edit \"Environment\" to give minimum of 1 environment code...\n"
                  "...there are now 0 valid environment codes."},
        CheckCase{"SixEnvironmentCodes", envs(kFrVsTempEnv, "GB GF GM NS NU AIC"),
                  "Please edit \"Environment\" to give maximum of 5 environment codes...\n"
                  "...there are now 6 valid environment codes."},
        CheckCase{"EnvironmentsInAnyCaseAndSeparator", envs(kFrVsEnvironment, "gb,Gf\tNS  cl"), ""},
        CheckCase{"EnvironmentListIgnoredByOtherTypes", envs(kFrVsTemperature, "XX"), ""},
        CheckCase{"MaxItemsTwo", items(kFrPartRecords, 2), "Number entry for \"Max Items\" is out of range: 3 to 100"},
        CheckCase{"MaxItemsHundredAndOne", items(kPctFrCircuits, 101),
                  "Number entry for \"Max Items\" is out of range: 3 to 100"},
        CheckCase{"MaxItemsHundred", items(kFrPartTypes, 100), ""},
        CheckCase{"TypeOutsideTable", with(15, 0, 100, 10), "...Error: graph type parameter [15]."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GraphRange, PointsRunFromFromByStepNotPastTo) {
  EXPECT_EQ(rangePoints(-55, 175, 115), (std::vector<long>{-55, 60, 175}));
  EXPECT_EQ(rangePoints(0, 19, 10), (std::vector<long>{0, 10}));
  EXPECT_EQ(rangePointCount(0, 9999999, 1), 10000000);
  EXPECT_TRUE(rangePoints(10, 0, 1).empty());
  EXPECT_TRUE(rangePoints(0, 10, 0).empty());
}

TEST(GraphRange, TotalPointsMultiplyCodesByTemperatures) {
  GraphSettings s = with(kFrVsTempEnv, 0, 100, 10);
  s.environments = "GB NS CL";
  EXPECT_EQ(totalPoints(s), 33);
  s.type = kFrVsEnvironment;
  EXPECT_EQ(totalPoints(s), 3);
  s.type = kFrPartRecords;
  EXPECT_EQ(totalPoints(s), 1);
}

TEST(GraphEnvironments, SplitAtBlanksCommasAndTabs) {
  std::vector<std::uint8_t> codes;
  ASSERT_TRUE(parseEnvironments(" GB,,gf\tCL ", codes).isOk());
  EXPECT_EQ(codes, (std::vector<std::uint8_t>{1, 2, 14}));
}

TEST(GraphTypes, NamedByIndexNameOrShortNameInAnyCase) {
  EXPECT_EQ(findGraphType("3"), 3);
  EXPECT_EQ(findGraphType("fr vs temperature/environment"), kFrVsTempEnv);
  EXPECT_EQ(findGraphType("PCT-CIR"), kPctFrCircuits);
  EXPECT_EQ(findGraphType("15"), std::nullopt);
  EXPECT_EQ(findGraphType("-1"), std::nullopt);
  EXPECT_EQ(findGraphType("bogus"), std::nullopt);
}

TEST(GraphTypes, ModeTextsAndTypesOutsideTheTable) {
  EXPECT_EQ(chartFormOfMode("PIE CHART...Items"), ChartForm::PieByItem);
  EXPECT_EQ(chartFormOfMode("PIE"), std::nullopt);
  EXPECT_EQ(modeStringError("PIE"), "...Error: mode string ['PIE'].");
  test::RecordingUi ui;
  EXPECT_FALSE(enabledFields(-1, ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "EnableMode...graph type parameter error...-1.");
}

GraphSettings topOnly(GraphSettings s) {
  s.includeHierarchy = false;
  return s;
}

// Every graph type as the Graph page shows it: names, chart mode, axis
// titles, the fields it uses, its defaults passing the checks and the
// question asked; then the question for ranges of each kind.
TEST(GraphTypes, EveryTypeAsThePageShowsIt) {
  test::RecordingUi ui;
  std::string out;
  const auto confirmation = [&out](const GraphSettings& s, bool calculateFollows) {
    for (const std::string& line : confirmationLines(s, "TOP.CIR", calculateFollows)) out += "  | " + line + "\n";
  };
  for (int type = 0; type < kGraphTypeCount; ++type) {
    const auto f = enabledFields(type, ui);
    ASSERT_TRUE(f) << type;
    const Status defaults = checkSettings(defaultSettings(type));
    const auto text = [](std::string_view t) { return std::string(t); };
    out += "== " + std::to_string(type) + " " + text(graphTypeAlias(type)) + " \"" + text(graphTypeName(type)) +
           "\" " + text(chartModeText(formOf(type))) + "\n";
    out += "  x: " + text(categoryTitle(type, TimeUnit::Hours)) + " / " + text(categoryTitle(type, TimeUnit::Years)) +
           "  y: " + text(valueTitle(type, false)) + " / " + text(valueTitle(type, true)) + "\n";
    out += strprintf("  fields:%s%s%s%s%s  defaults: %s\n", f->range ? " range" : "", f->timeUnit ? " time-unit" : "",
                     f->environments ? " environments" : "", f->maxItems ? " max-items" : "",
                     f->hierarchy ? " hierarchy" : "", defaults.isOk() ? "pass" : defaults.message().c_str());
    confirmation(defaultSettings(type), type == kFrVsStress);
  }
  const std::pair<const char*, GraphSettings> ranges[] = {
      {"Temperature", with(kFrVsTemperature, -20, 120, 10)}, {"Environment", envs(kMtbfVsEnvironment, "GB NS")},
      {"TemperatureEnvironment", envs(kFrVsTempEnv, "CL")}, {"Stress", with(kFrVsStress, 10, 90, 20)},
      {"TimeInYears", years(0, 20, 2)},                     {"ItemsWithHierarchy", items(kFrPartRecords, 12)},
      {"ItemsTopLevelOnly", topOnly(items(kPctFrCircuits, 5))}};
  for (const auto& [name, s] : ranges) {
    out += std::string("== question for ") + name + "\n";
    confirmation(s, false);
  }
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_GOLDEN("graph_types.txt", out);
}

}  // namespace
}  // namespace kestrel::graph::settings
