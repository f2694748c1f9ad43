// Every sweep type on the sample hierarchy: each swept value equals a
// separate calculation of a copy of the same hierarchy at that setting (a
// What-If? to the temperature, environment or stress, then a calculation;
// or a calculation at that mission time).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "faulty_scratch.hpp"
#include "graph/graph_run.hpp"
#include "graph/hierarchy_copy.hpp"
#include "graph/high_values.hpp"
#include "graph_fixture.hpp"
#include "support/test_parts.hpp"

namespace kestrel::graph {
namespace {

using test::GraphFixture;
using test::Reference;

struct SweepCase {
  const char* name;
  GraphSettings settings;
  double tolerance;  // relative
};
void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.name; }

GraphSettings range(int type, long from, long to, long step, const char* envs = "GB", bool mission = false,
                    double missionTime = -1.0) {
  GraphSettings s;
  s.type = type;
  s.from = from, s.to = to, s.step = step;
  s.environments = envs;
  s.mission = mission;
  s.missionTime = missionTime;
  return s;
}

GraphSettings inYears(GraphSettings s) {
  s.timeUnit = TimeUnit::Years;
  return s;
}

std::uint8_t envCode(const GraphData& d, std::size_t k) {
  return static_cast<std::uint8_t>(kEnvironments.find(d.environments.at(k)));
}

// What point i of curve c should hold: the separate calculation at that
// point's setting, read as the graph's value.
double expected(const GraphFixture& f, const GraphSettings& s, const GraphData& d, std::size_t c, std::size_t i) {
  const double missionTime = s.mission ? s.missionTime : 8760.0;
  Reference r;
  switch (sweepOf(s.type)) {
    case Sweep::Temperature: r = f.atTemperature(d.x[i], s.mission, missionTime); break;
    case Sweep::Environment: r = f.atEnvironment(envCode(d, i), NAN, s.mission); break;
    case Sweep::TemperatureEnvironment: r = f.atEnvironment(envCode(d, c), d.x[i], s.mission); break;
    case Sweep::Stress: r = f.atStress(d.x[i], s.mission); break;
    default: r = f.reference({}, s.mission, d.x[i] * (s.timeUnit == TimeUnit::Years ? 8760.0 : 1.0));
  }
  switch (valueOf(s.type)) {
    case Value::FailureRate: return r.fr;
    case Value::Mtbf: return s.mission ? r.missionMtbf : r.mtbf;
    default: return s.mission ? r.missionR : r.basicR;
  }
}

class Sweeps : public ::testing::TestWithParam<SweepCase>, protected GraphFixture {
 protected:
  void SetUp() override { writeSample(); }
};

TEST_P(Sweeps, EveryPointEqualsASeparateCalculationAtItsSetting) {
  const SweepCase& c = GetParam();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = topPath();
  job.settings = c.settings;
  job.seconds = 1234;
  const GraphOutcome out = runGraph(job, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok) << ui.lines[5] << (ui.messages.empty() ? "" : ui.messages.back());

  const GraphData& d = out.data;
  ASSERT_FALSE(d.series.empty());
  const bool bars = sweepOf(c.settings.type) == Sweep::Environment;
  std::vector<std::uint8_t> codes;
  (void)parseEnvironments(c.settings.environments, codes);
  const std::size_t points = bars ? codes.size()
                                  : static_cast<std::size_t>(rangePointCount(c.settings.from, c.settings.to,
                                                                             c.settings.step));
  for (std::size_t curve = 0; curve < d.series.size(); ++curve) {
    ASSERT_EQ(d.series[curve].size(), points);
    for (std::size_t i = 0; i < points; ++i) {
      const double want = expected(*this, c.settings, d, curve, i);
      EXPECT_NEAR(d.series[curve][i], want, std::abs(want) * c.tolerance) << "curve " << curve << " point " << i;
    }
  }
  // The sweep changes what it sweeps: its first and last points differ.
  EXPECT_NE(d.series.front().front(), d.series.front().back());
  EXPECT_EQ(out.filesCopied, 3);  // (the files as they were after every kind of run: graph_run_test)
}

INSTANTIATE_TEST_SUITE_P(
    Graph, Sweeps,
    ::testing::Values(
        SweepCase{"FrVsTemperature", range(kFrVsTemperature, -40, 120, 40), 1e-12},
        SweepCase{"MtbfVsTemperature", range(kMtbfVsTemperature, 0, 150, 50), 1e-12},
        SweepCase{"MissionMtbfVsTemperature", range(kMtbfVsTemperature, 20, 100, 40, "GB", true, 1000.0), 1e-9},
        SweepCase{"FrVsEnvironment", range(kFrVsEnvironment, 0, 0, 0, "GB,NS AIF\tCL"), 1e-12},
        SweepCase{"MtbfVsEnvironment", range(kMtbfVsEnvironment, 0, 0, 0, "GF ML"), 1e-12},
        SweepCase{"FrVsTemperatureEnvironment", range(kFrVsTempEnv, 0, 100, 50, "GB NU"), 1e-12},
        SweepCase{"MissionMtbfVsTemperatureEnvironment", range(kMtbfVsTempEnv, 25, 125, 50, "GM SF", true, 500.0),
                  1e-9},
        SweepCase{"FrVsStress", range(kFrVsStress, 10, 90, 40), 1e-12},
        SweepCase{"MtbfVsStress", range(kMtbfVsStress, 0, 100, 25), 1e-12},
        SweepCase{"ReliabilityVsHours", range(kReliabilityVsTime, 0, 200000, 50000), 1e-7},
        SweepCase{"MissionReliabilityVsHours", range(kReliabilityVsTime, 1000, 41000, 20000, "GB", true, 8760.0),
                  1e-5},
        SweepCase{"MissionReliabilityVsYears", inYears(range(kReliabilityVsTime, 1, 5, 2, "GB", true, 8760.0)),
                  1e-5}),
    [](const auto& info) { return std::string(info.param.name); });

// The progress lines name each point, the restored temperature, and the
// environment a temperature curve belongs to.
TEST(SweepProgress, StepLinesNameEachPointAndTheRestoredTemperature) {
  GraphFixture f;
  f.writeSample();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = f.topPath();
  job.settings = range(kFrVsTemperature, 0, 20, 10);
  ASSERT_TRUE(runGraph(job, posixFileSystem(), posixScratchFiles(), ui).ok);
  const std::vector<std::string> expected{"'TOP.CIR' - 0C (Step 1 of 3)", "'TOP.CIR' - 10C (Step 2 of 3)",
                                          "'TOP.CIR' - 20C (Step 3 of 3)",
                                          "'TOP.CIR' - Restore Temperature (30C)"};
  std::vector<std::string> steps;
  for (const std::string& line : ui.lineHistory[3]) {
    if (line.rfind("'TOP.CIR' -", 0) == 0) steps.push_back(line);
  }
  EXPECT_EQ(steps, expected);
  const auto& stages = ui.lineHistory[1];
  for (const char* stage : {"Graph: Creating Temporary Directory...", "Graph: Copying Files to Temporary Directory...",
                            "Graph: Batch Calculations...", "Graph: Calculation Iteration...",
                            "Graph: Writing Raw Data to CSV File...", "Creating Graph for 'TOP.CIR'...",
                            "Graph: Deleting Temporary Directory..."}) {
    EXPECT_NE(std::find(stages.begin(), stages.end(), stage), stages.end()) << stage;
  }
  test::RecordingUi both;
  job.settings = range(kFrVsTempEnv, 0, 20, 10, "GB CL");
  ASSERT_TRUE(runGraph(job, posixFileSystem(), posixScratchFiles(), both).ok);
  const auto& line2 = both.lineHistory[2];
  EXPECT_NE(std::find(line2.begin(), line2.end(), "'CL' (Step 2 of 2)"), line2.end());
  const auto& line3 = both.lineHistory[3];
  EXPECT_EQ(std::count(line3.begin(), line3.end(), "20C (Step 3 of 3)"), 2);
}

}  // namespace
}  // namespace kestrel::graph

