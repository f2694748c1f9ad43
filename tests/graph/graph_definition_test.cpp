// Graph definition files: what is saved is what is opened, and every damaged
// or foreign file is refused with its message, never read past its end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/archive.hpp"
#include "core/doc_file.hpp"
#include "graph/graph_definition.hpp"
#include "shell/settings.hpp"
#include "support/faulty_file_system.hpp"

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

void expectSame(const GraphDefinition& a, const GraphDefinition& b) {
  EXPECT_EQ(a.settings.type, b.settings.type);
  EXPECT_EQ(a.settings.from, b.settings.from);
  EXPECT_EQ(a.settings.to, b.settings.to);
  EXPECT_EQ(a.settings.step, b.settings.step);
  EXPECT_EQ(a.settings.timeUnit, b.settings.timeUnit);
  EXPECT_EQ(a.settings.environments, b.settings.environments);
  EXPECT_EQ(a.settings.maxItems, b.settings.maxItems);
  EXPECT_EQ(a.settings.includeHierarchy, b.settings.includeHierarchy);
  EXPECT_EQ(a.settings.mission, b.settings.mission);
  EXPECT_EQ(a.settings.missionTime, b.settings.missionTime);
  EXPECT_EQ(a.style.width, b.style.width);
  EXPECT_EQ(a.style.height, b.style.height);
  EXPECT_EQ(a.style.scale, b.style.scale);
  EXPECT_EQ(a.style.grid, b.style.grid);
  EXPECT_EQ(a.style.markers, b.style.markers);
  EXPECT_EQ(a.style.legend, b.style.legend);
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
  expectSame(opened, saved);
}

TEST(GraphDefinition, LayoutStartsWithTheVersionWordAndEndsWithTheChecksum) {
  const std::vector<std::uint8_t> bytes = encodeGraphDefinition(sample());
  ASSERT_GT(bytes.size(), 20u);
  EXPECT_EQ(bytes[0] | bytes[1] << 8, kGraphDefinitionVersion);
  EXPECT_EQ(bytes[2], kMtbfVsTempEnv);
  EXPECT_EQ(bytes[3] | bytes[4] << 8 | bytes[5] << 16 | static_cast<std::uint32_t>(bytes[6]) << 24,
            static_cast<std::uint32_t>(-55));
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
  expectSame(d, sample());  // untouched
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

TEST(GraphDefinition, LastFileRememberedInTheGraphSection) {
  test::TempFolder dir;
  std::vector<std::string> warnings;
  Settings settings = Settings::load(posixFileSystem(), dir.file("217F2.INI"), warnings);
  EXPECT_EQ(lastGraphDefinition(settings), "");
  rememberGraphDefinition(settings, "/data/SWEEP.GDF");
  ASSERT_TRUE(settings.save(posixFileSystem()).isOk());
  Settings again = Settings::load(posixFileSystem(), dir.file("217F2.INI"), warnings);
  EXPECT_EQ(lastGraphDefinition(again), "/data/SWEEP.GDF");
  EXPECT_EQ(again.text("Graph", "GDFLastFileSpec"), "/data/SWEEP.GDF");
}

}  // namespace
}  // namespace kestrel::graph