// ---- Copying a hierarchy into the temporary folder: each file once, walked as
// the calculation walks it, with the walk's errors, cancel and the state of
// documents the user has open.
namespace kestrel::graph::copy {
namespace {

using test::FaultyScratch;
using test::RecordingUi;

class HierarchyCopy : public ::testing::Test, public test::GraphFixture {
 public:
  void SetUp() override {
    writeSample();
    folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 100, ui);
    ASSERT_TRUE(folder);
  }
  // A circuit of fixed parts naming sub-files.
  void circuit(const std::string& name, std::vector<std::pair<std::uint16_t, std::string>> subs, int parts = 1) {
    CCircDoc doc;
    for (int i = 0; i < parts; ++i) doc.insertSorted(test::fixedPart(1.0, strprintf("P%d", i)));
    for (const auto& [type, file] : subs) {
      auto sub = PartRegistry::instance().create(type, false);
      sub->FileName = file;
      doc.insertSorted(std::move(sub));
    }
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
    std::filesystem::remove(dir.file(name) + ".BAK");
  }
  std::unique_ptr<WorkingSet> copy(const std::string& top, ScratchFiles& files = posixScratchFiles()) {
    return copyHierarchy({dir.file(top), {}}, files, *folder, ui);
  }
  std::vector<std::string> copied() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder->path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  RecordingUi ui;
  std::unique_ptr<ScratchFolder> folder;
};

TEST_F(HierarchyCopy, EveryFileOfTheHierarchyCopiedByteForByteIntoTheWorkingSet) {
  FaultyScratch counting;
  auto set = copy("TOP.CIR", counting);
  ASSERT_TRUE(set) << ui.lines[5];
  EXPECT_EQ(copied(), (std::vector<std::string>{"BOARD.CIR", "CHIPS.HYB", "TOP.CIR"}));
  for (const char* name : {"TOP.CIR", "BOARD.CIR", "CHIPS.HYB"}) {
    EXPECT_EQ(test::readFileText(folder->file(name)), test::readFileText(dir.file(name))) << name;
  }
  EXPECT_EQ(counting.reads, 3);
  EXPECT_EQ(counting.writes, 3);
  ASSERT_EQ(set->size(), 3u);
  EXPECT_EQ(set->top().path(), folder->file("TOP.CIR"));
  // The child named "board.cir" in the record is found among the copies.
  EXPECT_NE(set->find(folder->file("board.cir")), nullptr);
  EXPECT_EQ(ui.lines[1], "Graph: Copying Files to Temporary Directory...");
  EXPECT_NE(std::find(ui.lineHistory[2].begin(), ui.lineHistory[2].end(), "'CHIPS.HYB' (Level 2)..."),
            ui.lineHistory[2].end());
}

TEST_F(HierarchyCopy, FileNamedTwiceIsCopiedOnce) {
  circuit("LEAF.CIR", {});
  circuit("MID.CIR", {{kSubCircuitType, "LEAF.CIR"}});
  circuit("ROOT.CIR", {{kSubCircuitType, "MID.CIR"}, {kSubCircuitType, "LEAF.CIR"}, {kSubCircuitType, "leaf.cir"}});
  FaultyScratch counting;
  auto set = copy("ROOT.CIR", counting);
  ASSERT_TRUE(set) << ui.lines[5];
  EXPECT_EQ(set->size(), 3u);
  EXPECT_EQ(counting.writes, 3);
}

// Copies that stop with the walk's error: a cycle refused at the record that
// closes it (as the calculation refuses it), a top-level document of another
// extension, a sub-file record naming the other kind, a damaged child, a
// write failure in the folder.
struct FailedCopy {
  const char* name;
  std::function<void(HierarchyCopy&)> setUp;
  const char* top;
  const char* line5;
};
void PrintTo(const FailedCopy& c, std::ostream* os) { *os << c.name; }

class HierarchyCopyFails : public HierarchyCopy, public ::testing::WithParamInterface<FailedCopy> {};

TEST_P(HierarchyCopyFails, WithTheWalksError) {
  const FailedCopy& c = GetParam();
  c.setUp(*this);
  FaultyScratch faulty;
  faulty.failWriteNumber = std::string(c.name) == "WriteFailure" ? 2 : 0;
  EXPECT_FALSE(copy(c.top, faulty));
  EXPECT_EQ(ui.lines[5], c.line5);
  if (std::string(c.name) == "Cycle") {
    EXPECT_EQ(ui.lines[2], "'B.CIR' (Level 2)...");
  }
  if (std::string(c.name) == "DamagedChild") {
    EXPECT_NE(ui.messages.back().find("BOARD.CIR"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Graph, HierarchyCopyFails,
    ::testing::Values(
        FailedCopy{"Cycle",
                   [](HierarchyCopy& f) {
                     f.circuit("A.CIR", {{kSubCircuitType, "B.CIR"}});
                     f.circuit("B.CIR", {{kSubCircuitType, "A.CIR"}});
                   },
                   "A.CIR", "...Error: self-reference (rec#1)."},
        FailedCopy{"TopLevelOfAnotherExtension",
                   [](HierarchyCopy& f) { std::filesystem::copy_file(f.dir.file("TOP.CIR"), f.dir.file("TOP.LIB")); },
                   "TOP.LIB", "...Error: top-level doc extension not valid."},
        FailedCopy{"SubCircuitNamingHybrid", [](auto& f) { f.circuit("W.CIR", {{kSubCircuitType, "CHIPS.HYB"}}); },
                   "W.CIR", "...Error: CIR extension mismatch (rec#1)."},
        FailedCopy{"SubHybridNamingCircuit", [](auto& f) { f.circuit("W.CIR", {{kSubHybridType, "BOARD.CIR"}}); },
                   "W.CIR", "...Error: HYB extension mismatch (rec#1)."},
        FailedCopy{"SubCircuitWithoutExtension", [](auto& f) { f.circuit("W.CIR", {{kSubCircuitType, "BOARD"}}); },
                   "W.CIR", "...Error: CIR extension mismatch (rec#1)."},
        FailedCopy{"DamagedChild", [](auto& f) { std::filesystem::resize_file(f.dir.file("BOARD.CIR"), 40); },
                   "TOP.CIR", "...Error: can not copy file [22]."},
        FailedCopy{"WriteFailure", [](HierarchyCopy&) {}, "TOP.CIR", "...Error: can not copy file [28]."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HierarchyCopy, ChainDeeperThanTheLevelLimitRefused) {
  for (int i = kMaxLevels; i >= 0; --i) {
    std::vector<std::pair<std::uint16_t, std::string>> child;
    if (i < kMaxLevels) child.emplace_back(kSubCircuitType, strprintf("L%d.CIR", i + 1));
    circuit(strprintf("L%d.CIR", i), child);
  }
  EXPECT_FALSE(copy("L0.CIR"));
  EXPECT_EQ(ui.lines[5], "...Error: too many levels.");
  folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 101, ui);
  EXPECT_TRUE(copy("L1.CIR")) << ui.lines[5];
}

TEST_F(HierarchyCopy, CancelAnsweredYesStopsAndNoGoesOn) {
  ui.cancel = true;
  ui.answers = {false};
  EXPECT_TRUE(copy("TOP.CIR"));
  ASSERT_FALSE(ui.questions.empty());
  EXPECT_EQ(ui.questions[0], "Cancel temporary directory copy operation?");

  RecordingUi yes;
  yes.cancel = true;
  yes.answers = {true};
  auto second = ScratchFolder::create(posixScratchFiles(), dir.path(), 100, yes);
  EXPECT_FALSE(copyHierarchy({topPath(), {}}, posixScratchFiles(), *second, yes));
  EXPECT_EQ(yes.lines[4], "...Cancel.");
}

}  // namespace
}  // namespace kestrel::graph::copy

// ---- The high-value graphs: each item's failure rate is its share of the
// top-level failure rate, worked out here by hand from a separate
// calculation of the same hierarchy; the highest kept, the rest summed.
namespace kestrel::graph::high_values {
namespace {

using Items = std::map<std::string, double>;  // name -> FR

// The sample's contributions by hand: BOARD is weighed by its record (QTY 2
// x duty cycle 50 % x CF 1) and its own CF 1.5, CHIPS by the package model
// (its total over the sum of its chips), TOP by its CF 1.
struct Contributions {
  explicit Contributions(const std::vector<std::unique_ptr<CCircDoc>>& docs) {
    const CCircDoc& top = *docs[0];
    const CCircDoc& board = *docs[1];
    const CCircDoc& chips = *docs[2];
    for (std::size_t i = 0; i < top.count(); ++i) {
      const CPart& p = top.record(i);
      topRecords[p.PN] = top.header().CF * p.TFR();
      if (p.PART_TYPE != kSubCircuitType && p.PART_TYPE != kSubHybridType) leaves[p.PN] = topRecords[p.PN];
    }
    const double boardWeight = 2.0 * 0.5 * 1.0 * board.header().CF;
    for (std::size_t i = 0; i < board.count(); ++i) leaves[board.record(i).PN] = boardWeight * board.record(i).TFR();
    const double chipsWeight = chips.header().TotalFR / chips.header().SUMCHIPS;
    for (std::size_t i = 0; i < chips.count(); ++i) leaves[chips.record(i).PN] = chipsWeight * chips.record(i).TFR();
    total = top.header().TotalFR;
  }
  Items topRecords, leaves;
  double total = 0.0;
};

Items byType(const Items& leaves) {
  const std::map<std::string, std::string> type{{"RT-1", "Resistor"}, {"RT-2", "Resistor"},
                                                {"RB-1", "Resistor"}, {"RB-2", "Resistor"},
                                                {"UT-1", "Miscellaneous"}, {"UB-1", "Miscellaneous"},
                                                {"FB-1", "Miscellaneous"}, {"DIE-1", "Miscellaneous(Hyb)"},
                                                {"RZ-1", "Resistor(Hyb)"}};
  Items out;
  for (const auto& [pn, fr] : leaves) out[type.at(pn)] += fr;
  return out;
}

Items expectedItems(int type, bool hierarchy, const Contributions& c) {
  switch (itemKindOf(type)) {
    case ItemKind::PartRecords: return hierarchy ? c.leaves : c.topRecords;
    case ItemKind::PartTypes: {
      if (hierarchy) return byType(c.leaves);
      Items t{{"Resistor", c.topRecords.at("RT-1") + c.topRecords.at("RT-2")},
              {"Miscellaneous", c.topRecords.at("UT-1")},
              {"SubCircuit", c.topRecords.at("board.cir")},
              {"SubHybrid", c.topRecords.at("CHIPS.HYB")}};
      return t;
    }
    default: {
      const double own = c.leaves.at("RT-1") + c.leaves.at("RT-2") + c.leaves.at("UT-1");
      if (!hierarchy) {
        return {{"TOP.CIR", own}, {"board.cir", c.topRecords.at("board.cir")}, {"CHIPS.HYB", c.topRecords.at("CHIPS.HYB")}};
      }
      return {{"TOP.CIR", own},
              {"BOARD.CIR", c.leaves.at("RB-1") + c.leaves.at("RB-2") + c.leaves.at("UB-1") + c.leaves.at("FB-1")},
              {"CHIPS.HYB", c.leaves.at("DIE-1") + c.leaves.at("RZ-1")}};
    }
  }
}

struct ItemCase {
  const char* name;
  int type;
  bool hierarchy;
};
void PrintTo(const ItemCase& c, std::ostream* os) { *os << c.name; }

class HighValues : public ::testing::TestWithParam<ItemCase>, protected test::GraphFixture {
 protected:
  void SetUp() override { writeSample(); }
};

TEST_P(HighValues, ItemsAreTheirShareOfTheTopLevelFailureRateHighestFirst) {
  const ItemCase& c = GetParam();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = topPath();
  job.settings = defaultSettings(c.type);
  job.settings.maxItems = 100;
  job.settings.includeHierarchy = c.hierarchy;
  const GraphOutcome out = runGraph(job, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok) << ui.lines[5];

  const Contributions contributions(calculatedCopy());
  Items expected = expectedItems(c.type, c.hierarchy, contributions);
  const bool percent = valueOf(c.type) == Value::ItemPercent;
  double sum = 0.0;
  for (const auto& [name, fr] : expected) sum += fr;
  if (percent) {
    for (auto& [name, fr] : expected) fr = fr / sum * 100.0;
  }
  ASSERT_EQ(out.data.items.size(), expected.size());
  for (std::size_t i = 0; i < out.data.items.size(); ++i) {
    const GraphItem& item = out.data.items[i];
    ASSERT_EQ(expected.count(item.name), 1u) << item.name;
    EXPECT_NEAR(item.value, expected[item.name], expected[item.name] * 1e-9) << item.name;
    if (i > 0) {
      EXPECT_GE(out.data.items[i - 1].value, item.value);
    }
  }
  // Without a solder-joint term the shares add up to the whole (the whole
  // takes each child's total in single precision).
  EXPECT_NEAR(sum, contributions.total, contributions.total * 2e-7);
  const auto& line2 = ui.lineHistory[2];
  const char* stage = percent ? "'TOP.CIR' Highest %FR Value Calculation" : "'TOP.CIR' Highest FR Value Calculation";
  EXPECT_NE(std::find(line2.begin(), line2.end(), stage), line2.end());
}

INSTANTIATE_TEST_SUITE_P(Graph, HighValues,
                         ::testing::Values(ItemCase{"PartRecordsWithHierarchy", kFrPartRecords, true},
                                           ItemCase{"PartRecordsTopLevelOnly", kFrPartRecords, false},
                                           ItemCase{"PartTypesWithHierarchy", kFrPartTypes, true},
                                           ItemCase{"PartTypesTopLevelOnly", kFrPartTypes, false},
                                           ItemCase{"CircuitsWithHierarchy", kFrCircuits, true},
                                           ItemCase{"CircuitsTopLevelOnly", kFrCircuits, false},
                                           ItemCase{"PercentPartRecords", kPctFrPartRecords, true},
                                           ItemCase{"PercentPartTypesTopLevelOnly", kPctFrPartTypes, false},
                                           ItemCase{"PercentCircuits", kPctFrCircuits, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HighValues, PartRecordsNameTheFileHoldingThem) {
  test::GraphFixture f;
  f.writeSample();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = f.topPath();
  job.settings = defaultSettings(kFrPartRecords);
  job.settings.maxItems = 3;
  const GraphOutcome out = runGraph(job, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok);
  ASSERT_EQ(out.data.items.size(), 4u);
  const Contributions c(f.calculatedCopy());
  const std::map<std::string, std::string> file{{"RT-1", "TOP.CIR"}, {"RT-2", "TOP.CIR"}, {"UT-1", "TOP.CIR"},
                                                {"RB-1", "BOARD.CIR"}, {"RB-2", "BOARD.CIR"}, {"UB-1", "BOARD.CIR"},
                                                {"FB-1", "BOARD.CIR"}, {"DIE-1", "CHIPS.HYB"}, {"RZ-1", "CHIPS.HYB"}};
  double kept = 0.0;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(out.data.items[i].circuit, file.at(out.data.items[i].name));
    kept += out.data.items[i].value;
  }
  EXPECT_EQ(out.data.items[3].name, "All Other Part Records");
  EXPECT_EQ(out.data.items[3].circuit, "");
  EXPECT_NEAR(out.data.items[3].value, c.total - kept, c.total * 2e-7);
}

struct CutCase {
  const char* name;
  std::vector<GraphItem> items;
  long maxItems;
  ItemKind kind;
  bool percent;
  std::vector<std::pair<std::string, double>> expected;
};
void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class HighestItems : public ::testing::TestWithParam<CutCase> {};

TEST_P(HighestItems, KeepTheHighestAndSumTheRest) {
  const CutCase& c = GetParam();
  std::vector<std::pair<std::string, double>> got;
  for (const GraphItem& item : highestItems(c.items, c.maxItems, c.kind, c.percent)) got.emplace_back(item.name, item.value);
  ASSERT_EQ(got.size(), c.expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].first, c.expected[i].first) << i;
    EXPECT_NEAR(got[i].second, c.expected[i].second, 1e-12) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Graph, HighestItems,
    ::testing::Values(
        CutCase{"FewerThanMaxHaveNoRest", {{"a", 1, ""}, {"b", 3, ""}}, 3, ItemKind::PartRecords, false,
                {{"b", 3}, {"a", 1}}},
        CutCase{"ExactlyMaxHaveNoRest", {{"a", 1, ""}, {"b", 3, ""}, {"c", 2, ""}}, 3, ItemKind::PartTypes, false,
                {{"b", 3}, {"c", 2}, {"a", 1}}},
        CutCase{"RestSummedUnderItsName", {{"a", 1, ""}, {"b", 4, ""}, {"c", 2, ""}, {"d", 8, ""}, {"e", 0.5, ""}}, 3,
                ItemKind::Circuits, false, {{"d", 8}, {"b", 4}, {"c", 2}, {"All Other Circuits", 1.5}}},
        CutCase{"TiesKeepTheirOrder", {{"x", 2, ""}, {"y", 2, ""}, {"z", 2, ""}, {"w", 2, ""}}, 3, ItemKind::PartTypes,
                false, {{"x", 2}, {"y", 2}, {"z", 2}, {"All Other Part Types", 2}}},
        CutCase{"PercentOfTheWholeIncludingTheRest", {{"a", 1, ""}, {"b", 2, ""}, {"c", 3, ""}, {"d", 4, ""}}, 3,
                ItemKind::PartRecords, true, {{"d", 40}, {"c", 30}, {"b", 20}, {"All Other Part Records", 10}}},
        CutCase{"PercentOfNothingIsZero", {{"a", 0, ""}, {"b", 0, ""}}, 3, ItemKind::PartRecords, true,
                {{"a", 0}, {"b", 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel::graph::high_values
